#include "platform/audio/WavWriter.h"

#include "platform/audio/AudioClip.h"
#include "platform/audio/WavReader.h"

#include <climits>
#include <cstdint>
#include <span>
#include <vector>

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

TEST(WavWriterTest, GoldenFiles)
{
    struct Case
    {
        const char* name;
        QByteArray written;
        QByteArray golden;
    };

    const Case cases[] = {
        { "8-bit mono at 8000 Hz, odd data with its pad byte",
            wavFileBytes(1, 8000, 8, bytes({ 0x80, 0xFF, 0x00 })),
            bytes({ 'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', //
                'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, //
                0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, //
                'd', 'a', 't', 'a', 3, 0, 0, 0, 0x80, 0xFF, 0x00, 0x00 }) },
        { "16-bit stereo at 44100 Hz, one frame",
            wavFileBytes(2, 44100, 16, bytes({ 0x01, 0x00, 0xFE, 0xFF })),
            bytes({ 'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', //
                'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0, //
                0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, //
                'd', 'a', 't', 'a', 4, 0, 0, 0, 0x01, 0x00, 0xFE, 0xFF }) },
        { "header alone: 16-bit stereo at 48000 Hz, large data",
            wavHeader(2, 48000, 16, 0x12345678u),
            bytes({ 'R', 'I', 'F', 'F', 0x9C, 0x56, 0x34, 0x12, 'W', 'A', 'V', 'E', //
                'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0, //
                0x80, 0xBB, 0, 0, 0x00, 0xEE, 0x02, 0, 4, 0, 16, 0, //
                'd', 'a', 't', 'a', 0x78, 0x56, 0x34, 0x12 }) },
        { "16-bit mono at 1 Hz, no data", wavFileBytes(1, 1, 16, QByteArray()),
            bytes({ 'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', //
                'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, //
                1, 0, 0, 0, 2, 0, 0, 0, 2, 0, 16, 0, //
                'd', 'a', 't', 'a', 0, 0, 0, 0 }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.written.toHex(' '), c.golden.toHex(' '));
    }
}

TEST(WavWriterTest, WhatCannotBeLaidOutGivesNothing)
{
    struct Case
    {
        const char* name;
        int channels, rate, bits;
        quint32 dataBytes;
        bool laidOut;
    };

    const Case cases[] = {
        { "no channels", 0, 44100, 16, 0, false },
        { "three channels", 3, 44100, 16, 0, false },
        { "24-bit", 2, 44100, 24, 0, false },
        { "12-bit", 1, 44100, 12, 0, false },
        { "rate 0", 1, 0, 8, 0, false },
        { "negative rate", 1, -44100, 8, 0, false },
        { "byte rate past 32 bits", 2, INT_MAX, 16, 0, false },
        { "largest byte rate", 1, INT_MAX, 16, 0, true },
        { "half a stereo frame", 2, 44100, 16, 6, false },
        { "half a 16-bit sample", 1, 44100, 16, 3, false },
        // The RIFF size is data + 36 + pad and must fit in 32 bits.
        { "largest even data", 1, 8000, 8, 0xFFFFFFFFu - 37, true },
        { "largest data, odd: its pad byte does not fit", 1, 8000, 8, 0xFFFFFFFFu - 36, false },
        { "past 4 GiB", 1, 8000, 8, 0xFFFFFFFFu - 35, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray header = wavHeader(c.channels, c.rate, c.bits, c.dataBytes);
        EXPECT_EQ(header.size(), c.laidOut ? 44 : 0);
        if (c.dataBytes < 16) {
            const QByteArray pcm(static_cast<qsizetype>(c.dataBytes), '\0');
            EXPECT_EQ(wavFileBytes(c.channels, c.rate, c.bits, pcm).isEmpty(), !c.laidOut);
        }
    }
}

// What the writer lays out the reader takes back sample for sample, pad byte and all.
TEST(WavWriterTest, TheReaderReadsWhatWasWritten)
{
    const QByteArray file = wavFileBytes(1, 44100, 8, bytes({ 0x00, 0x80, 0xC0 }));
    const auto result = WavReader::decode(std::span(
        reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
    ASSERT_TRUE(result) << result.error;
    const std::vector<float> expected { -1, -1, 0, 0, 0.5f, 0.5f };
    EXPECT_EQ(result.clip->samples, expected);
}

} // namespace
