#include "platform/audio/WavReader.h"

#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/Resampler.h"
#include "platform/audio/RiffChunks.h"

#include <cstring>
#include <optional>

#include <QFile>

namespace {

// Clips are held whole in memory as float: a quarter of an hour is far past any sound the
// program plays and still a bounded allocation.
constexpr std::int64_t kMaxClipFrames = std::int64_t { AudioEngine::kSampleRate } * 60 * 15;

using Bytes = std::span<const std::uint8_t>;

WavReader::Result failure(std::string why)
{
    return WavReader::Result { nullptr, std::move(why) };
}

} // namespace

WavReader::Result WavReader::decode(Bytes bytes)
{
    // Every chunk this reader takes must be whole: a file cut short is refused, not half played.
    std::optional<Bytes> format;
    std::optional<Bytes> data;
    const char* cut = nullptr;
    const riff::WalkEnd end = riff::walkChunks(
        static_cast<std::int64_t>(bytes.size()),
        [bytes](std::int64_t at, std::uint8_t* out, std::size_t count) {
            std::memcpy(out, bytes.data() + at, count);
            return true;
        },
        [&](const riff::Chunk& chunk) {
            const bool isFormat = chunk.is("fmt ") && !format;
            if (!isFormat && !(chunk.is("data") && !data))
                return true;
            if (!chunk.whole()) {
                cut = isFormat ? "the format chunk runs past the end of the file"
                               : "the file is truncated: the data chunk runs past its end";
                return false;
            }
            (isFormat ? format : data) =
                bytes.subspan(static_cast<std::size_t>(chunk.body), chunk.size);
            return !(format && data);
        });
    if (end == riff::WalkEnd::NotRiffWave)
        return failure("not a RIFF WAVE file");
    if (cut)
        return failure(cut);
    if (!format)
        return failure("the file has no format chunk");
    if (!data)
        return failure("the file has no data chunk");
    if (format->size() < riff::FormatFields::kBytes)
        return failure("the format chunk is too short");

    const auto [tag, channels, rate, bits] = riff::formatFields(format->data());
    const bool extensiblePcm = tag == riff::kFormatExtensible && format->size() >= 40
        && riff::le16(format->data() + 24) == riff::kFormatPcm;
    if (tag != riff::kFormatPcm && !extensiblePcm)
        return failure("the samples are not PCM (format tag " + std::to_string(tag) + ")");
    if (channels < 1 || channels > 2)
        return failure("unsupported channel count " + std::to_string(channels));
    if (bits != 8 && bits != 16)
        return failure("unsupported sample size of " + std::to_string(bits) + " bits");
    if (rate < kMinSampleRate || rate > kMaxSampleRate)
        return failure("unsupported sample rate " + std::to_string(rate) + " Hz");

    // The block align field is not trusted; a last partial frame is dropped.
    const std::size_t frameBytes = static_cast<std::size_t>(channels) * (bits / 8);
    const std::int64_t frames = static_cast<std::int64_t>(data->size() / frameBytes);
    if (frames * AudioEngine::kSampleRate / rate > kMaxClipFrames)
        return failure("the sound is too long");

    auto clip = std::make_shared<AudioClip>();
    clip->samples.resize(static_cast<std::size_t>(frames) * 2);
    pcmToStereo(data->data(), frames, channels, bits, clip->samples.data());
    if (rate != AudioEngine::kSampleRate)
        clip->samples =
            resampleStereo(clip->samples, static_cast<int>(rate), AudioEngine::kSampleRate);
    return Result { std::move(clip), {} };
}

void pcmToStereo(const std::uint8_t* pcm, std::int64_t frames, int channels, int bits, float* out)
{
    const std::size_t frameBytes = static_cast<std::size_t>(channels) * (bits / 8);
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 2; ++channel) {
            // Mono feeds both outputs.
            const std::uint8_t* at = pcm + static_cast<std::size_t>(frame) * frameBytes
                + static_cast<std::size_t>(channel % channels) * (bits / 8);
            const float value = bits == 8
                ? (static_cast<int>(at[0]) - 128) / 128.0f
                : static_cast<std::int16_t>(at[0] | at[1] << 8) / 32768.0f;
            out[frame * 2 + channel] = value;
        }
    }
}

WavReader::Result WavReader::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure("cannot open " + path.toStdString());
    if (file.size() > kMaxFileBytes)
        return failure("the file is too large");
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failure("cannot read " + path.toStdString());
    return decode(Bytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size())));
}
