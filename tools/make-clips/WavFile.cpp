#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

void put16(std::vector<char>& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
}

void put32(std::vector<char>& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xffff));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

void putTag(std::vector<char>& out, const char (&tag)[5])
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

bool writeWav16(const std::string& path, const Clip& clip)
{
    const auto channels = static_cast<std::uint16_t>(clip.channels.size());
    const auto dataBytes = static_cast<std::uint32_t>(clip.frames() * channels * 2);
    std::vector<char> bytes;
    bytes.reserve(44 + dataBytes);
    putTag(bytes, "RIFF");
    put32(bytes, 36 + dataBytes);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1); // PCM
    put16(bytes, channels);
    put32(bytes, kRate);
    put32(bytes, kRate * channels * 2u);
    put16(bytes, static_cast<std::uint16_t>(channels * 2));
    put16(bytes, 16);
    putTag(bytes, "data");
    put32(bytes, dataBytes);
    for (std::size_t i = 0; i < clip.frames(); ++i) {
        for (const Channel& c : clip.channels) {
            const long v = std::clamp(std::lround(c[i] * 32767.0), -32767L, 32767L);
            put16(bytes, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file.good();
}
