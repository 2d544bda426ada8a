#pragma once

// The chunks of a RIFF WAVE file, walked in the order they stand, and the fields every "fmt "
// chunk begins with. Header-only, without Qt and without the rest of the platform: the encoder
// library, which links neither, reads its input with the same walk as the program's readers.
//
// The RIFF size in the file's header is not trusted (writers that stopped early leave it wrong):
// the walk goes on to the real end of the file, and every chunk says how much of its body the file
// really holds, so that each reader applies its own rule to a chunk cut short. Offsets and sizes
// are in bytes, counted in 64 bits. Any thread; no state of its own.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace riff {

inline std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8
        | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Chunk
{
    char id[4];
    // As its header claims it.
    std::uint32_t size;
    // Where its body starts in the file.
    std::int64_t body;
    // Of its body, the bytes the file really holds.
    std::int64_t available;

    bool is(const char* name) const { return std::memcmp(id, name, 4) == 0; }

    bool whole() const { return available == size; }
};

enum class WalkEnd {
    NotRiffWave, // shorter than 12 bytes, or no "RIFF" ... "WAVE" at its start
    Unreadable, // a chunk header could not be read
    FileEnd, // no further chunk header fits in the file
    Stopped, // the visitor asked to stop
};

// Calls `visit(const Chunk&)` for each chunk of a file of `fileSize` bytes, in file order, until it
// answers false. `read(offset, out, count)` fills `out` with the `count` bytes at `offset` and
// answers false when it cannot. A chunk of odd size is followed by a pad byte, which the next
// chunk's offset steps over.
template <typename Read, typename Visit>
WalkEnd walkChunks(std::int64_t fileSize, Read&& read, Visit&& visit)
{
    std::uint8_t head[12];
    if (fileSize < 12 || !read(std::int64_t { 0 }, head, sizeof head)
        || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return WalkEnd::NotRiffWave;
    std::int64_t at = 12;
    while (fileSize - at >= 8) {
        std::uint8_t header[8];
        if (!read(at, header, sizeof header))
            return WalkEnd::Unreadable;
        Chunk chunk {};
        std::memcpy(chunk.id, header, 4);
        chunk.size = le32(header + 4);
        chunk.body = at + 8;
        const std::int64_t left = fileSize - chunk.body;
        chunk.available = chunk.size < left ? std::int64_t { chunk.size } : left;
        if (!visit(static_cast<const Chunk&>(chunk)))
            return WalkEnd::Stopped;
        at = chunk.body + chunk.size + (chunk.size & 1);
    }
    return WalkEnd::FileEnd;
}

inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatFloat = 3;
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// The fields at the start of every "fmt " chunk.
struct FormatFields
{
    std::uint16_t tag;
    std::uint16_t channels;
    // Hz.
    std::uint32_t rate;
    // Of one sample.
    std::uint16_t bits;

    static constexpr std::size_t kBytes = 16;
};

// `body` holds at least FormatFields::kBytes bytes of a "fmt " chunk.
inline FormatFields formatFields(const std::uint8_t* body)
{
    return { le16(body), le16(body + 2), le32(body + 4), le16(body + 14) };
}

} // namespace riff
