#pragma once

// Builds WAV files byte by byte for the tests, laid out as writers lay them out (or, when told,
// with lying sizes). A plain file comes from the program's own writer.

#include "platform/audio/WavWriter.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace wavbytes {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void put32(Bytes& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

// A chunk as writers lay it out: id, little-endian size (the true one unless told to lie), body,
// and a pad byte after an odd body.
inline Bytes chunk(const char* id, const Bytes& body, std::int64_t claimedSize = -1)
{
    Bytes out(id, id + 4);
    put32(out, static_cast<std::uint32_t>(claimedSize >= 0 ? claimedSize : body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1)
        out.push_back(0);
    return out;
}

inline Bytes formatBody(
    std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    Bytes out;
    put16(out, tag);
    put16(out, channels);
    put32(out, rate);
    put32(out, rate * channels * bits / 8);
    put16(out, static_cast<std::uint16_t>(channels * bits / 8));
    put16(out, bits);
    return out;
}

inline Bytes riff(const std::vector<Bytes>& chunks, std::int64_t claimedSize = -1)
{
    Bytes body { 'W', 'A', 'V', 'E' };
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes out { 'R', 'I', 'F', 'F' };
    put32(out, static_cast<std::uint32_t>(claimedSize >= 0 ? claimedSize : body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A canonical file of PCM samples (wavFileBytes); empty for a format the writer refuses.
inline Bytes wavFile(int channels, int rate, int bits, const Bytes& pcm)
{
    const QByteArray file = wavFileBytes(channels, rate, bits,
        QByteArray(reinterpret_cast<const char*>(pcm.data()), static_cast<qsizetype>(pcm.size())));
    return Bytes(file.begin(), file.end());
}

inline Bytes samples16(std::initializer_list<std::int16_t> values)
{
    Bytes out;
    for (std::int16_t value : values)
        put16(out, static_cast<std::uint16_t>(value));
    return out;
}

} // namespace wavbytes
