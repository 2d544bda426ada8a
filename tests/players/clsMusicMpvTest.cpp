#include "SmfWriter.h"
#include "TestMedia.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFilePlayer.h"
#include "players/clsMusic.h"

#include <algorithm>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// The player over the real engine, silent: mpv's null outputs keep a file's pace without a
// sound card or a display.
class clsMusicMpvTest : public ::testing::Test
{
protected:
    clsMusicMpvTest()
    {
        MpvMediaEngine::Options options;
        options.audioOutput = QStringLiteral("null");
        options.videoOutput = QStringLiteral("null");
        fake.platform.media = std::make_unique<MpvMediaEngine>(options);
    }

    QString path(const char* name) const { return fake.dir.filePath(QString::fromLatin1(name)); }

    FakePlatform fake;
};

TEST_F(clsMusicMpvTest, AWavPlaysToItsEndWherePositionIsTheDurationThenRestarts)
{
    ASSERT_TRUE(writeToneWav(path("one.wav"), 1.0));
    clsMusic music(fake.platform);
    music.setFileName(path("one.wav"));
    ASSERT_TRUE(music.HasAudio());
    EXPECT_FALSE(music.HasVideo());
    EXPECT_EQ(music.Duration(), 1.0);
    EXPECT_EQ(music.Position(), 0.0);
    EXPECT_EQ(music.State(), 0);

    music.Play();
    EXPECT_EQ(music.State(), 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return music.Position() == music.Duration();
        },
        5000))
        << "stopped at " << music.Position();
    EXPECT_EQ(music.Position(), 1.0);
    // The end changes no state: the piano and encoder windows stop the player themselves.
    EXPECT_EQ(music.State(), 1);

    music.Play();
    EXPECT_LT(music.Position(), 0.5);
    EXPECT_EQ(music.State(), 1);
}

TEST_F(clsMusicMpvTest, ASeekIsReadBackAtOnceAndKeepsTheState)
{
    ASSERT_TRUE(writeToneWav(path("three.wav"), 3.0));
    clsMusic music(fake.platform);
    music.setFileName(path("three.wav"));
    music.setPosition(2.25);
    // mpv counts in samples: the place reads back to within rounding.
    EXPECT_NEAR(music.Position(), 2.25, 1e-9);
    EXPECT_EQ(music.State(), 0);
    music.setPosition(99);
    EXPECT_EQ(music.Position(), 3.0);

    music.Play();
    music.setPosition(0.5);
    EXPECT_EQ(music.State(), 1);
    EXPECT_GE(music.Position(), 0.5);
    EXPECT_LT(music.Position(), 1.5);
}

TEST_F(clsMusicMpvTest, ANewFileReplacesAPlayingOne)
{
    ASSERT_TRUE(writeToneWav(path("long.wav"), 5.0));
    ASSERT_TRUE(writeToneWav(path("short.wav"), 0.5, 22050, 1));
    clsMusic music(fake.platform);
    music.setFileName(path("long.wav"));
    music.Play();
    music.setFileName(path("short.wav"));
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(music.Duration(), 0.5);
    EXPECT_EQ(music.Position(), 0.0);

    music.setFileName(QString());
    EXPECT_FALSE(music.HasAudio());
    EXPECT_EQ(music.Duration(), 0.0);
}

TEST_F(clsMusicMpvTest, SpeedAndVolumeReadBackAsTheEngineTookThem)
{
    ASSERT_TRUE(writeToneWav(path("one.wav"), 1.0));
    clsMusic music(fake.platform);
    music.setFileName(path("one.wav"));
    EXPECT_EQ(music.Speed(), 1.0);
    EXPECT_EQ(music.Volume(), 0);

    music.setSpeed(0);
    EXPECT_DOUBLE_EQ(music.Speed(), 0.1);
    music.setSpeed(4);
    EXPECT_DOUBLE_EQ(music.Speed(), 4.0);
    // Through mpv's cubic volume curve and back.
    for (const int volume : { -1, -2500, -6000, -9999, -10000, -20000, 500 }) {
        SCOPED_TRACE(volume);
        music.setVolume(volume);
        EXPECT_EQ(music.Volume(), std::clamp(volume, -10000, 0));
    }
}

TEST(clsMusicMidiTest, AMidiFilePlaysOnTheSequencerToItsEnd)
{
    FakePlatform fake;
    fake.platform.midiFiles =
        std::make_unique<SynthMidiFiles>(*fake.platform.audio, sharedSoundFont());
    SmfWriter song(0, 480);
    // One second at 120 beats a minute: a half note.
    song.track().tempo(0, 500000).noteOn(0, 0, 69).noteOff(960, 0, 69).end(0);
    const QString file = fake.dir.filePath(QStringLiteral("half.mid"));
    ASSERT_TRUE(song.save(file));

    clsMusic music(fake.platform);
    music.setFileName(file);
    ASSERT_TRUE(music.HasAudio());
    EXPECT_EQ(music.Duration(), 1.0);
    music.Play();
    fake.audioDevice().renderFrames(AudioEngine::kSampleRate * 3 / 2);
    EXPECT_EQ(music.Position(), music.Duration());
    EXPECT_EQ(music.State(), 1);
    const auto& sound = fake.audioDevice().captured();
    EXPECT_TRUE(std::any_of(sound.begin(), sound.end(), [](float s) {
        return s > 0.01f;
    })) << "the note sounds";

    music.Play();
    EXPECT_EQ(music.Position(), 0.0);
    fake.audioDevice().renderFrames(AudioEngine::kSampleRate / 2);
    EXPECT_NEAR(music.Position(), 0.5, 0.05);
}

} // namespace
