#include "piano/frmMidiPiano.h"

#include "TestMedia.h"
#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "controls/GGCommand.h"
#include "piano/BeatAccompaniment.h"
#include "piano/ChordScalePanels.h"
#include "piano/PianoKeyCodes.h"
#include "piano/frmDrums.h"
#include "platform/FakePlatform.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/midi/FakeMidiOut.h"
#include "platform/settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::uint32_t>;

TEST(PianoKeyCodesTest, PhysicalKeysAndTestKeys)
{
    struct Case
    {
        std::uint32_t scan; // X11 keycode; 0 as QTest sends
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
    };

    const Case cases[] = {
        { 52, Qt::Key_Z, {}, 90 },
        { 52, Qt::Key_Y, {}, 90 }, // a German layout's Y sits where Z is
        { 59, Qt::Key_Less, Qt::ShiftModifier, 188 }, // Shift never moves the piano
        { 35, Qt::Key_BracketRight, {}, 221 },
        { 88, Qt::Key_Down, Qt::KeypadModifier, 98 }, // keypad 2 with NumLock off
        { 106, Qt::Key_Slash, Qt::KeypadModifier, 111 },
        { 9, Qt::Key_Escape, {}, 27 },
        { 65, Qt::Key_Space, {}, 32 },
        { 5, Qt::Key_unknown, {}, 0 }, // below the offset
        { 300, Qt::Key_unknown, {}, 0 },
        { 0, Qt::Key_Z, {}, 90 },
        { 0, Qt::Key_Comma, {}, 188 },
        { 0, Qt::Key_BracketRight, {}, 221 },
        { 0, Qt::Key_K, {}, 75 },
        { 0, Qt::Key_2, Qt::KeypadModifier, 98 },
        { 0, Qt::Key_2, {}, 50 },
        { 0, Qt::Key_Minus, Qt::KeypadModifier, 109 },
        { 0, Qt::Key_F1, {}, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(pianoKeyCode(c.scan, c.key, c.modifiers), c.code) << c.scan << " " << c.key;
}

struct WindowRig
{
    WindowRig()
    {
        menus.setTargets({ .mainWindow = {},
            .piano = [this]() -> PianoCommands* {
                return window.get();
            },
            .showAbout = {} });
        open();
    }

    void open()
    {
        window = std::make_unique<frmMidiPiano>(fake.platform, popups, [this](bool byEscape) {
            closings.push_back(byEscape);
        });
        window->show();
        window->setFocus();
        fake.midiOut().clearLog();
    }

    void key(QEvent::Type type, Qt::Key key, bool repeat = false)
    {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(window.get(), &event);
    }

    FakePlatform fake;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    std::vector<bool> closings;
    std::unique_ptr<frmMidiPiano> window;
};

TEST(frmMidiPianoTest, HeldKeyRepeatsStrikeOnceAndTabStaysWithThePiano)
{
    WindowRig rig;
    rig.key(QEvent::KeyPress, Qt::Key_Z);
    for (int i = 0; i < 3; ++i) {
        rig.key(QEvent::KeyRelease, Qt::Key_Z, true);
        rig.key(QEvent::KeyPress, Qt::Key_Z, true);
    }
    rig.key(QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_EQ(rig.fake.midiOut().messages(),
        (Messages { midiMessage(0x90, 60, 127), midiMessage(0x80, 60) }));

    // Tab is a key of the piano, not a move to one of its controls.
    rig.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.window.get()));
    rig.window->setFocus();
    QTest::keyClick(rig.window.get(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), rig.window.get());
}

TEST(frmMidiPianoTest, EscapeClosesTheDeviceAndAsksForTheMainWindow)
{
    WindowRig rig;
    rig.key(QEvent::KeyPress, Qt::Key_X);
    rig.fake.midiOut().deliver(); // held a while: its Note On sounds
    rig.key(QEvent::KeyPress, Qt::Key_Escape);
    rig.key(QEvent::KeyRelease, Qt::Key_X); // after the unload: nothing
    EXPECT_EQ(rig.closings, (std::vector<bool> { true }));
    EXPECT_TRUE(rig.window->unloaded());
    EXPECT_FALSE(rig.window->isVisible());
    const auto& log = rig.fake.midiOut().log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().kind, FakeMidiEvent::Kind::Close);
    EXPECT_EQ(rig.fake.midiOut().messages(),
        (Messages { midiMessage(0x90, 62, 127), midiMessage(0x80, 62) }));
}

TEST(frmMidiPianoTest, ChordListModeBoxAndLeftHandOnly)
{
    WindowRig rig;
    ChordScalePanels& panels = rig.window->panels();
    EXPECT_FALSE(panels.Pratnja()->isEnabled());
    emit panels.C1()->activated(12); // "C7"
    EXPECT_EQ(panels.Combo1()->currentText(), QStringLiteral("Dominant 7"));
    EXPECT_TRUE(panels.Pratnja()->isEnabled());
    EXPECT_EQ(rig.fake.midiOut().messages().size(), 18u + 4u); // keys 0..17 up, then the chord

    // The channel menu's "Drum" puts the box back to "Normal" and the keys to single notes.
    rig.window->setCombo1Text(QStringLiteral("Normal"));
    rig.window->setPratnjaAvailable(false);
    EXPECT_FALSE(panels.Pratnja()->isEnabled());

    // A typed mode acts at once, and the list keeps its 65 entries.
    panels.Combo1()->setEditText(QStringLiteral("Fifth"));
    EXPECT_TRUE(panels.Pratnja()->isEnabled());
    EXPECT_EQ(panels.Combo1()->count(), 65);
    rig.window->core().DigniGa(); // the chord's keys up
    rig.fake.midiOut().clearLog();
    rig.key(QEvent::KeyPress, Qt::Key_Z);
    EXPECT_EQ(rig.fake.midiOut().messages(),
        (Messages { midiMessage(0x90, 60, 127), midiMessage(0x90, 67, 127) }));

    // The tempo is kept at unload.
    rig.key(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(rig.fake.platform.settings
                  ->GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                      QStringLiteral("Speed"), QStringLiteral("none"))
                  .toString(),
        QStringLiteral("120"));
}

TEST(frmMidiPianoTest, MouseOnAKeyAndTheInstrumentListBesideTheProgram)
{
    WindowRig rig;
    QWidget* key = rig.window->childAt(60, 260); // the first white key's lower half
    ASSERT_NE(key, nullptr);
    QTest::mousePress(key, Qt::LeftButton);
    Messages sent = rig.fake.midiOut().messages();
    ASSERT_EQ(sent.size(), 38u);
    EXPECT_EQ(sent.back(), midiMessage(0x90, 60, 127));
    QTest::mouseRelease(key, Qt::LeftButton);
    EXPECT_EQ(rig.fake.midiOut().messages().back(), midiMessage(0x80, 60));

    // The program's own list, where the window reads it.
    QFile::copy(QStringLiteral(KADENTOR_SOURCE_DIR "/resources/piano/Inslst.dat"),
        rig.fake.platform.programFolder + QStringLiteral("/Inslst.dat"));
    rig.window.reset();
    rig.open();
    EXPECT_EQ(rig.popups.caption(u"mnuPiano2", 0), QStringLiteral("Acoustic Grand Piano"));
    EXPECT_EQ(rig.popups.caption(u"mnuPiano2", 127), QStringLiteral("Gunshot"));
    EXPECT_EQ(rig.popups.caption(u"mnudrum", 0), QStringLiteral("Acoustic Bass Drum"));
    EXPECT_EQ(rig.popups.caption(u"mnudrum", 31), QStringLiteral("Low Timbale"));
}

TEST(frmMidiPianoTest, DrumWindowPicksThePadThatTheMenuChanges)
{
    WindowRig rig;
    rig.window->showFrmDrums();
    auto* drums = rig.window->findChild<frmDrums*>();
    ASSERT_NE(drums, nullptr);
    EXPECT_TRUE(drums->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    drums->lblDrums_Click(10); // keypad 2
    rig.menus.entry(u"mnudrum", 0)->action()->trigger();
    QTest::keyClick(rig.window.get(), Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(rig.fake.midiOut().messages(),
        (Messages { midiMessage(0x99, 35, 127), midiMessage(0x89, 35) }));
    // It goes with the piano.
    QPointer<frmDrums> watched = drums;
    rig.window.reset();
    EXPECT_TRUE(watched.isNull());
}

TEST(frmMidiPianoTest, RhythmMenuStopButtonAndTempoStrip)
{
    WindowRig rig;
    auto* rhythm = rig.window->childAt(690, 54);
    auto* stop = rig.window->childAt(676, 80);
    auto* label10 = qobject_cast<QLabel*>(rig.window->childAt(690, 104));
    QWidget* strip = rig.window->childAt(730, 60); // the pointer and its line let the mouse through
    ASSERT_TRUE(rhythm && stop && label10 && strip);
    EXPECT_EQ(strip->toolTip(), QStringLiteral("Tempo"));
    EXPECT_FALSE(stop->isEnabled());

    // The Rhythm button shows the style menu; Stop is enabled once it closes.
    QTest::mouseClick(rhythm, Qt::LeftButton);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    menu->close();
    QApplication::processEvents();
    EXPECT_TRUE(stop->isEnabled());

    rig.window->core().setKnobValue(71); // velocity 90
    rig.menus.entry(u"mnuBeat2", 0)->action()->trigger();
    BeatAccompaniment& beat = rig.window->beat();
    EXPECT_EQ(label10->text(), QStringLiteral("Rock"));
    EXPECT_TRUE(beat.running());
    const Messages sent = rig.fake.midiOut().messages();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), midiMessage(0x99, 44, 90)); // the intro's first step, at once

    // The strip is 82 pixels with an 8-pixel pointer: the top stands still, the bottom is 300 ms.
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(6, 2));
    EXPECT_EQ(beat.interval(), 0);
    EXPECT_FALSE(beat.running());
    QMouseEvent drag(QEvent::MouseMove, QPointF(6, 200), QPointF(6, 200), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &drag);
    EXPECT_EQ(beat.interval(), 300);
    EXPECT_TRUE(beat.running());
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(6, 200));

    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(label10->text(), QString());
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_EQ(beat.BeatNextSection(), BeatAccompaniment::kSilent);
    rig.window->Form_Unload();
    EXPECT_FALSE(beat.running());
}

TEST(frmMidiPianoTest, MediaPlayerPlaysAWaveToItsEndAndStops)
{
    WindowRig rig;
    MpvMediaEngine::Options options;
    options.audioOutput = QStringLiteral("null");
    options.videoOutput = QStringLiteral("null");
    rig.fake.platform.media = std::make_unique<MpvMediaEngine>(options);
    rig.window.reset(); // the player is made with the window
    rig.open();
    const QString file = rig.fake.dir.filePath(QStringLiteral("short.wav"));
    ASSERT_TRUE(writeToneWav(file, 1.3));
    rig.window->chooseMediaFile = [&] {
        return file;
    };
    const auto button = [&](int x) {
        QWidget* face = rig.window->childAt(x, 40); // the control's drawing surface
        return qobject_cast<GGCommand*>(face ? face->parentWidget() : nullptr);
    };
    GGCommand* open = button(224);
    GGCommand* toggle = button(248);
    GGCommand* stop = button(272);
    ASSERT_TRUE(open && toggle && stop);
    EXPECT_EQ(open->ToolTip(), QStringLiteral("Open Media"));
    EXPECT_FALSE(stop->Enabled());

    toggle->setEnabled(true);
    emit toggle->Click(); // paused before anything plays
    EXPECT_EQ(toggle->ForeColor(), PianoMediaPlayer::kPausedColour);
    QElapsedTimer played;
    played.start();
    emit open->Click();
    EXPECT_EQ(toggle->ForeColor(), 0u);
    EXPECT_EQ(toggle->ToolTip(), QStringLiteral("Pause"));
    EXPECT_TRUE(stop->Enabled());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !stop->Enabled();
        },
        5000));
    // At its end, not at an early tick (the null output reports the end as its last buffer goes).
    EXPECT_GE(played.elapsed(), 500);
    EXPECT_FALSE(toggle->Enabled());
}

} // namespace
