#include "app/WindowOpeners.h"

#include "DialogKeys.h"
#include "MainWindowRig.h"
#include "ModalDialog.h"
#include "app/ClickSounds.h"
#include "app/frmMSound.h"
#include "app/frmPatern.h"
#include "app/frmpoly.h"
#include "controls/GGCommand.h"
#include "piano/frmMidiPiano.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "recorder/frmMp3.h"
#include "recorder/frmRec.h"
#include "windows/Mp3Window.h"

#include <algorithm>
#include <functional>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The main window as the openers see it: a mode word, a running flag that the toggle clears,
// and every call recorded with the player's and the windows' ("StopSound", "imstop_Click",
// "Text2=TEXT", "lblTempo=TEXT", "dial=VALUE").
struct FakeOpenerHost : RecordingWindows, OpenerHost
{
    QString lblcd() const override { return mode; }

    bool running() const override { return runs; }

    void imstop_Click() override
    {
        calls << "imstop_Click";
        runs = !runs;
    }

    void StopSound() override { calls << "StopSound"; }

    void setText2(const QString& caption) override { calls << "Text2=" + caption; }

    void setLblTempo(const QString& caption) override { calls << "lblTempo=" + caption; }

    void setDialValue(double dateTime) override { calls << "dial=" + QString::number(dateTime); }

    QString mode;
    bool runs = false;
};

// The program's own windows on the fake platform with a recording MIDI-file player, and the main
// window loaded and shown. The window set unloads every window as it goes, however the test ends.
class WindowOpenersOnRealWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = AppWindows::loadMainWindow(fake.platform, player, windows);
        ASSERT_NE(window, nullptr);
        window->show();
    }

    FakePlatform fake;
    RecordingWindows player;
    AppWindows windows { fake.platform };
    frmMtroNew* window = nullptr;
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
        FakeOpenerHost host;
        const QStringList& effects = host.calls;
        host.mode = QString::fromLatin1(c.playing);
        host.runs = host.mode == u"MM";
        WindowOpeners openers(host, host, host);
        (openers.*c.open)();
        EXPECT_EQ(effects.join(u", ").toStdString(), c.effects);
        EXPECT_EQ(host.runs, host.mode == u"MM" && !effects.contains(u"imstop_Click"));
    }
}

TEST_F(WindowOpenersOnRealWindows,
    TheRecorderEntryStopsTheExampleThenOpensTheRecorderAndTheTunersStopStopsTheBeat)
{
    QStringList& calls = player.calls;
    window->metronome().setLblcd(QStringLiteral("POLY"));
    fake.boxes().clear();
    calls.clear();

    window->raz2();
    // The stop steps ran first, as they will for the real window.
    EXPECT_EQ(calls.first(), QStringLiteral("stani2"));
    EXPECT_TRUE(frmRec::isLoaded() && frmRec::instance().isVisible());
    FlamMenus& menus = frmFlam::instance().menus();
    const auto& shown = fake.boxes().shown();

    // The tuner's stop is there, and stops the beat.
    window->setDialValue(40 / 1440.0);
    ASSERT_TRUE(frmFlam::instance().Timer2.isEnabled());
    menus.entry(u"mnupitch", 12)->action()->trigger();
    EXPECT_FALSE(frmFlam::instance().Timer2.isEnabled());
    EXPECT_TRUE(shown.empty());
}

namespace {

// Chooses a menu entry whose handler shows a modal dialog, and works the dialog from inside its
// event loop with `work`, which must close it.
template <typename Dialog>
void chooseAndWork(const char* entry, int index, const std::function<void(Dialog&)>& work)
{
    EXPECT_TRUE(workModal<Dialog>(
        [entry, index] {
            frmFlam::instance()
                .menus()
                .entry(QString::fromLatin1(entry), index)
                ->action()
                ->trigger();
        },
        work))
        << entry;
}

} // namespace

TEST_F(WindowOpenersOnRealWindows, TheRhythmAndSoundDialogsOpenFromTheirMenusOnTheRealWindowSet)
{
    const int N = MenuEntry::kNoIndex;

    // The grouped-rhythm dialog: Cancel keeps it with its fields, OK unloads it.
    chooseAndWork<frmpoly>("mnumisc", N, [](frmpoly& dialog) {
        retype(dialog.txtpoly[0], QStringLiteral("3"));
        clickOn(dialog.cmdCancel);
    });
    EXPECT_TRUE(frmpoly::isLoaded());
    chooseAndWork<frmpoly>("mnumiscf", N, [](frmpoly& dialog) {
        EXPECT_EQ(dialog.txtpoly[0]->text(), QStringLiteral("3"));
        clickOn(dialog.cmdOk);
    });
    EXPECT_FALSE(frmpoly::isLoaded());
    EXPECT_EQ(window->metronome().BeatPattern, QStringLiteral("UDD"));
    chooseAndWork<frmpoly>("mnumisc", N, [](frmpoly& dialog) {
        EXPECT_EQ(dialog.txtpoly[0]->text(), QString());
        clickOn(dialog.cmdCancel);
    });

    // The pattern dialog is only hidden between showings.
    chooseAndWork<frmPatern>("mnupattr", N, [](frmPatern& dialog) {
        retype(dialog.txtRit, QStringLiteral("fuda"));
        clickOn(dialog.cmdCancel);
    });
    chooseAndWork<frmPatern>("mnupattrf", N, [](frmPatern& dialog) {
        EXPECT_EQ(dialog.txtRit->text(), QStringLiteral("fuda"));
        QTest::keyClick(dialog.txtRit, Qt::Key_Return);
    });
    EXPECT_TRUE(frmPatern::isLoaded());
    EXPECT_EQ(window->metronome().BeatPattern, QStringLiteral("FUDA"));
    EXPECT_TRUE(window->metronome().FlamencoMode);

    // The click-sound dialog, from the main menu and from the Beat menu, made afresh each time.
    chooseAndWork<frmMSound>("mnuset", N, [](frmMSound& dialog) {
        retype(dialog.Combo[3]->lineEdit(), QStringLiteral("KICK"));
        clickOn(dialog.Command2);
    });
    EXPECT_FALSE(frmMSound::isLoaded());
    chooseAndWork<frmMSound>("mnuBeat", 7, [](frmMSound& dialog) {
        EXPECT_EQ(dialog.Combo[3]->currentText(), QStringLiteral("ACCENT1"));
        clickOn(dialog.Command1);
    });
    EXPECT_EQ(window->sounds().AccentBeatSound, 101);
    EXPECT_TRUE(fake.boxes().shown().empty());
}

TEST_F(
    WindowOpenersOnRealWindows, TheEncoderOpensWithATakeHandedOverAndStartsAfreshAtTheNextOpening)
{
    const int N = MenuEntry::kNoIndex;

    windows.mp3Window().ubaciW(QStringLiteral("/Rec/My Take.wav"), QStringLiteral("My Take.wav"));
    chooseAndWork<frmMp3>("mnump3", N, [](frmMp3& dialog) {
        EXPECT_EQ(dialog.Text1(), QStringLiteral("/Rec/My Take.wav"));
        EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("My Take.mp3"));
        clickOn(dialog.Command1);
    });
    EXPECT_FALSE(frmMp3::isLoaded());
    chooseAndWork<frmMp3>("mnump3", N, [](frmMp3& dialog) {
        EXPECT_EQ(dialog.txtOutput->text(), QString());
        clickOn(dialog.Command1);
    });
    EXPECT_TRUE(fake.boxes().shown().empty());
}

// With a settings folder that takes no writes, every saving path of the program fails: the user
// is told once, at the first failure, and never again in that run (not at every step of the
// volume, not by the click-sound dialog, the piano or the recorder).
TEST_F(WindowOpenersOnRealWindows, AFailedSettingsWriteIsToldOnceForTheWholeProgram)
{
    fake.files().fail = FakeFileStore::Fail::BeforeWrite;
    const auto messages = [this] {
        return std::count_if(
            fake.boxes().shown().begin(), fake.boxes().shown().end(), [](const BoxRequest& box) {
                return box.kind == BoxRequest::Kind::Message;
            });
    };
    std::size_t attempts = fake.files().writes.size();
    const auto expectAnotherFailedWrite = [&] {
        EXPECT_GT(fake.files().writes.size(), attempts);
        attempts = fake.files().writes.size();
        EXPECT_EQ(messages(), 1);
    };

    auto* skin = window->findChild<QWidget*>(QStringLiteral("Picture1"));
    QTest::keyClick(skin, Qt::Key_Down);
    expectAnotherFailedWrite();
    ASSERT_EQ(messages(), 1);
    EXPECT_EQ(fake.boxes().shown().front().icon, MsgIcon::Critical);
    QTest::keyClick(skin, Qt::Key_Down);
    expectAnotherFailedWrite();

    chooseAndWork<frmMSound>("mnuset", MenuEntry::kNoIndex, [](frmMSound& dialog) {
        retype(dialog.Combo[3]->lineEdit(), QStringLiteral("KICK"));
        clickOn(dialog.Command1);
    });
    expectAnotherFailedWrite();

    window->raz2();
    ASSERT_TRUE(frmRec::isLoaded());
    clickOn(frmRec::instance().Command1);
    expectAnotherFailedWrite();

    window->raz1();
    ASSERT_TRUE(frmMidiPiano::isLoaded());
    GGCommand* scaleTempo = nullptr;
    for (GGCommand* button : frmMidiPiano::instance().findChildren<GGCommand*>()) {
        if (button->Caption() == QStringLiteral("Scale Tempo"))
            scaleTempo = button;
    }
    ASSERT_NE(scaleTempo, nullptr);
    fake.boxes().answerInputNext(QStringLiteral("200"));
    auto* face = scaleTempo->findChild<DrawSurface*>();
    QTest::mouseClick(face, Qt::LeftButton, {}, face->rect().center());
    expectAnotherFailedWrite();
}
