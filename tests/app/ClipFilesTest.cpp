#include "WavBytes.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/WavReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// The click clips compiled into the program: each must decode, have exactly its length, start
// at its attack (the metronome places a clip's first sample on the beat) and end in silence
// (a clip that is cut at its end must not click).
namespace {

struct ExpectedClip
{
    const char* name;
    int ms;
    int channels;
};

const ExpectedClip kClips[] = { { "ACCENT1", 62, 1 }, { "ACCENT2", 62, 1 }, { "BONGO", 177, 1 },
    { "COWBALL1", 148, 1 }, { "COWBALL2", 149, 1 }, { "GLASS", 52, 1 }, { "HANDCLAP1", 138, 1 },
    { "HANDCLAP2", 129, 1 }, { "HANDCLAP3", 2000, 1 }, { "HANDCLAP4", 826, 2 },
    { "HATTITE", 42, 1 }, { "HIHAT1", 120, 1 }, { "HIHAT2", 92, 1 }, { "HIHAT3", 62, 1 },
    { "KICK", 167, 1 }, { "PAUSE", 8, 1 }, { "SIDE", 586, 1 }, { "SNAP", 15, 1 },
    { "SNARE1", 134, 1 }, { "SNARE2", 157, 1 }, { "SNARE3", 165, 1 }, { "SOFTTAMB", 157, 1 },
    { "STICKS", 30, 1 }, { "TAMBOURIN", 141, 1 } };

constexpr std::size_t kTwoMs = 88; // frames

// Samples as the 16-bit values stored; the reader scales by 1/32768.
std::vector<int> side(const AudioClip& clip, int channel)
{
    std::vector<int> out(static_cast<std::size_t>(clip.frames()));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int>(std::lround(clip.samples[2 * i + channel] * 32768.0f));
    return out;
}

int peakOf(const std::vector<int>& s, std::size_t from = 0)
{
    int peak = 0;
    for (std::size_t i = from; i < s.size(); ++i)
        peak = std::max(peak, std::abs(s[i]));
    return peak;
}

class ClipFilesTest : public testing::TestWithParam<ExpectedClip>
{
};

TEST_P(ClipFilesTest, IsPcmOfItsExactLengthStartingAtTheAttackAndEndingFaded)
{
    const ExpectedClip clip = GetParam();
    const QString path = QStringLiteral(":/clips/%1.wav").arg(clip.name);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // 44.1 frames per millisecond, halves rounded up (15 ms is 662 frames, 165 ms is 7277).
    const int frames = (clip.ms * 441 + 5) / 10;

    // A plain 16-bit PCM RIFF file at 44100 Hz: 'fmt ' then 'data', nothing else, sizes that add
    // up. The header is the one the layout gives for data of this length.
    const auto layout =
        wavbytes::wavFile(clip.channels, 44100, 16, wavbytes::Bytes(frames * clip.channels * 2));
    ASSERT_EQ(bytes.size(), qsizetype(layout.size()));
    EXPECT_EQ(bytes.left(44), QByteArray(reinterpret_cast<const char*>(layout.data()), 44));

    const WavReader::Result decoded = WavReader::readFile(path);
    ASSERT_TRUE(decoded) << decoded.error;
    ASSERT_EQ(decoded.clip->frames(), frames);
    const std::vector<int> left = side(*decoded.clip, 0);
    const std::vector<int> right = side(*decoded.clip, 1);
    if (clip.channels == 2) {
        EXPECT_NE(left, right) << "a stereo clip whose sides are the same";
    }

    const int peak = std::max(peakOf(left), peakOf(right));
    if (std::strcmp(clip.name, "PAUSE") == 0) {
        // The pause letter's clip: a tick far below the others, but not an empty file.
        EXPECT_GT(peak, 50);
        EXPECT_LT(peak, 300);
    } else {
        // Near -3 dBFS; the upper bound also keeps every sample off full scale.
        const double dbfs = 20 * std::log10(peak / 32768.0);
        EXPECT_GT(dbfs, -4.5);
        EXPECT_LT(dbfs, -1.5);
    }

    // The attack: from (near) silence to a tenth of the peak within 2 ms.
    std::size_t onset = left.size();
    for (const auto* s : { &left, &right }) {
        const auto loud = std::find_if(s->begin(), s->end(), [&](int v) {
            return std::abs(v) * 10 >= peak;
        });
        onset = std::min(onset, static_cast<std::size_t>(loud - s->begin()));
        EXPECT_LE(std::abs(s->front()) * 100, peak) << "the first sample is a step";
    }
    EXPECT_LT(onset, kTwoMs) << "onset at frame " << onset;

    // The fade: the last 2 ms at least 30 dB below the peak.
    const std::size_t tail = left.size() - kTwoMs;
    const int tailPeak = std::max(peakOf(left, tail), peakOf(right, tail));
    EXPECT_LT(tailPeak, peak / 31.6) << "last 2 ms peak " << tailPeak << " of " << peak;
}

INSTANTIATE_TEST_SUITE_P(AllClips,
    ClipFilesTest,
    testing::ValuesIn(kClips),
    [](const testing::TestParamInfo<ExpectedClip>& info) {
        return std::string(info.param.name);
    });

TEST(ClipResourcesTest, HoldExactlyTheTwentyFourClips)
{
    QStringList expected;
    for (const ExpectedClip& clip : kClips)
        expected << QStringLiteral("%1.wav").arg(clip.name);
    QStringList present = QDir(QStringLiteral(":/clips")).entryList(QDir::Files);
    present.sort();
    EXPECT_EQ(present, expected);
}

} // namespace
