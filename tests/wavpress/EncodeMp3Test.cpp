#include "FileBytes.h"
#include "KilledChild.h"
#include "WavBytes.h"
#include "platform/files/PendingFile.h"
#include "recorder/EncoderLibrary.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <lame/lame.h>

namespace {

using wavbytes::Bytes;

enum class Sample { U8, S16, S24, S32, F32 };

struct Tone
{
    Sample sample = Sample::S16;
    int channels = 2;
    int rate = 44100;
    long frames = 44100;
    double frequency = 440.0;
    bool extensible = false;
};

// A sine at half scale, the same on every channel.
Bytes toneWav(const Tone& tone, std::int64_t claimedDataSize = -1)
{
    const int bits = tone.sample == Sample::U8 ? 8
        : tone.sample == Sample::S16           ? 16
        : tone.sample == Sample::S24           ? 24
                                               : 32;
    Bytes data;
    for (long i = 0; i < tone.frames; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * tone.frequency * i / tone.rate);
        for (int c = 0; c < tone.channels; ++c) {
            switch (tone.sample) {
            case Sample::U8:
                data.push_back(static_cast<std::uint8_t>(std::lround(128 + 127 * v)));
                break;
            case Sample::S16:
                wavbytes::put16(data, static_cast<std::uint16_t>(std::lround(32767 * v)));
                break;
            case Sample::S24: {
                const auto s = static_cast<std::uint32_t>(std::lround(8388607 * v));
                data.insert(
                    data.end(), { std::uint8_t(s), std::uint8_t(s >> 8), std::uint8_t(s >> 16) });
                break;
            }
            case Sample::S32:
                wavbytes::put32(data, static_cast<std::uint32_t>(std::llround(2147483647.0 * v)));
                break;
            case Sample::F32: {
                const float f = static_cast<float>(v);
                std::uint32_t raw;
                std::memcpy(&raw, &f, 4);
                wavbytes::put32(data, raw);
                break;
            }
            }
        }
    }
    const std::uint16_t tag = tone.sample == Sample::F32 ? 3 : 1;
    Bytes format = wavbytes::formatBody(tone.extensible ? 0xFFFE : tag,
        static_cast<std::uint16_t>(tone.channels), static_cast<std::uint32_t>(tone.rate),
        static_cast<std::uint16_t>(bits));
    if (tone.extensible) {
        wavbytes::put16(format, 22);
        wavbytes::put16(format, static_cast<std::uint16_t>(bits));
        wavbytes::put32(format, tone.channels == 2 ? 3 : 4);
        wavbytes::put16(format, tag);
        format.insert(format.end(),
            { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 });
    }
    // A chunk the reader must step over, placed before the format to show the order is free.
    return wavbytes::riff({ wavbytes::chunk("LIST", Bytes(7, 'x')), wavbytes::chunk("fmt ", format),
        wavbytes::chunk("data", data, claimedDataSize) });
}

// Noise of a fixed seed, the same on every channel; `rising` swells it from silence to full scale
// over the file, else it stays at full scale.
Bytes noiseWav(int channels, int rate, long frames, bool rising)
{
    Bytes data;
    std::uint32_t seed = 1;
    for (long i = 0; i < frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double level = rising ? static_cast<double>(i) / frames : 1.0;
        const auto noise =
            static_cast<std::int16_t>((static_cast<int>(seed >> 16) - 32768) * level * level);
        for (int c = 0; c < channels; ++c)
            wavbytes::put16(data, static_cast<std::uint16_t>(noise));
    }
    return wavbytes::wavFile(channels, rate, 16, data);
}

struct Decoded
{
    int rate = 0;
    int channels = 0;
    std::vector<short> left;
    std::vector<short> right;
    int encoderDelay = -1;
    int encoderPadding = -1;

    // The input's length: the Info header tells how much the encoder added at both ends.
    long trimmedLength() const
    {
        return static_cast<long>(left.size()) - encoderDelay - encoderPadding;
    }

    // From the left channel's rising crossings of a band around zero, counted over the tone
    // between its first and last crossing (the encoder's silent ends left out).
    double pitch() const
    {
        constexpr short kBand = 2000;
        long crossings = 0;
        std::size_t first = 0;
        std::size_t last = 0;
        bool low = false;
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (left[i] < -kBand) {
                low = true;
            } else if (low && left[i] > kBand) {
                low = false;
                if (crossings++ == 0)
                    first = i;
                last = i;
            }
        }
        return crossings < 2 ? 0.0 : static_cast<double>(crossings - 1) * rate / (last - first);
    }

    // Of the left channel's middle half, where the tone is steady.
    double rms() const
    {
        const std::size_t from = left.size() / 4;
        const std::size_t to = left.size() * 3 / 4;
        double sum = 0;
        for (std::size_t i = from; i < to; ++i)
            sum += static_cast<double>(left[i]) * left[i];
        return to > from ? std::sqrt(sum / (to - from)) : 0.0;
    }
};

Decoded decodeMp3(const QString& path)
{
    QByteArray mp3 = fileBytes(path);
    Decoded out;
    hip_t hip = hip_decode_init();
    short left[1152 * 2];
    short right[1152 * 2];
    for (qsizetype at = 0; at < mp3.size(); at += 512) {
        auto* chunk = reinterpret_cast<unsigned char*>(mp3.data() + at);
        std::size_t length = static_cast<std::size_t>(std::min<qsizetype>(512, mp3.size() - at));
        for (;;) {
            mp3data_struct header {};
            int delay = -1;
            int padding = -1;
            const int n =
                hip_decode1_headersB(hip, chunk, length, left, right, &header, &delay, &padding);
            length = 0;
            if (header.header_parsed) {
                out.rate = header.samplerate;
                out.channels = header.stereo;
            }
            if (delay >= 0) {
                out.encoderDelay = delay;
                out.encoderPadding = padding;
            }
            if (n <= 0)
                break;
            out.left.insert(out.left.end(), left, left + n);
            out.right.insert(out.right.end(), right, right + n);
        }
    }
    hip_decode_exit(hip);
    return out;
}

// The bit rate of every MPEG audio frame in the file after the first (the Info header, whose
// rate the encoder picks to fit it), walked header to header.
std::vector<int> frameBitrates(const QByteArray& mp3)
{
    static const int kMpeg1Layer3[16] = { 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224,
        256, 320, 0 };
    std::vector<int> rates;
    qsizetype at = 0;
    while (at + 4 <= mp3.size()) {
        const auto* h = reinterpret_cast<const std::uint8_t*>(mp3.constData() + at);
        if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA) // MPEG-1 layer III only: what these tests encode
            break;
        const int kbps = kMpeg1Layer3[h[2] >> 4];
        static const int kRates[4] = { 44100, 48000, 32000, 0 };
        const int rate = kRates[(h[2] >> 2) & 3];
        if (kbps == 0 || rate == 0)
            break;
        if (at > 0)
            rates.push_back(kbps);
        at += 144 * kbps * 1000 / rate + ((h[2] >> 1) & 1);
    }
    return rates;
}

// Every progress percentage the library reported, and the answer to give at each.
struct ProgressLog
{
    std::vector<int> seen;
    int stopAt = -1;
};

ProgressLog* currentLog = nullptr;

std::int16_t recordProgress(std::int32_t percent)
{
    currentLog->seen.push_back(percent);
    return currentLog->stopAt >= 0 && percent >= currentLog->stopAt ? 0 : -1;
}

class EncodeMp3Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        currentLog = &log;
    }

    void TearDown() override { currentLog = nullptr; }

    QString path(const QString& name) const { return folder.filePath(name); }

    std::int32_t encode(const QString& in,
        const QString& out,
        std::int32_t kbps = 128,
        std::int32_t rate = 0,
        std::uint8_t mode = 0)
    {
        const std::optional<std::int32_t> result =
            library.EncodeMp3(in, out, kbps, rate, mode, cell);
        EXPECT_TRUE(result.has_value()) << library.error().toStdString();
        return result.value_or(99);
    }

    // Only the named files: no partial output left behind.
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir folder;
    EncoderLibrary library { QStringLiteral(WAVPRESS_FOLDER) };
    ProgressLog log;
    WavpressProgress callback = &recordProgress;
    WavpressProgress* cell = &callback;
};

TEST_F(EncodeMp3Test, EncodesEveryInputFormatBackToItsLengthAndPitch)
{
    struct Case
    {
        const char* name;
        Tone tone;
        int kbps;
        std::uint8_t mode;
        int outRate; // asked for, 0 keeps the input's
        int expectRate;
        int expectChannels;
        long expectFrames;
        std::int64_t claimedData = -1;
    };

    const Case cases[] = {
        { "8-bit mono 11025 Hz", { Sample::U8, 1, 11025, 22050 }, 64, 0, 0, 11025, 1, 22050 },
        { "16-bit stereo 44100 Hz", { Sample::S16, 2, 44100, 88200 }, 128, 0, 0, 44100, 2, 88200 },
        { "24-bit stereo as mono", { Sample::S24, 2, 48000, 48000 }, 96, 3, 0, 48000, 1, 48000 },
        { "32-bit extensible, joint", { Sample::S32, 2, 32000, 32000, 440, true }, 128, 1, 0, 32000,
            2, 32000 },
        { "float mono, stereo asked", { Sample::F32, 1, 44100, 44100 }, 128, 0, 0, 44100, 1,
            44100 },
        { "float extensible, dual channel", { Sample::F32, 2, 44100, 44100, 440, true }, 128, 2, 0,
            44100, 2, 44100 },
        { "resampled 44100 to 22050", { Sample::S16, 2, 44100, 88200 }, 64, 0, 22050, 22050, 2,
            44100 },
        { "data chunk past the end", { Sample::S16, 1, 44100, 44100 }, 128, 0, 0, 44100, 1, 44100,
            1 << 30 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log = {};
        ASSERT_TRUE(writeFileBytes(path("in.wav"), toneWav(c.tone, c.claimedData)));
        ASSERT_EQ(encode(path("in.wav"), path("out.mp3"), c.kbps, c.outRate, c.mode), 0);
        const Decoded decoded = decodeMp3(path("out.mp3"));
        EXPECT_EQ(decoded.rate, c.expectRate);
        EXPECT_EQ(decoded.channels, c.expectChannels);
        ASSERT_GE(decoded.encoderDelay, 0) << "no Info header";
        EXPECT_NEAR(decoded.trimmedLength(), c.expectFrames, 1152);
        EXPECT_NEAR(decoded.pitch(), c.tone.frequency, c.tone.frequency * 0.02);
        const double halfScaleSineRms = 32767 * 0.5 / std::sqrt(2.0);
        EXPECT_NEAR(decoded.rms(), halfScaleSineRms, halfScaleSineRms * 0.1);
        EXPECT_FALSE(fileBytes(path("out.mp3")).right(128).startsWith("TAG"))
            << "an ID3 tag was written";

        ASSERT_FALSE(log.seen.empty());
        EXPECT_EQ(log.seen.front(), 0);
        EXPECT_EQ(log.seen.back(), 100);
        EXPECT_TRUE(std::is_sorted(log.seen.begin(), log.seen.end()));
        for (int percent = 0; percent <= 100; ++percent)
            EXPECT_NE(std::find(log.seen.begin(), log.seen.end(), percent), log.seen.end())
                << percent;
        EXPECT_EQ(files(), QStringList({ "in.wav", "out.mp3" }));
    }
}

TEST_F(EncodeMp3Test, StopLeavesAnOlderOutputIntactAndNoPartialFile)
{
    ASSERT_TRUE(writeFileBytes(path("in.wav"), toneWav({ Sample::S16, 2, 44100, 44100 * 3 })));
    ASSERT_TRUE(writeFileBytes(path("out.mp3"), Bytes(1000, 0x5A)));
    log.stopAt = 30;
    EXPECT_EQ(encode(path("in.wav"), path("out.mp3")), -2);
    EXPECT_EQ(log.seen.back(), 30);
    EXPECT_EQ(fileBytes(path("out.mp3")), QByteArray(1000, 0x5A));
    EXPECT_EQ(files(), QStringList({ "in.wav", "out.mp3" }));

    // No progress function at all (an empty cell, or none) still encodes.
    WavpressProgress none = nullptr;
    EXPECT_EQ(library.EncodeMp3(path("in.wav"), path("out.mp3"), 128, 0, 0, &none), 0);
    EXPECT_EQ(library.EncodeMp3(path("in.wav"), path("out.mp3"), 128, 0, 0, nullptr), 0);
    EXPECT_GT(fileBytes(path("out.mp3")).size(), 10000);
}

std::int16_t killAtThirtyPercent(std::int32_t percent)
{
    if (percent >= 30)
        std::raise(SIGKILL);
    return -1;
}

// An encoding whose process is killed midway leaves nothing in the output folder, and an older
// MP3 of that name as it was. Where the file system makes no unnamed files, what it leaves is a
// part, which the next encoding into the folder removes, while the part of an encoding still at
// work there stays.
TEST_F(EncodeMp3Test, AnEncodingKilledMidwayLeavesNothingPastTheNextOne)
{
    // A minute of stereo, encoded for a second or more before the kill.
    ASSERT_TRUE(writeFileBytes(path("in.wav"), toneWav({ Sample::S16, 2, 44100, 44100 * 60 })));
    ASSERT_TRUE(writeFileBytes(path("out.mp3"), Bytes(1000, 0x5A)));
    EXPECT_TRUE(killedInside([&] {
        WavpressProgress kill = &killAtThirtyPercent;
        library.EncodeMp3(path("in.wav"), path("out.mp3"), 128, 0, 0, &kill);
    }));
    EXPECT_EQ(fileBytes(path("out.mp3")), QByteArray(1000, 0x5A));
    if (makesUnnamedFiles(folder.path())) {
        EXPECT_EQ(files(), QStringList({ "in.wav", "out.mp3" }));
    }

    const std::string target = QFile::encodeName(path("out.mp3")).toStdString();
    PendingFile atWork;
    ASSERT_TRUE(atWork.create(target, ".wavpress-", 0644, PendingFile::Naming::PartFile));
    EXPECT_TRUE(killedInside([&] {
        PendingFile part;
        if (part.create(target, ".wavpress-", 0644, PendingFile::Naming::PartFile))
            std::raise(SIGKILL);
    }));
    ASSERT_EQ(files().filter(QStringLiteral(".part")).size(), 2);

    ASSERT_TRUE(writeFileBytes(path("short.wav"), toneWav({ Sample::S16, 2, 44100, 4410 })));
    EXPECT_EQ(encode(path("short.wav"), path("out.mp3")), 0);
    EXPECT_EQ(files().filter(QStringLiteral(".part")).size(), 1);
    atWork.discard();
    EXPECT_EQ(files(), QStringList({ "in.wav", "out.mp3", "short.wav" }));
    EXPECT_EQ(decodeMp3(path("out.mp3")).rate, 44100);
}

TEST_F(EncodeMp3Test, RefusesBadInputsOutputsAndParametersWithoutWritingAnything)
{
    const Bytes good = toneWav({ Sample::S16, 2, 44100, 4410 });
    // A format chunk and a silent data chunk of the given size.
    const auto plain = [](std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t bits, std::size_t dataBytes) {
        return wavbytes::riff(
            { wavbytes::chunk("fmt ", wavbytes::formatBody(tag, channels, rate, bits)),
                wavbytes::chunk("data", Bytes(dataBytes, 0)) });
    };
    const Bytes format3Channels = plain(1, 3, 44100, 16, 600);
    const Bytes format0Hz = plain(1, 2, 0, 16, 400);
    const Bytes noData =
        wavbytes::riff({ wavbytes::chunk("fmt ", wavbytes::formatBody(1, 2, 44100, 16)) });
    const Bytes emptyData = plain(1, 2, 44100, 16, 3);
    const Bytes alaw = plain(6, 1, 8000, 8, 800);
    const Bytes shortFormat = wavbytes::riff(
        { wavbytes::chunk("fmt ", Bytes(12, 1)), wavbytes::chunk("data", Bytes(800, 0)) });
    Bytes notRiff = good;
    notRiff[0] = 'X';

    struct Case
    {
        const char* name;
        const Bytes* input; // null: no input file
        const char* out;
        int kbps;
        int rate;
        std::uint8_t mode;
        int expect;
    };

    const Case cases[] = {
        { "missing input", nullptr, "out.mp3", 128, 0, 0, -4 },
        { "not RIFF", &notRiff, "out.mp3", 128, 0, 0, -4 },
        { "3 channels", &format3Channels, "out.mp3", 128, 0, 0, -4 },
        { "0 Hz", &format0Hz, "out.mp3", 128, 0, 0, -4 },
        { "no data chunk", &noData, "out.mp3", 128, 0, 0, -4 },
        { "no whole frame", &emptyData, "out.mp3", 128, 0, 0, -4 },
        { "A-law", &alaw, "out.mp3", 128, 0, 0, -4 },
        { "format chunk too short", &shortFormat, "out.mp3", 128, 0, 0, -4 },
        { "missing folder", &good, "nowhere/out.mp3", 128, 0, 0, -5 },
        { "output is a folder", &good, "sub", 128, 0, 0, -5 },
        { "22000 Hz is no MP3 rate", &good, "out.mp3", 128, 22000, 0, -6 },
        { "bit rate 0", &good, "out.mp3", 0, 0, 0, -6 },
        { "bit rate 400", &good, "out.mp3", 400, 0, 0, -6 },
        { "mode 4", &good, "out.mp3", 128, 0, 4, -6 },
    };
    ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("in.wav"));
        if (c.input) {
            ASSERT_TRUE(writeFileBytes(path("in.wav"), *c.input));
        }
        EXPECT_EQ(encode(path("in.wav"), path(c.out), c.kbps, c.rate, c.mode), c.expect);
        EXPECT_EQ(files(), c.input ? QStringList({ "in.wav" }) : QStringList());
    }

    // A refused VBR setting leaves the next encoding at its constant rate.
    ASSERT_TRUE(writeFileBytes(path("in.wav"), good));
    EXPECT_EQ(library.SetVBR(1, 10, 0, 128), -6);
    EXPECT_EQ(library.SetVBR(1, 5, 192, 128), -6);
    EXPECT_EQ(encode(path("in.wav"), path("out.mp3"), 160), 0);
    const std::vector<int> rates = frameBitrates(fileBytes(path("out.mp3")));
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(std::count(rates.begin(), rates.end(), 160), static_cast<long>(rates.size()));
}

TEST_F(EncodeMp3Test, VbrHoldsForOneEncodingOnly)
{
    // Noise rising in loudness, so that a variable rate has something to vary with.
    ASSERT_TRUE(writeFileBytes(path("in.wav"), noiseWav(2, 44100, 44100 * 2, true)));

    ASSERT_EQ(library.SetVBR(1, 0, 0, 320), 0);
    ASSERT_EQ(encode(path("in.wav"), path("vbr.mp3"), 128), 0);
    std::vector<int> rates = frameBitrates(fileBytes(path("vbr.mp3")));
    std::sort(rates.begin(), rates.end());
    EXPECT_GT(std::unique(rates.begin(), rates.end()) - rates.begin(), 2);

    ASSERT_EQ(library.SetVBR(1, 9, 0, 64), 0);
    ASSERT_EQ(encode(path("in.wav"), path("capped.mp3"), 320), 0);
    rates = frameBitrates(fileBytes(path("capped.mp3")));
    ASSERT_FALSE(rates.empty());
    EXPECT_LE(*std::max_element(rates.begin(), rates.end()), 64);

    ASSERT_EQ(encode(path("in.wav"), path("cbr.mp3"), 192), 0);
    rates = frameBitrates(fileBytes(path("cbr.mp3")));
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(std::count(rates.begin(), rates.end(), 192), static_cast<long>(rates.size()));
}

// A minute at one of the recorder's low rates (the rate, the channels), raised to each rate the
// encoder window offers: one input block then becomes up to six times as many output samples, and
// full-scale noise at 320 kbit/s, or at VBR quality 0, fills every frame to its largest. One test
// per input, so that they run side by side.
class LowRateMinute : public EncodeMp3Test,
                      public ::testing::WithParamInterface<std::pair<int, int>>
{
};

TEST_P(LowRateMinute, EncodesToEveryOfferedRateAtTheLargestFramesAndDecodesToItsLength)
{
    const auto [inRate, channels] = GetParam();
    ASSERT_TRUE(writeFileBytes(path("in.wav"), noiseWav(channels, inRate, 60L * inRate, false)));
    for (const int outRate : { 32000, 44100, 48000 }) {
        for (const bool vbr : { false, true }) {
            SCOPED_TRACE(QStringLiteral("to %1 Hz, %2")
                             .arg(outRate)
                             .arg(vbr ? "VBR quality 0" : "320 kbit/s")
                             .toStdString());
            if (vbr) {
                ASSERT_EQ(library.SetVBR(1, 0, 0, 320), 0);
            }
            ASSERT_EQ(encode(path("in.wav"), path("out.mp3"), 320, outRate, 0), 0);
            const Decoded decoded = decodeMp3(path("out.mp3"));
            EXPECT_EQ(decoded.rate, outRate);
            EXPECT_EQ(decoded.channels, channels);
            ASSERT_GE(decoded.encoderDelay, 0) << "no Info header";
            EXPECT_NEAR(decoded.trimmedLength(), 60L * outRate, 1152);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RecorderRates,
    LowRateMinute,
    ::testing::Values(
        std::pair(8000, 1), std::pair(8000, 2), std::pair(11025, 1), std::pair(11025, 2)));

TEST(EncoderLibraryTest, ExportsExactlyItsTwoFunctions)
{
    const QString library =
        QDir(QStringLiteral(WAVPRESS_FOLDER)).filePath(EncoderLibrary::kFileName);
    std::FILE* nm = popen(
        ("nm -D --defined-only --format=posix " + QFile::encodeName(library)).constData(), "r");
    ASSERT_NE(nm, nullptr);
    QStringList names;
    char line[512];
    while (std::fgets(line, sizeof line, nm))
        names << QString::fromLatin1(line).section(' ', 0, 0);
    ASSERT_EQ(pclose(nm), 0);
    names.sort();
    EXPECT_EQ(names, QStringList({ "EncodeMp3", "SetVBR" }));
}

TEST(EncoderLibraryTest, MissingLibraryOrFunctionIsAReportableFailure)
{
    QTemporaryDir folder;
    EncoderLibrary missing(folder.path(), QStringLiteral("libwavpress-none.so"));
    EXPECT_FALSE(missing.SetVBR(0, 0, 0, 0).has_value());
    EXPECT_TRUE(missing.error().contains("libwavpress-none.so")) << missing.error().toStdString();

    // A file beside the program that does not load: its own failure is told.
    const QString junk = folder.filePath("libwavpress-junk.so");
    ASSERT_TRUE(writeFileBytes(junk, "not a library"));
    EncoderLibrary broken(folder.path(), QStringLiteral("libwavpress-junk.so"));
    EXPECT_FALSE(broken.SetVBR(0, 0, 0, 0).has_value());
    EXPECT_TRUE(broken.error().contains(junk)) << broken.error().toStdString();

    // A real library that lacks the functions, under the encoder's name.
    ASSERT_TRUE(
        QFile::link(QStringLiteral(MP3LAME_LIBRARY), folder.filePath(EncoderLibrary::kFileName)));
    EncoderLibrary wrong(folder.path());
    EXPECT_FALSE(wrong.EncodeMp3("in.wav", "out.mp3", 128, 0, 0, nullptr).has_value());
    EXPECT_TRUE(wrong.error().contains("EncodeMp3")) << wrong.error().toStdString();
}

} // namespace
