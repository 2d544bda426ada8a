#include "app/WindowOpeners.h"

#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

// The main window as the openers see it: a mode word, a running flag that the toggle clears,
// and every call recorded ("StopSound", "imstop_Click", "Text2=TEXT", "lblTempo=TEXT",
// "dial=VALUE").
class FakeOpenerHost : public OpenerHost
{
public:
    explicit FakeOpenerHost(QStringList& log)
        : m_log(log)
    {}

    QString lblcd() const override { return mode; }

    bool running() const override { return runs; }

    void imstop_Click() override
    {
        m_log << QStringLiteral("imstop_Click");
        runs = !runs;
    }

    void StopSound() override { m_log << QStringLiteral("StopSound"); }

    void setText2(const QString& caption) override { m_log << QStringLiteral("Text2=") + caption; }

    void setLblTempo(const QString& caption) override
    {
        m_log << QStringLiteral("lblTempo=") + caption;
    }

    void setDialValue(double dateTime) override
    {
        m_log << QStringLiteral("dial=") + QString::number(dateTime);
    }

    QString mode;
    bool runs = false;

private:
    QStringList& m_log;
};

} // namespace

TEST(WindowOpeners, EachOpenerStopsWhatPlaysInItsOrderBeforeItsWindowShows)
{
    using W = WindowOpeners;

    struct Case
    {
        const char* opener;
        void (WindowOpeners::*open)();
        const char* playing; // "MM" (running), "PITCH" (a reference note), "POLY" (an example)
        const char* effects;
    };

    const char* pianoFromAFile =
        "stani, txtmidi=, lblTempo=, Text2=, txtmidi=, StopSound, show:piano";
    const char* recorderFromAnExample =
        "stani2, txtmidi=, lblTempo=, Text2=, txtmidi=, StopSound, show:frmRec";
    const char* groupedFromAFile =
        "StopSound, stani2, txtmidi=, dial=0, Text2=, lblTempo=, show:frmpoly";
    const char* patternFromAFile = "StopSound, stani2, txtmidi=, dial=0, lblTempo=, show:frmPatern";
    const char* help = "StopSound, stani2, txtmidi=, show:help";

    const Case cases[] = {
        // The piano stops the player completely, blanks both texts, and ends a 440 Hz tone too.
        { "kkommand3", &W::kkommand3, "MM",
            "stani, txtmidi=, lblTempo=, Text2=, imstop_Click, StopSound, show:piano" },
        { "kkommand3", &W::kkommand3, "PITCH", pianoFromAFile },
        { "raz1", &W::raz1, "POLY", pianoFromAFile },
        // The recorder and the encoder stop only an example's MIDI file; a reference note plays on.
        { "raz2", &W::raz2, "MM", "imstop_Click, StopSound, show:frmRec" },
        { "raz2", &W::raz2, "PITCH", "txtmidi=, StopSound, show:frmRec" },
        { "raz2", &W::raz2, "POLY", recorderFromAnExample },
        { "GGCommand5_Click", &W::GGCommand5_Click, "POLY", recorderFromAnExample },
        { "raz3", &W::raz3, "MM", "imstop_Click, StopSound, show:frmMp3" },
        { "GGCommand6_Click", &W::GGCommand6_Click, "POLY",
            "stani2, txtmidi=, lblTempo=, Text2=, txtmidi=, StopSound, show:frmMp3" },
        // The rhythm dialogs reset the dial from a reference note or an example; the pattern
        // dialog leaves Text2 to the dial change.
        { "raz4", &W::raz4, "MM", "imstop_Click, show:frmpoly" },
        { "raz4", &W::raz4, "PITCH", groupedFromAFile },
        { "fla1", &W::fla1, "POLY", groupedFromAFile },
        { "raz5", &W::raz5, "MM", "imstop_Click, show:frmPatern" },
        { "raz5", &W::raz5, "PITCH", patternFromAFile },
        { "fla2", &W::fla2, "POLY", patternFromAFile },
        // The click-sound dialog and the about box stop nothing; help leaves the beat running.
        { "raz8", &W::raz8, "MM", "show:frmMSound" },
        { "raz8", &W::raz8, "POLY", "show:frmMSound" },
        { "Image23_Click", &W::Image23_Click, "MM", "show:frmabout" },
        { "raz10", &W::raz10, "MM", help },
        { "raz10", &W::raz10, "PITCH", help },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.opener) + " from " + c.playing);
        QStringList effects;
        FakeOpenerHost host(effects);
        FakePlayerWindow player(effects);
        FakeOtherWindows windows(effects);
        host.mode = QString::fromLatin1(c.playing);
        host.runs = host.mode == u"MM";
        WindowOpeners openers(host, player, windows);
        (openers.*c.open)();
        EXPECT_EQ(effects.join(u", ").toStdString(), c.effects);
        EXPECT_EQ(host.runs, host.mode == u"MM" && !effects.contains(u"imstop_Click"));
    }
}

// The rhythm dialogs on the real main window: the dial change runs in the openers' middle, and
// the window shows what the opened window would see.
TEST(WindowOpeners, RhythmDialogsFromATuneResetTheDialBeforeTheyShow)
{
    struct Case
    {
        const char* mode;
        const char* entry;
        QStringList seen; // mode word, Text2, lblTempo, dial
        QStringList calls;
    };

    const Case cases[] = {
        // The opener stops the player, then the dial change finds "PITCH" and stops it again.
        { "PITCH", "mnumisc", { "MM", "", "", "00:00:00" },
            { "stani2", "txtmidi=", "stani2", "txtmidi=", "show:frmpoly" } },
        // The pattern dialog keeps what the dial change wrote into Text2: tempo 0 in Str form.
        { "POLY", "mnupattrf", { "MM", " 0", "", "00:00:00" },
            { "stani2", "txtmidi=", "stani2", "txtmidi=", "show:frmPatern" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        Metronome& m = rig.metronome();
        m.setLblcd(QString::fromLatin1(c.mode));
        m.setLblTempo(QStringLiteral("A4 = 440 Hz"));
        m.setText2(QStringLiteral("00:07"));
        rig.calls.clear();
        QStringList seen;
        rig.windows.onShow = [&](const QString&) {
            seen << m.lblcd() << m.Text2() << m.lblTempo() << rig.dial().ValueText();
        };
        rig.flam().menus().entry(QString::fromLatin1(c.entry))->action()->trigger();
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(rig.calls, c.calls);
        EXPECT_EQ(rig.control<QLabel>("Text2")->text(), c.seen[1]);
    }
}

TEST(WindowOpeners, WhatThisVersionHasNotYetIsExplainedInAnInformationBox)
{
    FakePlatform fake;
    QStringList calls;
    FakePlayerWindow player(calls);
    frmMtroNew* window = frmMtroNew::load(fake.platform, &player);
    ASSERT_NE(window, nullptr);
    window->show();
    window->metronome().setLblcd(QStringLiteral("POLY"));
    fake.boxes().clear();
    calls.clear();

    window->raz2();
    // The stop steps ran first, as they will for the real window.
    EXPECT_EQ(calls.first(), QStringLiteral("stani2"));
    FlamMenus& menus = frmFlam::instance().menus();
    menus.entry(u"mnupitch", 0)->action()->trigger();
    menus.entry(u"mnupoly", 2)->action()->trigger();
    menus.entry(u"mnupoly", 8)->action()->trigger(); // the examples' stop: nothing to say
    const auto& shown = fake.boxes().shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(shown[0].text,
        QStringLiteral("The sound recorder is not available in this version of Kadentor yet."));
    EXPECT_TRUE(shown[1].text.startsWith(QStringLiteral("Playing the reference notes is not")));
    EXPECT_TRUE(shown[2].text.startsWith(QStringLiteral("Playing the polyrhythm examples is not")));

    // The tuner's stop is there, and stops the beat.
    window->setDialValue(40 / 1440.0);
    ASSERT_TRUE(frmFlam::instance().Timer2.isEnabled());
    menus.entry(u"mnupitch", 12)->action()->trigger();
    EXPECT_FALSE(frmFlam::instance().Timer2.isEnabled());
    EXPECT_EQ(shown.size(), 3u);
    frmMtroNew::unload();
}
