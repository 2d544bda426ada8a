#include "platform/audio/WavePlayback.h"

#include "platform/audio/Resampler.h"
#include "platform/audio/TakeFile.h"
#include "platform/audio/WavReader.h"

#include <chrono>
#include <thread>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::vector<std::uint8_t> knownPcm(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 11);
    return bytes;
}

std::shared_ptr<TakeFile> takeOf(
    const QString& folder, const CaptureFormat& format, const std::vector<std::uint8_t>& pcm)
{
    QString error;
    std::shared_ptr<TakeFile> take = TakeFile::create(folder, format, &error);
    EXPECT_TRUE(take) << error.toStdString();
    if (take) {
        EXPECT_EQ(take->append(pcm.data(), pcm.size(), ::pwrite), TakeFault::None);
    }
    return take;
}

// Renders up to `total` frames in blocks of `block`, each once the reader has it ready, as an
// output in real time would find it; stops at the end or when nothing more comes.
std::vector<float> playAll(WavePlayback& playback, int block, std::int64_t total)
{
    std::vector<float> out;
    std::vector<float> mix(std::size_t(block) * 2);
    while (!playback.finished()) {
        const std::int64_t wanted = std::min<std::int64_t>(block, total - playback.framesPlayed());
        for (int i = 0; i < 1000 && playback.framesRead() - playback.framesPlayed() < wanted
             && !playback.finished();
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::fill(mix.begin(), mix.end(), 0.0f);
        const std::int64_t before = playback.framesPlayed();
        playback.render(mix.data(), block, 0);
        const std::int64_t played = playback.framesPlayed() - before;
        if (played == 0)
            break;
        out.insert(out.end(), mix.begin(), mix.begin() + played * 2);
    }
    return out;
}

} // namespace

// Seconds past the ring, so the reader thread tops it up while the output takes from it: the
// output is what the whole tail converted at once gives, for a rate converted and one passed.
TEST(WavePlayback, aStreamedTakeSoundsAsTheWholeTailConvertedAtOnce)
{
    struct Row
    {
        CaptureFormat format;
        std::int64_t fromFrame;
    };

    const Row rows[] = {
        { { 22050, 2, 16 }, 12345 },
        { { 44100, 1, 16 }, 0 },
        { { 48000, 2, 8 }, 7 },
    };
    QTemporaryDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.format.sampleRate);
        const std::int64_t frames = 4 * std::int64_t(row.format.sampleRate) + 333;
        const std::vector<std::uint8_t> pcm =
            knownPcm(std::size_t(frames * row.format.bytesPerFrame()));
        const std::shared_ptr<TakeFile> take = takeOf(dir.path(), row.format, pcm);
        ASSERT_TRUE(take);

        std::vector<float> tail(std::size_t(frames - row.fromFrame) * 2);
        pcmToStereo(pcm.data() + row.fromFrame * row.format.bytesPerFrame(), frames - row.fromFrame,
            row.format.channels, row.format.bitsPerSample, tail.data());
        const std::vector<float> expected = resampleStereo(tail, row.format.sampleRate, 44100);

        WavePlayback playback(take, row.fromFrame * row.format.bytesPerFrame());
        const std::vector<float> played =
            playAll(playback, 1024, std::int64_t(expected.size() / 2));
        ASSERT_EQ(played.size(), expected.size());
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            wrong += played[i] != expected[i];
        EXPECT_EQ(wrong, 0u);
        EXPECT_TRUE(playback.finished());
    }
}

// A take that cannot be read further (its file cut short under it) ends the playback where the
// reading stopped, instead of playing on forever.
TEST(WavePlayback, aTakeThatCannotBeReadEndsThePlaybackWhereReadingStopped)
{
    QTemporaryDir dir;
    const CaptureFormat format { 44100, 2, 16 };
    const std::vector<std::uint8_t> pcm = knownPcm(10 * 44100 * 4);
    const std::shared_ptr<TakeFile> take = takeOf(dir.path(), format, pcm);
    ASSERT_TRUE(take);
    WavePlayback playback(take, 0);
    ASSERT_TRUE(QFile::resize(take->path(), 44 + 3 * 44100 * 4));
    const std::vector<float> played = playAll(playback, 512, 10 * 44100);
    EXPECT_TRUE(playback.finished());
    EXPECT_GE(played.size(), std::size_t(65536 * 2)); // what was ready before the cut
    EXPECT_LE(played.size(), std::size_t(3 * 44100 * 2));
}
