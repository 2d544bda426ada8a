#pragma once

// The bytes of a take with known samples, the same in a helper process that records it and in
// the test that reads what the helper left: every byte differs from its neighbours, so a block
// dropped, repeated or moved shows.

#include <cstdint>

#include <QByteArray>

inline std::uint8_t knownTakeByte(std::int64_t index)
{
    return static_cast<std::uint8_t>((index * 37 + index / 509) & 0xFF);
}

// Bytes [first, first + count) of the known take.
inline QByteArray knownTakeBytes(std::int64_t first, std::int64_t count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(knownTakeByte(first + i));
    return bytes;
}
