#include "OutputFile.h"
#include "WavInput.h"
#include "wavpress.h"

#include <algorithm>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <lame/lame.h>
#include <time.h>

namespace {

using namespace wavpress;

struct VbrRequest
{
    bool armed = false;
    int quality = 0;
    int minKbps = 0;
    int maxKbps = 0;
};

std::mutex vbrLock;
VbrRequest pendingVbr;

VbrRequest takeVbr()
{
    const std::lock_guard lock(vbrLock);
    return std::exchange(pendingVbr, VbrRequest {});
}

bool isMp3Rate(int rate)
{
    for (int r : { 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000 })
        if (rate == r)
            return true;
    return false;
}

bool isBitRate(int kbps)
{
    return kbps >= 8 && kbps <= 320;
}

void quiet(const char*, va_list)
{}

long long nowMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Calls the caller's progress function on each new whole percent, and at least every 50 ms so
// that its window stays responsive however slow the encoding is.
class ProgressReport
{
public:
    explicit ProgressReport(WavpressProgress* cell)
        : m_cell(cell)
    {}

    // False when the caller answered stop.
    bool at(int percent)
    {
        if (percent <= m_last && nowMs() - m_lastCallMs < kIntervalMs)
            return true;
        m_last = std::max(m_last, percent);
        m_lastCallMs = nowMs();
        const WavpressProgress function = m_cell ? *m_cell : nullptr;
        return !function || function(percent) != 0;
    }

private:
    // Checked after each block, which can take a few milliseconds more to encode: asking again
    // after 40 ms keeps every gap under 50 ms.
    static constexpr long long kIntervalMs = 40;
    WavpressProgress* m_cell;
    int m_last = -1;
    long long m_lastCallMs = 0;
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct LameCloser
{
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

// LAME's rule for the output of one call, 1.25 bytes a sample plus 7200, counted in the samples
// it produces: when it raises the rate (8000 Hz to 48000) one input block becomes up to six
// times as many, and a buffer sized for the input makes the call fail.
std::size_t mp3BufferBytes(int inRate, int outRate)
{
    const std::int64_t outSamples =
        (WavInput::kMaxBlock * static_cast<std::int64_t>(std::max(outRate, inRate)) + inRate - 1)
        / inRate;
    return static_cast<std::size_t>(outSamples * 5 / 4 + 7200);
}

MPEG_mode lameMode(int channels, std::uint8_t mode)
{
    if (channels == 1 || mode == 3)
        return MONO;
    return mode == 1 ? JOINT_STEREO : STEREO; // LAME has no dual-channel mode
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t SetVBR(
    int32_t enable, int32_t quality, int32_t minKbps, int32_t maxKbps)
{
    const std::lock_guard lock(vbrLock);
    pendingVbr = {};
    if (enable == 0)
        return WAVPRESS_DONE;
    if (quality < 0 || quality > 9 || (maxKbps != 0 && !isBitRate(maxKbps))
        || (minKbps != 0 && !isBitRate(minKbps))
        || (minKbps != 0 && maxKbps != 0 && minKbps > maxKbps))
        return WAVPRESS_PARAMETERS_REFUSED;
    pendingVbr = { true, quality, minKbps, maxKbps };
    return WAVPRESS_DONE;
}

extern "C" __attribute__((visibility("default"))) int32_t EncodeMp3(const char* in,
    const char* out,
    int32_t kbps,
    int32_t sampleRate,
    uint8_t mode,
    WavpressProgress* cell)
{
    const VbrRequest vbr = takeVbr();
    const int rateKbps = vbr.armed && vbr.maxKbps != 0 ? vbr.maxKbps : kbps;
    if (!isBitRate(rateKbps) || (sampleRate != 0 && !isMp3Rate(sampleRate)) || mode > 3)
        return WAVPRESS_PARAMETERS_REFUSED;
    if (!in)
        return WAVPRESS_INPUT_NOT_OPENED;
    if (!out)
        return WAVPRESS_OUTPUT_NOT_CREATED;

    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(in, "rb"));
    if (!file)
        return WAVPRESS_INPUT_NOT_OPENED;
    auto input = std::make_unique<WavInput>(file.get());
    if (!input->open())
        return WAVPRESS_INPUT_NOT_OPENED;
    const WavFormat& format = input->format();

    const std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame)
        return WAVPRESS_ENCODER_NOT_STARTED;
    lame_global_flags* gf = lame.get();
    lame_set_errorf(gf, quiet);
    lame_set_debugf(gf, quiet);
    lame_set_msgf(gf, quiet);
    lame_set_in_samplerate(gf, format.sampleRate);
    lame_set_num_channels(gf, format.channels);
    lame_set_num_samples(gf, static_cast<unsigned long>(format.frames));
    // 0 keeps the input's rate when MP3 has it; otherwise LAME picks the nearest it can encode.
    lame_set_out_samplerate(
        gf, sampleRate != 0 ? sampleRate : (isMp3Rate(format.sampleRate) ? format.sampleRate : 0));
    lame_set_mode(gf, lameMode(format.channels, mode));
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_findReplayGain(gf, 0);
    if (vbr.armed) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_q(gf, vbr.quality);
        lame_set_VBR_max_bitrate_kbps(gf, rateKbps);
        if (vbr.minKbps > 0)
            lame_set_VBR_min_bitrate_kbps(gf, vbr.minKbps);
    } else {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, rateKbps);
    }
    if (lame_init_params(gf) < 0)
        return WAVPRESS_PARAMETERS_REFUSED;

    OutputFile output;
    if (!output.create(out))
        return WAVPRESS_OUTPUT_NOT_CREATED;

    ProgressReport progress(cell);
    if (!progress.at(0))
        return WAVPRESS_STOPPED;

    // Blocks of at most 1 % of the input, so that every whole percent is reported.
    const long block =
        static_cast<long>(std::clamp<std::int64_t>(format.frames / 100, 1, WavInput::kMaxBlock));
    std::vector<int> left(WavInput::kMaxBlock);
    std::vector<int> right(WavInput::kMaxBlock);
    std::vector<unsigned char> mp3(mp3BufferBytes(format.sampleRate, lame_get_out_samplerate(gf)));
    const int mp3Size = static_cast<int>(mp3.size());
    std::int64_t done = 0;
    while (done < format.frames) {
        const long frames = input->read(left.data(), right.data(), block);
        if (frames <= 0)
            return WAVPRESS_FAILED;
        const int bytes = lame_encode_buffer_int(
            gf, left.data(), right.data(), static_cast<int>(frames), mp3.data(), mp3Size);
        if (bytes < 0 || !output.append(mp3.data(), static_cast<std::size_t>(bytes)))
            return WAVPRESS_FAILED;
        done += frames;
        if (!progress.at(static_cast<int>(done * 100 / format.frames)))
            return WAVPRESS_STOPPED;
    }

    const int tail = lame_encode_flush(gf, mp3.data(), mp3Size);
    if (tail < 0 || !output.append(mp3.data(), static_cast<std::size_t>(tail)))
        return WAVPRESS_FAILED;
    const std::size_t info = lame_get_lametag_frame(gf, mp3.data(), mp3.size());
    if (info > mp3.size() || (info > 0 && !output.overwriteStart(mp3.data(), info)))
        return WAVPRESS_FAILED;
    if (!progress.at(100))
        return WAVPRESS_STOPPED;
    return output.commit() ? WAVPRESS_DONE : WAVPRESS_FAILED;
}
