#include "platform/audio/WavReader.h"

#include "FileBytes.h"
#include "WavBytes.h"
#include "platform/audio/AudioClip.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavbytes;

namespace {

WavReader::Result decode(const Bytes& bytes)
{
    return WavReader::decode(bytes);
}

} // namespace

TEST(WavReaderTest, SampleLayoutsDecodeToStereoFloat)
{
    const Bytes junk { 1, 2, 3 }; // odd: a pad byte follows
    const Bytes eightBitData { 0, 128, 255 }; // odd, last chunk: pad byte, then a LIST chunk

    struct Case
    {
        const char* name;
        Bytes file;
        std::vector<float> expected;
    };

    const std::vector<Case> cases {
        { "8-bit unsigned mono",
            riff({ chunk("fmt ", formatBody(1, 1, 44100, 8)), chunk("data", { 0, 128, 255, 64 }) }),
            { -1, -1, 0, 0, 127 / 128.0f, 127 / 128.0f, -0.5f, -0.5f } },
        { "16-bit mono",
            riff({ chunk("fmt ", formatBody(1, 1, 44100, 16)),
                chunk("data", samples16({ -32768, 0, 32767, 16384 })) }),
            { -1, -1, 0, 0, 32767 / 32768.0f, 32767 / 32768.0f, 0.5f, 0.5f } },
        { "16-bit stereo",
            riff({ chunk("fmt ", formatBody(1, 2, 44100, 16)),
                chunk("data", samples16({ 16384, -16384, -8192, 8192 })) }),
            { 0.5f, -0.5f, -0.25f, 0.25f } },
        { "8-bit stereo",
            riff({ chunk("fmt ", formatBody(1, 2, 44100, 8)), chunk("data", { 192, 64 }) }),
            { 0.5f, -0.5f } },
        { "odd chunks with pad bytes around LIST, fact and unknown chunks",
            riff({ chunk("junk", junk), chunk("fmt ", formatBody(1, 1, 44100, 8)),
                chunk("fact", { 3, 0, 0, 0 }), chunk("LIST", Bytes(9, 'x')),
                chunk("data", eightBitData), chunk("LIST", Bytes(4, 'y')) }),
            { -1, -1, 0, 0, 127 / 128.0f, 127 / 128.0f } },
        { "format after data",
            riff(
                { chunk("data", samples16({ 8192 })), chunk("fmt ", formatBody(1, 1, 44100, 16)) }),
            { 0.25f, 0.25f } },
        { "wave format extensible with PCM samples",
            [] {
                Bytes format = formatBody(0xFFFE, 1, 44100, 16);
                put16(format, 22);
                put16(format, 16);
                put32(format, 4);
                put16(format, 1); // sub-format GUID starts with the PCM tag
                format.resize(40, 0);
                return riff({ chunk("fmt ", format), chunk("data", samples16({ -8192 })) });
            }(),
            { -0.25f, -0.25f } },
        { "partial last frame dropped",
            riff({ chunk("fmt ", formatBody(1, 2, 44100, 16)), chunk("data", { 0, 64, 0 }) }), {} },
        { "RIFF size too small", // the chunks' own sizes count
            riff({ chunk("fmt ", formatBody(1, 1, 44100, 16)), chunk("data", samples16({ 8192 })) },
                4),
            { 0.25f, 0.25f } },
        { "RIFF size too large",
            riff({ chunk("fmt ", formatBody(1, 1, 44100, 16)), chunk("data", samples16({ 8192 })) },
                0xFFFFFFF0),
            { 0.25f, 0.25f } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = decode(c.file);
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(result.clip->samples, c.expected);
    }
}

TEST(WavReaderTest, MalformedFilesFailWithAReason)
{
    const Bytes fmt16 = chunk("fmt ", formatBody(1, 1, 44100, 16));
    const Bytes data = chunk("data", samples16({ 1, 2, 3, 4 }));
    Bytes truncated = riff({ fmt16, data });
    truncated.resize(truncated.size() - 3);

    struct Case
    {
        const char* name;
        Bytes file;
    };

    const std::vector<Case> cases {
        { "empty", {} },
        { "too short", { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V' } },
        { "not RIFF",
            [&] {
                Bytes file = riff({ fmt16, data });
                file[0] = 'X';
                return file;
            }() },
        { "not WAVE",
            [&] {
                Bytes file = riff({ fmt16, data });
                file[8] = 'A';
                return file;
            }() },
        { "truncated data", truncated },
        { "data size lies past the end", riff({ fmt16, chunk("data", samples16({ 1 }), 1000) }) },
        { "huge data size", riff({ fmt16, chunk("data", samples16({ 1 }), 0xFFFFFFFF) }) },
        { "huge unknown chunk hides the rest",
            riff({ chunk("junk", { 1, 2 }, 0xFFFFFFFE), fmt16, data }) },
        { "huge format size",
            riff({ chunk("fmt ", formatBody(1, 1, 44100, 16), 0xFFFFFFFF), data }) },
        { "no format chunk", riff({ data }) },
        { "no data chunk", riff({ fmt16 }) },
        { "format chunk too short", riff({ chunk("fmt ", Bytes(14, 1)), data }) },
        { "float samples", riff({ chunk("fmt ", formatBody(3, 1, 44100, 32)), data }) },
        { "compressed samples", riff({ chunk("fmt ", formatBody(2, 1, 44100, 4)), data }) },
        { "extensible, not PCM",
            riff({ chunk("fmt ",
                       [] {
                           Bytes format = formatBody(0xFFFE, 1, 44100, 16);
                           format.resize(24, 0);
                           put16(format, 3);
                           format.resize(40, 0);
                           return format;
                       }()),
                data }) },
        { "zero channels", riff({ chunk("fmt ", formatBody(1, 0, 44100, 16)), data }) },
        { "six channels", riff({ chunk("fmt ", formatBody(1, 6, 44100, 16)), data }) },
        { "24-bit", riff({ chunk("fmt ", formatBody(1, 1, 44100, 24)), data }) },
        { "zero bits", riff({ chunk("fmt ", formatBody(1, 1, 44100, 0)), data }) },
        { "zero rate", riff({ chunk("fmt ", formatBody(1, 1, 0, 16)), data }) },
        { "absurd rate", riff({ chunk("fmt ", formatBody(1, 1, 0xFFFFFFFF, 16)), data }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = decode(c.file);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(WavReaderTest, EveryPrefixOfAFileIsSafe)
{
    const Bytes file =
        riff({ chunk("LIST", Bytes(5, 'x')), chunk("fmt ", formatBody(1, 2, 22050, 16)),
            chunk("data", samples16({ 1, 2, 3, 4, 5, 6 })) });
    for (std::size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        const auto result = WavReader::decode(std::span(file.data(), length));
        EXPECT_FALSE(result);
    }
    EXPECT_TRUE(decode(file));
}

TEST(WavReaderTest, ResamplingKeepsLengthAndPitch)
{
    constexpr double kTone = 1000.0;
    for (std::uint32_t rate : { 22050u, 48000u, 8000u, 96000u }) {
        SCOPED_TRACE(rate);
        Bytes pcm;
        for (std::uint32_t i = 0; i < rate; ++i)
            put16(pcm,
                static_cast<std::uint16_t>(static_cast<std::int16_t>(
                    std::lround(16000 * std::sin(2 * std::numbers::pi * kTone * i / rate)))));
        const auto result =
            decode(riff({ chunk("fmt ", formatBody(1, 1, rate, 16)), chunk("data", pcm) }));
        ASSERT_TRUE(result) << result.error;
        const auto& out = result.clip->samples;
        ASSERT_EQ(result.clip->frames(), 44100); // one second stays one second

        // Pitch: rising zero crossings over the middle half second (away from the edges).
        int crossings = 0;
        float peak = 0;
        for (std::size_t frame = 11025; frame < 33075; ++frame) {
            if (out[(frame - 1) * 2] < 0 && out[frame * 2] >= 0)
                ++crossings;
            peak = std::max(peak, std::abs(out[frame * 2]));
        }
        EXPECT_NEAR(crossings, 500, 1);
        EXPECT_NEAR(peak, 16000 / 32768.0, 0.01);
        // The ideal sine at the output rate, sample by sample.
        double worst = 0;
        for (std::size_t frame = 11025; frame < 33075; ++frame) {
            const double ideal =
                16000 / 32768.0 * std::sin(2 * std::numbers::pi * kTone * frame / 44100);
            worst = std::max(worst, std::abs(out[frame * 2] - ideal));
        }
        EXPECT_LT(worst, 0.005);
    }
}

TEST(WavReaderTest, ReadsFilesAndReportsMissingOnes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    const Bytes file = riff(
        { chunk("fmt ", formatBody(1, 1, 44100, 16)), chunk("data", samples16({ 8192, -8192 })) });
    ASSERT_TRUE(writeFileBytes(path, file));

    const auto result = WavReader::readFile(path);
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(result.clip->samples, (std::vector<float> { 0.25f, 0.25f, -0.25f, -0.25f }));
    EXPECT_FALSE(WavReader::readFile(dir.filePath(QStringLiteral("missing.wav"))));
}
