#include "app/WindowOpeners.h"

#include "MainWindowRig.h"
#include "OpenerFakes.h"
#include "app/ClickSounds.h"
#include "controls/AnalogClock.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

// What the main window plays when an opener runs.
enum class Playing { MetronomeRunning, ReferenceNote, Example };

const char* nameOf(Playing playing)
{
    switch (playing) {
    case Playing::MetronomeRunning:
        return "MM, running";
    case Playing::ReferenceNote:
        return "PITCH";
    case Playing::Example:
        return "POLY";
    }
    return "";
}

struct OpenerCase
{
    const char* opener;
    void (WindowOpeners::*open)();
    Playing playing;
    QStringList effects;
};

QStringList log(std::initializer_list<const char*> effects)
{
    QStringList list;
    for (const char* effect : effects)
        list << QString::fromLatin1(effect);
    return list;
}

} // namespace

TEST(WindowOpeners, EachOpenerStopsWhatPlaysInItsOrderBeforeItsWindowShows)
{
    using W = WindowOpeners;
    using P = Playing;
    const QStringList pianoFromAFile =
        log({ "stani", "txtmidi=", "lblTempo=", "Text2=", "txtmidi=", "StopSound", "show:piano" });
    const QStringList recorderFromAnExample = log(
        { "stani2", "txtmidi=", "lblTempo=", "Text2=", "txtmidi=", "StopSound", "show:frmRec" });
    const QStringList groupedFromAFile =
        log({ "StopSound", "stani2", "txtmidi=", "dial=0", "Text2=", "lblTempo=", "show:frmpoly" });
    const QStringList patternFromAFile =
        log({ "StopSound", "stani2", "txtmidi=", "dial=0", "lblTempo=", "show:frmPatern" });
    const QStringList help = log({ "StopSound", "stani2", "txtmidi=", "show:help" });

    const OpenerCase cases[] = {
        // The piano stops the player completely, blanks both texts, and ends a 440 Hz tone too.
        { "kkommand3", &W::kkommand3, P::MetronomeRunning,
            log({ "stani", "txtmidi=", "lblTempo=", "Text2=", "imstop_Click", "StopSound",
                "show:piano" }) },
        { "kkommand3", &W::kkommand3, P::ReferenceNote, pianoFromAFile },
        { "raz1", &W::raz1, P::Example, pianoFromAFile },
        // The recorder and the encoder stop only an example's MIDI file; a reference note plays on.
        { "raz2", &W::raz2, P::MetronomeRunning,
            log({ "imstop_Click", "StopSound", "show:frmRec" }) },
        { "raz2", &W::raz2, P::ReferenceNote, log({ "txtmidi=", "StopSound", "show:frmRec" }) },
        { "raz2", &W::raz2, P::Example, recorderFromAnExample },
        { "GGCommand5_Click", &W::GGCommand5_Click, P::Example, recorderFromAnExample },
        { "raz3", &W::raz3, P::MetronomeRunning,
            log({ "imstop_Click", "StopSound", "show:frmMp3" }) },
        { "GGCommand6_Click", &W::GGCommand6_Click, P::Example,
            log({ "stani2", "txtmidi=", "lblTempo=", "Text2=", "txtmidi=", "StopSound",
                "show:frmMp3" }) },
        // The rhythm dialogs reset the dial from a reference note or an example; the pattern
        // dialog leaves Text2 to the dial change.
        { "raz4", &W::raz4, P::MetronomeRunning, log({ "imstop_Click", "show:frmpoly" }) },
        { "raz4", &W::raz4, P::ReferenceNote, groupedFromAFile },
        { "fla1", &W::fla1, P::Example, groupedFromAFile },
        { "raz5", &W::raz5, P::MetronomeRunning, log({ "imstop_Click", "show:frmPatern" }) },
        { "raz5", &W::raz5, P::ReferenceNote, patternFromAFile },
        { "fla2", &W::fla2, P::Example, patternFromAFile },
        // The click-sound dialog and the about box stop nothing; help leaves the beat running.
        { "raz8", &W::raz8, P::MetronomeRunning, log({ "show:frmMSound" }) },
        { "raz8", &W::raz8, P::Example, log({ "show:frmMSound" }) },
        { "Image23_Click", &W::Image23_Click, P::MetronomeRunning, log({ "show:frmabout" }) },
        { "raz10", &W::raz10, P::MetronomeRunning, help },
        { "raz10", &W::raz10, P::ReferenceNote, help },
    };
    for (const OpenerCase& c : cases) {
        SCOPED_TRACE(std::string(c.opener) + " from " + nameOf(c.playing));
        QStringList effects;
        FakeOpenerHost host(effects);
        FakePlayerWindow player(effects);
        FakeOtherWindows windows(effects);
        host.runs = c.playing == Playing::MetronomeRunning;
        host.mode = c.playing == Playing::ReferenceNote ? QStringLiteral("PITCH")
            : c.playing == Playing::Example             ? QStringLiteral("POLY")
                                                        : QStringLiteral("MM");
        WindowOpeners openers(host, player, windows);
        (openers.*c.open)();
        EXPECT_EQ(effects.join(u", ").toStdString(), c.effects.join(u", ").toStdString());
        if (c.effects.contains(QStringLiteral("imstop_Click"))) {
            EXPECT_FALSE(host.runs);
        }
    }
}

// The openers on the real main window: the dial change runs in their middle, and the window
// shows what the opened window would see.
TEST(WindowOpeners, GroupedRhythmFromTheTunerResetsTheDialAndBlanksBothTextsBeforeItShows)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    m.setLblTempo(QStringLiteral("A4 = 440 Hz"));
    rig.player.calls.clear();
    QStringList seen;
    rig.windows.onShow = [&](const QString&) {
        seen << m.lblcd() << m.Text2() << m.lblTempo() << rig.dial().ValueText();
    };

    rig.flam().menus().entry(u"mnumisc")->action()->trigger();
    // The opener stops the player, then the dial change finds "PITCH" and stops it again.
    EXPECT_EQ(
        rig.player.calls, log({ "stani2", "txtmidi=", "stani2", "txtmidi=", "show:frmpoly" }));
    EXPECT_EQ(seen, log({ "MM", "", "", "00:00:00" }));
}

TEST(WindowOpeners, PatternRhythmFromAnExampleKeepsWhatTheDialChangeWroteIntoText2)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    m.setLblcd(QStringLiteral("POLY"));
    m.setLblTempo(QStringLiteral("PolyRhithm"));
    m.setText2(QStringLiteral("00:07"));
    QStringList seen;
    rig.windows.onShow = [&](const QString&) {
        seen << m.lblcd() << m.Text2() << m.lblTempo();
    };

    rig.flam().menus().entry(u"mnupattrf")->action()->trigger();
    // The dial change writes the dial's tempo 0 in its Str form.
    EXPECT_EQ(seen, log({ "MM", " 0", "" }));
    EXPECT_EQ(rig.control<QLabel>("Text2")->text(), QStringLiteral(" 0"));
}

TEST(WindowOpeners, RecorderButtonStopsTheRunningMetronomeBeforeTheRecorderShows)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();
    rig.dragDialTo(40);
    ASSERT_TRUE(m.running());
    bool stoppedWhenShown = false;
    rig.windows.onShow = [&](const QString&) {
        stoppedWhenShown = !m.running() && !rig.stepping()
            && m.image(MainControl::imstop).picture == ShownPicture::playg;
    };

    rig.window().raz2();
    EXPECT_EQ(rig.windows.count(QStringLiteral("frmRec")), 1);
    EXPECT_TRUE(stoppedWhenShown);
    // The metronome's own texts stay: only an example's are blanked.
    EXPECT_EQ(m.Text2(), QStringLiteral(" 120"));
}

TEST(WindowOpeners, PianoEndsA440HzToneWhileTheMetronomeIsStopped)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    ASSERT_FALSE(rig.metronome().running());
    AudioEngine& audio = *rig.fake.platform.audio;
    const auto tone = rig.window().sounds().clip(101);
    ASSERT_NE(tone, nullptr);
    const std::uint64_t ticket = audio.playClip(tone, audio.now() + 10 * AudioEngine::kSampleRate);
    rig.player.calls.clear();

    rig.window().raz1();
    rig.fake.audioDevice().renderFrames(2048);
    EXPECT_TRUE(audio.clipFinished(ticket));
    EXPECT_EQ(rig.player.calls.first(), QStringLiteral("stani"));
    EXPECT_EQ(rig.player.calls.last(), QStringLiteral("show:piano"));
}

TEST(WindowOpeners, HelpEndsTheSoundsButLeavesTheBeatRunning)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.dragDialTo(40);
    rig.player.calls.clear();
    rig.flam().menus().entry(u"mnuhelp")->action()->trigger();
    EXPECT_EQ(rig.player.calls, log({ "stani2", "txtmidi=", "show:help" }));
    EXPECT_TRUE(rig.metronome().running());
    EXPECT_TRUE(rig.flam().Timer2.isEnabled());
}

TEST(WindowOpeners, AWindowNotInThisVersionYetIsExplainedInAnInformationBox)
{
    FakePlatform fake;
    FakePlayerWindow player;
    frmMtroNew* window = frmMtroNew::load(fake.platform, &player);
    ASSERT_NE(window, nullptr);
    window->show();
    window->metronome().setLblcd(QStringLiteral("POLY"));
    fake.boxes().clear();
    player.calls.clear();

    window->raz2();
    // The stop steps ran first, as they will for the real window.
    EXPECT_EQ(player.calls.first(), QStringLiteral("stani2"));
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    const BoxRequest& box = fake.boxes().shown()[0];
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(box.title, QStringLiteral("Kadentor"));
    EXPECT_EQ(box.text,
        QStringLiteral("The sound recorder is not available in this version of Kadentor yet."));
    frmMtroNew::unload();
}
