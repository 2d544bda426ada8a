#include "players/clsMusic.h"

#include "platform/FakePlatform.h"
#include "platform/media/FakeMediaEngine.h"
#include "platform/midi/FakeMidiFiles.h"

#include <cmath>
#include <limits>

#include <QApplication>
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

    FakeGraphRecord& graph(std::size_t i) { return *engine().graphs.at(i); }

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

TEST_F(clsMusicTest, WithoutAFileEveryReadIsZeroAndNothingRuns)
{
    clsMusic music(fake.platform);
    music.Play();
    music.setPosition(5);
    music.setVolume(-100);
    EXPECT_EQ(music.Position(), 0.0);
    EXPECT_EQ(music.Duration(), 0.0);
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(music.Volume(), 0);
    EXPECT_FALSE(music.HasAudio());
    EXPECT_TRUE(engine().graphs.empty());
}

TEST_F(clsMusicTest, ValuesAreKeptWithinTheirRanges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();

    struct Case
    {
        const char* what;
        std::function<void(clsMusic&)> set;
        QString call;
    };

    const Case cases[] = {
        { "position -5",
            [](clsMusic& m) {
                m.setPosition(-5);
            },
            "seek 0" },
        { "position past the end",
            [](clsMusic& m) {
                m.setPosition(10000);
            },
            "seek 60" },
        { "position inside",
            [](clsMusic& m) {
                m.setPosition(30.25);
            },
            "seek 30.25" },
        { "position NaN",
            [=](clsMusic& m) {
                m.setPosition(nan);
            },
            "seek 0" },
        { "volume 500",
            [](clsMusic& m) {
                m.setVolume(500);
            },
            "volume 0" },
        { "volume -20000",
            [](clsMusic& m) {
                m.setVolume(-20000);
            },
            "volume -10000" },
        { "volume -5000",
            [](clsMusic& m) {
                m.setVolume(-5000);
            },
            "volume -5000" },
        { "balance 12000",
            [](clsMusic& m) {
                m.setBalance(12000);
            },
            "balance 10000" },
        { "balance -12000",
            [](clsMusic& m) {
                m.setBalance(-12000);
            },
            "balance -10000" },
        { "speed 0",
            [](clsMusic& m) {
                m.setSpeed(0);
            },
            "rate 0.10000000000000001" },
        { "speed NaN",
            [=](clsMusic& m) {
                m.setSpeed(nan);
            },
            "rate 0.10000000000000001" },
        { "speed 4",
            [](clsMusic& m) {
                m.setSpeed(4);
            },
            "rate 4" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clsMusic music(fake.platform);
        music.setFileName(kSong);
        c.set(music);
        EXPECT_EQ(callsSinceRender(), QStringList { c.call });
    }
}

TEST_F(clsMusicTest, PlayRestartsOnlyFromTheExactEnd)
{
    clsMusic music(fake.platform);
    music.setFileName(kSong);
    EXPECT_TRUE(music.HasAudio());
    EXPECT_FALSE(music.HasVideo());
    EXPECT_EQ(music.Width(), 0);
    EXPECT_EQ(music.Height(), 0);

    music.Play();
    EXPECT_EQ(music.State(), 1);
    graph(0).position = 59.9;
    music.Pause();
    EXPECT_EQ(music.State(), 2);
    music.Play();
    graph(0).position = 60.0; // the end
    music.StopPlaying();
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(music.Position(), 60.0);
    music.Play();

    EXPECT_EQ(callsSinceRender(), (QStringList { "run", "pause", "run", "stop", "seek 0", "run" }));
    EXPECT_EQ(music.Position(), 0.0);
}

TEST_F(clsMusicTest, AnEmptyNameStopsWhatPlayedAndPlaysNothing)
{
    clsMusic music(fake.platform);
    music.setFileName(kSong);
    music.Play();
    music.setFileName(QString());

    EXPECT_EQ(music.FileName(), QString());
    EXPECT_FALSE(music.HasAudio());
    EXPECT_FALSE(music.HasVideo());
    EXPECT_EQ(music.Duration(), 0.0);
    music.Play();
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(*engine().journal,
        (QStringList {
            "0 render /music/song.wav", "0 run", "0 stop", "0 destroyed", "1 render " }));
}

TEST_F(clsMusicTest, ASecondFileStopsAndDropsTheFirstBeforeItOpens)
{
    clsMusic music(fake.platform);
    music.setFileName(kSong);
    music.Play();
    music.setFileName(kOther);
    music.Play();

    EXPECT_EQ(*engine().journal,
        (QStringList { "0 render /music/song.wav", "0 run", "0 stop", "0 destroyed",
            "1 render /music/other.mp3", "1 run" }));
    EXPECT_EQ(music.FileName(), kOther);
    EXPECT_EQ(music.Duration(), 12.5);
}

TEST_F(clsMusicTest, AFileThatCannotBeOpenedHasNoStreams)
{
    clsMusic music(fake.platform);
    music.setFileName(QStringLiteral("/music/missing.wav"));
    EXPECT_FALSE(music.HasAudio());
    EXPECT_FALSE(music.HasVideo());
    music.Play();
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(music.Position(), 0.0);
}

TEST_F(clsMusicTest, AVideoGetsAWindowSizedLikeItsOwnerAndSeeksWithoutStopping)
{
    QWidget owner;
    owner.resize(300, 200);
    owner.show();

    clsMusic music(fake.platform);
    music.setWindow(&owner);
    music.setFileName(kFilm);

    EXPECT_TRUE(music.HasVideo());
    EXPECT_EQ(music.Width(), 320);
    EXPECT_EQ(music.Height(), 240);
    // The window is shown before the first picture is asked for.
    EXPECT_EQ(callsSinceRender(), (QStringList { "video", "seek 0" }));
    const QList<QWidget*> windows = videoWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->geometry(), QRect(QPoint(0, 0), owner.frameGeometry().size()));
    ASSERT_NE(windows[0]->windowHandle(), nullptr);
    EXPECT_EQ(windows[0]->windowHandle()->transientParent(), owner.windowHandle());

    music.Play();
    music.setPosition(42);
    EXPECT_EQ(music.State(), 1);
    EXPECT_EQ(callsSinceRender(), (QStringList { "video", "seek 0", "run", "seek 42" }));

    music.setFileName(kSong);
    EXPECT_TRUE(videoWindows().isEmpty());
}

TEST_F(clsMusicTest, AVideoWithoutAnOwnerPlaysWithoutAWindow)
{
    clsMusic music(fake.platform);
    music.setFileName(kFilm);
    EXPECT_TRUE(music.HasVideo());
    EXPECT_EQ(callsSinceRender(), QStringList { "seek 0" });
    EXPECT_TRUE(videoWindows().isEmpty());
}

TEST_F(clsMusicTest, DestroyingThePlayerClosesTheVideoWindow)
{
    QWidget owner;
    owner.resize(100, 80);
    owner.show();
    {
        clsMusic music(fake.platform);
        music.setWindow(&owner);
        music.setFileName(kFilm);
        ASSERT_EQ(videoWindows().size(), 1);
    }
    EXPECT_EQ(graph(0).calls.back(), QStringLiteral("destroyed"));
    EXPECT_TRUE(videoWindows().isEmpty());
}

TEST_F(clsMusicTest, MidiFilesGoToTheMidiFilePlayer)
{
    fake.midiFiles().addFile(QStringLiteral("Song.MID"), 2345);
    clsMusic music(fake.platform);
    music.setFileName(QStringLiteral("/music/Song.MID"));
    EXPECT_TRUE(music.HasAudio());
    EXPECT_FALSE(music.HasVideo());
    EXPECT_EQ(music.Duration(), 2.345);
    EXPECT_TRUE(engine().graphs.empty());

    music.Play();
    music.setPosition(1.5);
    // The sequencer takes the seek with its next block; until then the target is the place.
    EXPECT_EQ(music.Position(), 1.5);
    music.setVolume(-5000);
    EXPECT_EQ(music.State(), 1);
    fake.midiFiles().setPositionMs(2345);
    EXPECT_EQ(music.Position(), music.Duration());
    music.Play();
    music.setFileName(kSong);

    EXPECT_EQ(fake.midiFiles().log(),
        (QStringList { "open Song.MID", "play", "seek 1500", "seek 0", "play", "pause", "close" }));
    EXPECT_EQ(engine().graphs.size(), 1u);
}

TEST_F(clsMusicTest, AMidiFileThatCannotBeReadHasNoAudio)
{
    fake.midiFiles().failFile(QStringLiteral("bad.mid"), MidiFileError::Malformed);
    clsMusic music(fake.platform);
    music.setFileName(QStringLiteral("/music/bad.mid"));
    EXPECT_FALSE(music.HasAudio());
    music.Play();
    EXPECT_EQ(music.State(), 0);
    EXPECT_EQ(fake.midiFiles().log(), QStringList { "open bad.mid" });
}

} // namespace
