#include "platform/audio/WavReader.h"

#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/Resampler.h"

#include <cstring>
#include <optional>

#include <QFile>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// Clips are held whole in memory as float: a quarter of an hour is far past any sound the
// program plays and still a bounded allocation.
constexpr std::int64_t kMaxClipFrames = std::int64_t { AudioEngine::kSampleRate } * 60 * 15;

using Bytes = std::span<const std::uint8_t>;

std::uint16_t u16(Bytes bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t u32(Bytes bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8
        | static_cast<std::uint32_t>(bytes[at + 2]) << 16
        | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool hasId(Bytes bytes, std::size_t at, const char* id)
{
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

WavReader::Result failure(std::string why)
{
    return WavReader::Result { nullptr, std::move(why) };
}

} // namespace

WavReader::Result WavReader::decode(Bytes bytes)
{
    if (bytes.size() < 12 || !hasId(bytes, 0, "RIFF") || !hasId(bytes, 8, "WAVE"))
        return failure("not a RIFF WAVE file");

    // The RIFF size is ignored: writers that stream often leave it wrong, and the chunks carry
    // their own sizes. Every size is checked against what is really there before it is used.
    std::optional<Bytes> format;
    std::optional<Bytes> data;
    std::size_t at = 12;
    while (bytes.size() - at >= 8 && !(format && data)) {
        const std::uint32_t size = u32(bytes, at + 4);
        const std::size_t body = at + 8;
        const bool fits = size <= bytes.size() - body;
        if (hasId(bytes, at, "fmt ") && !format) {
            if (!fits)
                return failure("the format chunk runs past the end of the file");
            format = bytes.subspan(body, size);
        } else if (hasId(bytes, at, "data") && !data) {
            if (!fits)
                return failure("the file is truncated: the data chunk runs past its end");
            data = bytes.subspan(body, size);
        } else if (!fits) {
            break; // a chunk we skip runs past the end: nothing more can follow it
        }
        // Chunks of odd size are followed by a pad byte (which a truncated file may lack).
        const std::size_t next = body + static_cast<std::size_t>(size) + (size & 1);
        if (next > bytes.size())
            break;
        at = next;
    }
    if (!format)
        return failure("the file has no format chunk");
    if (!data)
        return failure("the file has no data chunk");
    if (format->size() < 16)
        return failure("the format chunk is too short");

    const std::uint16_t tag = u16(*format, 0);
    const int channels = u16(*format, 2);
    const std::uint32_t rate = u32(*format, 4);
    const int bits = u16(*format, 14);
    const bool extensiblePcm =
        tag == kFormatExtensible && format->size() >= 40 && u16(*format, 24) == kFormatPcm;
    if (tag != kFormatPcm && !extensiblePcm)
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
