#include "WavInput.h"

#include "platform/audio/RiffChunks.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace wavpress {

namespace {

using riff::le16;
using riff::le32;

// The 14 bytes that follow the format tag in an extensible format's sub-format GUID.
constexpr std::uint8_t kGuidTail[14] = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
    0x00, 0x38, 0x9B, 0x71 };

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

std::int32_t fullScale(float value)
{
    if (!(value > -1.0f)) // also catches NaN
        return value < 0.0f ? INT32_MIN + 1 : 0;
    if (value >= 1.0f)
        return INT32_MAX;
    return static_cast<std::int32_t>(std::lround(static_cast<double>(value) * 2147483647.0));
}

} // namespace

WavInput::WavInput(std::FILE* file)
    : m_file(file)
{}

bool WavInput::readAt(std::int64_t offset, std::uint8_t* buffer, std::size_t size)
{
    return fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0
        && std::fread(buffer, 1, size, m_file) == size;
}

bool WavInput::takeFormat(const std::uint8_t* body, std::uint32_t size)
{
    if (size < riff::FormatFields::kBytes)
        return false;
    auto [tag, channels, rate, bits] = riff::formatFields(body);
    if (tag == riff::kFormatExtensible) {
        if (size < 40 || le16(body + 16) < 22 || std::memcmp(body + 26, kGuidTail, 14) != 0)
            return false;
        tag = le16(body + 24);
    }
    if (channels < 1 || channels > 2 || rate < kMinRate || rate > kMaxRate)
        return false;
    if (tag == riff::kFormatPcm && bits == 8)
        m_format.kind = SampleKind::Unsigned8;
    else if (tag == riff::kFormatPcm && bits == 16)
        m_format.kind = SampleKind::Int16;
    else if (tag == riff::kFormatPcm && bits == 24)
        m_format.kind = SampleKind::Int24;
    else if (tag == riff::kFormatPcm && bits == 32)
        m_format.kind = SampleKind::Int32;
    else if (tag == riff::kFormatFloat && bits == 32)
        m_format.kind = SampleKind::Float32;
    else
        return false;
    m_format.channels = channels;
    m_format.sampleRate = static_cast<int>(rate);
    m_format.bytesPerFrame = channels * bits / 8;
    return true;
}

bool WavInput::open()
{
    m_format = {};
    m_framesLeft = 0;
    if (fseeko(m_file, 0, SEEK_END) != 0)
        return false;
    const std::int64_t fileSize = ftello(m_file);

    // A format chunk needs the bytes this reader looks at; a data chunk that claims more than the
    // file holds is taken as far as it goes (a recording cut off still encodes what it has).
    bool haveFormat = false;
    bool haveData = false;
    bool refused = false;
    std::int64_t dataSize = 0;
    const riff::WalkEnd end = riff::walkChunks(
        fileSize,
        [this](std::int64_t at, std::uint8_t* out, std::size_t count) {
            return readAt(at, out, count);
        },
        [&](const riff::Chunk& chunk) {
            if (chunk.is("fmt ") && !haveFormat) {
                std::uint8_t format[40] = {};
                const std::uint32_t wanted =
                    chunk.size < sizeof format ? chunk.size : sizeof format;
                refused = wanted > chunk.available || !readAt(chunk.body, format, wanted)
                    || !takeFormat(format, wanted);
                haveFormat = !refused;
            } else if (chunk.is("data") && !haveData) {
                m_format.dataOffset = chunk.body;
                dataSize = chunk.available;
                haveData = true;
            }
            return !refused && !(haveFormat && haveData);
        });
    if (end == riff::WalkEnd::NotRiffWave || end == riff::WalkEnd::Unreadable || refused
        || !haveFormat || !haveData)
        return false;
    m_format.frames = dataSize / m_format.bytesPerFrame;
    m_framesLeft = m_format.frames;
    return m_format.frames > 0 && fseeko(m_file, m_format.dataOffset, SEEK_SET) == 0;
}

long WavInput::read(std::int32_t* left, std::int32_t* right, long maxFrames)
{
    const long frames =
        static_cast<long>(std::min<std::int64_t>({ maxFrames, kMaxBlock, m_framesLeft }));
    if (frames <= 0)
        return 0;
    const std::size_t bytes = static_cast<std::size_t>(frames) * m_format.bytesPerFrame;
    if (std::fread(m_bytes, 1, bytes, m_file) != bytes)
        return -1;
    m_framesLeft -= frames;

    const long samples = frames * m_format.channels;
    std::int32_t* all = m_samples;
    const std::uint8_t* p = m_bytes;
    for (long i = 0; i < samples; ++i) {
        switch (m_format.kind) {
        case SampleKind::Unsigned8:
            all[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0] ^ 0x80) << 24);
            p += 1;
            break;
        case SampleKind::Int16:
            all[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(le16(p)) << 16);
            p += 2;
            break;
        case SampleKind::Int24:
            all[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8
                | static_cast<std::uint32_t>(p[1]) << 16 | static_cast<std::uint32_t>(p[2]) << 24);
            p += 3;
            break;
        case SampleKind::Int32:
            all[i] = static_cast<std::int32_t>(le32(p));
            p += 4;
            break;
        case SampleKind::Float32: {
            const std::uint32_t raw = le32(p);
            float value;
            std::memcpy(&value, &raw, sizeof value);
            all[i] = fullScale(value);
            p += 4;
            break;
        }
        }
    }
    if (m_format.channels == 2) {
        for (long i = 0; i < frames; ++i) {
            left[i] = all[2 * i];
            right[i] = all[2 * i + 1];
        }
    } else {
        std::memcpy(left, all, static_cast<std::size_t>(frames) * sizeof *left);
        std::memcpy(right, all, static_cast<std::size_t>(frames) * sizeof *left);
    }
    return frames;
}

} // namespace wavpress
