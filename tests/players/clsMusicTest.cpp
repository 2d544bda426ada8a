#include "players/clsMusic.h"

#include "TestMedia.h"
#include "platform/FakePlatform.h"
#include "platform/media/FakeMediaEngine.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/midi/FakeMidiFiles.h"

#include <limits>
#include <memory>

#include <QApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QString kSong = QStringLiteral("/music/song.wav");
const QString kOther = QStringLiteral("/music/other.mp3");
const QString kFilm = QStringLiteral("/music/film.avi");

class clsMusicTest : public ::testing::Test
{
protected:
    clsMusicTest()
    {
        engine().files[kSong] = { 60.0, true, false, {} };
        engine().files[kOther] = { 12.5, true, false, {} };
        engine().files[kFilm] = { 90.0, true, true, QSize(320, 240) };
    }

    FakeMediaEngine& engine() { return fake.media(); }

    // The calls of the newest graph after its render.
    QStringList callsSinceRender() { return engine().graphs.back()->calls.mid(1); }

    // Our video windows: frameless top-level windows.
    static QList<QWidget*> videoWindows()
    {
        QList<QWidget*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowFlags().testFlag(Qt::FramelessWindowHint) && w->isVisible())
                windows << w;
        return windows;
    }

    FakePlatform fake;
};

TEST_F(clsMusicTest, ValuesAreKeptWithinTheirRangesAndWithoutAFileNothingRuns)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    clsMusic music(fake.platform);
    music.Play();
    music.setPosition(5);
    music.setVolume(-100);
    EXPECT_EQ(music.Position(), 0.0);
    EXPECT_EQ(music.Duration(), 0.0);
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(music.Volume(), 0);
    EXPECT_TRUE(engine().graphs.empty());

    music.setFileName(kSong);
    for (const double seconds : { -5.0, 10000.0, 30.25, nan })
        music.setPosition(seconds);
    for (const std::int32_t volume : { 500, -20000, -5000 })
        music.setVolume(volume);
    music.setBalance(12000);
    music.setBalance(-12000);
    for (const double speed : { 0.0, nan, 4.0 })
        music.setSpeed(speed);
    EXPECT_EQ(callsSinceRender(),
        (QStringList { "seek 0", "seek 60", "seek 30.25", "seek 0", "volume 0", "volume -10000",
            "volume -5000", "balance 10000", "balance -10000", "rate 0.10000000000000001",
            "rate 0.10000000000000001", "rate 4" }));
}

TEST_F(clsMusicTest, PlayRestartsOnlyFromTheExactEnd)
{
    clsMusic music(fake.platform);
    music.setFileName(kSong);
    music.Play();
    engine().graphs[0]->position = 59.9;
    music.Pause();
    EXPECT_EQ(music.State(), 2);
    music.Play();
    engine().graphs[0]->position = 60.0; // the end
    music.StopPlaying();
    EXPECT_EQ(music.State(), 0);
    music.Play();
    EXPECT_EQ(music.State(), 1);
    EXPECT_EQ(callsSinceRender(), (QStringList { "run", "pause", "run", "stop", "seek 0", "run" }));
}

TEST_F(clsMusicTest, ANewFileStopsAndDropsTheOldOneBeforeItOpens)
{
    clsMusic music(fake.platform);
    music.setFileName(kSong);
    music.Play();
    music.setFileName(kOther);
    EXPECT_EQ(music.Duration(), 12.5);
    music.Play();
    music.setFileName(QString());
    EXPECT_FALSE(music.HasAudio());
    EXPECT_EQ(music.Duration(), 0.0);
    music.Play();
    EXPECT_EQ(*engine().journal,
        (QStringList { "0 render /music/song.wav", "0 run", "0 stop", "0 destroyed",
            "1 render /music/other.mp3", "1 run", "1 stop", "1 destroyed", "2 render " }));

    music.setFileName(QStringLiteral("/music/missing.wav"));
    EXPECT_FALSE(music.HasAudio());
    music.Play();
    EXPECT_EQ(music.State(), 0);
}

TEST_F(clsMusicTest, AVideoGetsAWindowSizedLikeItsOwnerWhichGoesWithThePlayer)
{
    auto music = std::make_unique<clsMusic>(fake.platform);
    music->setFileName(kFilm);
    EXPECT_TRUE(music->HasVideo());
    EXPECT_TRUE(videoWindows().isEmpty()) << "no owner: the sound plays without a window";

    QWidget owner;
    owner.resize(300, 200);
    owner.show();
    music->setWindow(&owner);
    music->setFileName(kFilm);
    const QList<QWidget*> windows = videoWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->geometry(), QRect(QPoint(0, 0), owner.frameGeometry().size()));
    ASSERT_NE(windows[0]->windowHandle(), nullptr);
    EXPECT_EQ(windows[0]->windowHandle()->transientParent(), owner.windowHandle());

    music->Play();
    music->setPosition(42);
    EXPECT_EQ(music->State(), 1);
    // The window is shown before the first picture is asked for.
    EXPECT_EQ(callsSinceRender(), (QStringList { "video", "seek 0", "run", "seek 42" }));
    music.reset();
    EXPECT_EQ(engine().graphs[1]->calls.back(), QStringLiteral("destroyed"));
    EXPECT_TRUE(videoWindows().isEmpty());
}

TEST_F(clsMusicTest, MidiFilesGoToTheMidiFilePlayer)
{
    fake.midiFiles().addFile(QStringLiteral("Song.MID"), 2345);
    fake.midiFiles().failFile(QStringLiteral("bad.mid"), MidiFileError::Malformed);
    clsMusic music(fake.platform);
    music.setFileName(QStringLiteral("/music/Song.MID"));
    EXPECT_EQ(music.Duration(), 2.345);
    music.setVolume(-2500);
    music.setBalance(-20000);
    music.setSpeed(0.05);
    EXPECT_EQ(fake.midiFiles().volume(), -2500);
    EXPECT_EQ(fake.midiFiles().balance(), -10000);
    EXPECT_EQ(fake.midiFiles().speed(), 0.1);
    EXPECT_EQ(music.Volume(), -2500);
    EXPECT_EQ(music.Balance(), -10000);
    EXPECT_EQ(music.Speed(), 0.1);
    music.setSpeed(250);
    EXPECT_EQ(music.Speed(), 100.0) << "as fast as the sequencer goes";
    music.Play();
    music.setPosition(1.5);
    // The sequencer takes the seek with its next block; until then the target is the place.
    EXPECT_EQ(music.Position(), 1.5);
    fake.midiFiles().setPositionMs(2345);
    EXPECT_EQ(music.Position(), music.Duration());
    music.Play();
    music.setFileName(kSong);
    EXPECT_EQ(engine().graphs.size(), 1u);

    music.setFileName(QStringLiteral("/music/bad.mid"));
    EXPECT_FALSE(music.HasAudio());
    music.Play();
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(fake.midiFiles().log(),
        (QStringList { "open Song.MID", "play", "seek 1500", "seek 0", "play", "pause", "close",
            "open bad.mid" }));
}

// The piano and encoder windows find the end of a file as Position = Duration and restart it
// with Play: the end must read as exactly the duration, and a seek from there must play again.

TEST(clsMusicMpvTest, AWavPlaysToItsEndWherePositionIsTheDurationThenRestarts)
{
    FakePlatform fake;
    MpvMediaEngine::Options options;
    // mpv's null outputs keep a file's pace without a sound card or a display.
    options.audioOutput = QStringLiteral("null");
    options.videoOutput = QStringLiteral("null");
    fake.platform.media = std::make_unique<MpvMediaEngine>(options);
    const QString file = fake.dir.filePath(QStringLiteral("one.wav"));
    ASSERT_TRUE(writeToneWav(file, 1.0));
    clsMusic music(fake.platform);
    music.setFileName(file);
    EXPECT_EQ(music.Duration(), 1.0);

    music.Play();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return music.Position() == music.Duration();
        },
        5000))
        << "stopped at " << music.Position();
    // The end changes no state: the windows stop the player themselves.
    EXPECT_EQ(music.State(), 1);
    music.Play();
    EXPECT_LT(music.Position(), 0.5);
}

} // namespace
