#pragma once

#include <cstdint>
#include <cstdio>

namespace wavpress {

enum class SampleKind { Unsigned8, Int16, Int24, Int32, Float32 };

struct WavFormat
{
    int channels = 0;
    int sampleRate = 0;
    SampleKind kind = SampleKind::Int16;
    int bytesPerFrame = 0;
    std::int64_t dataOffset = 0;
    // Whole frames in the data chunk, counting only the bytes the file really holds.
    std::int64_t frames = 0;
};

// Reads a RIFF WAV file from a stdio stream it does not own: finds the format and data chunks in
// any order, then hands out the samples channel by channel as 32-bit integers at full scale
// (what LAME's integer entry takes), whatever their width in the file.
class WavInput
{
public:
    explicit WavInput(std::FILE* file);

    // False for anything that cannot be encoded: not RIFF/WAVE, no format or data chunk, a format
    // other than integer PCM of 8/16/24/32 bits or 32-bit float, other than one or two channels,
    // a rate outside 1000 to 384000 Hz, or no whole frame of data. A data chunk claiming more
    // bytes than the file holds is taken as far as the file goes.
    bool open();

    const WavFormat& format() const { return m_format; }

    // Reads up to `maxFrames` frames (at most kMaxBlock) into `left` and `right` (`right` gets a
    // copy of `left` for mono). Answers the frames read, 0 at the end of the data, -1 when the
    // file ends early or cannot be read.
    long read(std::int32_t* left, std::int32_t* right, long maxFrames);

    static constexpr long kMaxBlock = 4096;

private:
    bool readAt(std::int64_t offset, std::uint8_t* buffer, std::size_t size);
    bool takeFormat(const std::uint8_t* body, std::uint32_t size);

    std::FILE* m_file;
    WavFormat m_format;
    std::int64_t m_framesLeft = 0;
    std::uint8_t m_bytes[kMaxBlock * 8];
    std::int32_t m_samples[kMaxBlock * 2];
};

} // namespace wavpress
