#include "piano/PianoMediaPlayer.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// A player that answers with a set duration and position and logs every call, together with
// what the window is told, in one list.
struct PlayerRig : MediaPlayerOps
{
    PlayerRig()
    {
        MediaView view;
        view.setButtonsEnabled = [this](bool on) {
            buttons = on;
        };
        view.showPaused = [this](bool paused) {
            shownPaused = paused;
        };
        view.prepareSlider = [this](std::int32_t max) {
            log << QStringLiteral("slider 0..%1").arg(max);
        };
        view.setSliderPosition = [this](std::int32_t at) {
            slider = at;
        };
        view.setTimerRunning = [this](bool on) {
            timer = on;
        };
        view.setLabel15 = [this](const QString& text) {
            label15 = text;
        };
        view.setLabel4 = [this](const QString& text) {
            label4 = text;
        };
        player = std::make_unique<PianoMediaPlayer>(
            *this, view,
            [this] {
                log << QStringLiteral("close output");
            },
            [this] {
                log << QStringLiteral("reopen output");
            });
    }

    void setFileName(const QString& name) override
    {
        log << QStringLiteral("file ") + name;
        loaded = !name.isEmpty() && !name.contains(u"garbage");
    }

    void Play() override { log << QStringLiteral("play"); }

    void Pause() override { log << QStringLiteral("pause"); }

    void StopPlaying() override { log << QStringLiteral("stop"); }

    double Position() const override { return loaded ? position : 0; }

    void setPosition(double seconds) override { log << QStringLiteral("seek %1").arg(seconds); }

    double Duration() const override { return loaded ? duration : 0; }

    void setVolume(std::int32_t volume) override { log << QStringLiteral("volume %1").arg(volume); }

    bool HasAudio() const override { return loaded; }

    bool HasVideo() const override { return false; }

    QStringList takeLog() { return std::exchange(log, {}); }

    std::unique_ptr<PianoMediaPlayer> player;
    QStringList log;
    bool loaded = false;
    double duration = 5, position = 0;
    bool buttons = false, shownPaused = false, timer = false;
    std::int32_t slider = -1;
    QString label15 = QStringLiteral("-"), label4 = QStringLiteral("100");
};

TEST(PianoMediaPlayerTest, MidiFileLendsTheOutputUntilItIsNoLongerLoaded)
{
    PlayerRig rig;
    rig.player->open(QStringLiteral("/m/song.Mid"));
    EXPECT_EQ(rig.takeLog(),
        (QStringList { "file /m/song.Mid", "close output", "play", "slider 0..5", "volume 0" }));
    EXPECT_TRUE(rig.buttons && rig.timer);

    // Every way the MIDI file stops being loaded opens the chosen device again, exactly once.
    struct Case
    {
        const char* what;
        std::function<void()> act;
        QStringList log;
    };

    const Case cases[] = {
        { "stop",
            [&] {
                rig.player->GGCommand14_Click();
            },
            { "stop", "reopen output" } },
        { "a wave file",
            [&] {
                rig.player->open(QStringLiteral("b.wav"));
            },
            { "file b.wav", "reopen output", "play", "slider 0..5", "volume 0" } },
        { "cancel",
            [&] {
                rig.player->open(QString());
            },
            { "file ", "reopen output" } },
        { "a failed open",
            [&] {
                rig.player->open(QStringLiteral("garbage.mp3"));
            },
            { "file garbage.mp3", "reopen output" } },
        { "its end",
            [&] {
                rig.position = 5;
                rig.player->tmrTimer_Timer();
            },
            { "stop", "reopen output" } },
    };
    for (const Case& c : cases) {
        rig.position = 0;
        rig.player->open(QStringLiteral("x.MID"));
        rig.takeLog();
        c.act();
        EXPECT_EQ(rig.takeLog(), c.log) << c.what;
        EXPECT_FALSE(rig.player->midiFileHoldsOutput()) << c.what;
        rig.player->GGCommand14_Click(); // nothing held any more: no second reopen
        EXPECT_FALSE(rig.takeLog().contains(QStringLiteral("reopen output"))) << c.what;
    }
}

TEST(PianoMediaPlayerTest, VolumeShortFilesAndTheToggleOnOpen)
{
    PlayerRig rig;
    for (const auto& [knob, volume] :
        std::initializer_list<std::pair<int, int>> { { 100, 0 }, { 50, -5000 }, { 0, -10000 } }) {
        rig.player->Knob1_Changed(knob);
        EXPECT_EQ(rig.takeLog(), QStringList { QStringLiteral("volume %1").arg(volume) });
        EXPECT_EQ(rig.label4, QString::number(knob));
    }

    // A 0.3 s file: the slider still has a maximum above its minimum, and the knob's volume.
    rig.duration = 0.3;
    rig.player->GGCommand15_Click(); // paused before the open
    EXPECT_TRUE(rig.shownPaused);
    rig.takeLog();
    rig.player->open(QStringLiteral("short.wav"));
    EXPECT_EQ(
        rig.takeLog(), (QStringList { "file short.wav", "play", "slider 0..1", "volume -10000" }));
    EXPECT_FALSE(rig.shownPaused);
    EXPECT_FALSE(rig.player->paused());

    rig.player->GGCommand15_Click();
    rig.player->GGCommand15_Click();
    EXPECT_EQ(rig.takeLog(), (QStringList { "pause", "play" }));
}

TEST(PianoMediaPlayerTest, TickShowsThePositionNeverSeeksAndSeesEveryEnd)
{
    struct Case
    {
        double duration, position;
        std::int32_t slider;
        const char* label;
        bool ends;
    };

    const Case cases[] = {
        { 2.0, 1.5, 2, "1.5", false }, // halves to even
        { 2.37, 2.3, 2, "2.3", false }, { 2.0, 2.0, 0, "", true },
        { 2.37, 2.37, 0, "", true }, // not a whole number of seconds
    };
    for (const Case& c : cases) {
        PlayerRig rig;
        rig.duration = c.duration;
        rig.player->open(QStringLiteral("a.wav"));
        rig.takeLog();
        rig.position = c.position;
        rig.player->tmrTimer_Timer();
        EXPECT_EQ(rig.slider, c.slider) << c.position;
        EXPECT_EQ(rig.label15, QString::fromLatin1(c.label)) << c.position;
        EXPECT_EQ(rig.takeLog(), c.ends ? QStringList { "stop" } : QStringList {}) << c.position;
        EXPECT_EQ(rig.timer, !c.ends);
    }

    // A file that failed reads 0 and 0: the next tick stops.
    PlayerRig rig;
    rig.player->tmrTimer_Timer();
    EXPECT_EQ(rig.takeLog(), QStringList { "stop" });
    rig.player->SliderPic1_PositionChanged(3);
    EXPECT_EQ(rig.takeLog(), QStringList { "seek 3" });
}

} // namespace
