#include "piano/frmMidiPiano.h"

#include "PianoWindowRig.h"
#include "TestMedia.h"
#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "controls/DrawSurface.h"
#include "controls/GGCommand.h"
#include "controls/SliderPic.h"
#include "piano/BeatAccompaniment.h"
#include "piano/ChoiceBox.h"
#include "piano/ChordScalePanels.h"
#include "piano/KeyRepeatFilter.h"
#include "piano/PianoKeyCodes.h"
#include "piano/ScaleTempo.h"
#include "piano/frmDrums.h"
#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/media/FakeMediaEngine.h"
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
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

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

using Messages = WindowRig::Messages;

TEST(frmMidiPianoTest, AHeldKeyStrikesOnceHoweverItsRepeatsArrive)
{
    // How a held key's repeat reaches the window: a release and a press, flagged by Qt or not,
    // stamped alike or a few milliseconds apart, the press coming with the release or after
    // the event loop has run once more.
    enum class Pair { Flagged, SameStamp, FewMsApart, PressLater };

    struct Mode
    {
        const char* name;
        std::vector<int> struck;
    };

    const Mode modes[] = { { "Normal", { 60 } }, { "Major/Dur", { 60, 64, 67 } } };
    for (const Mode& mode : modes) {
        for (const Pair pair :
            { Pair::Flagged, Pair::SameStamp, Pair::FewMsApart, Pair::PressLater }) {
            SCOPED_TRACE(testing::Message() << mode.name << " pair " << int(pair));
            WindowRig rig;
            rig.window->setCombo1Text(QString::fromLatin1(mode.name));
            quint64 t = 1000;
            rig.key(QEvent::KeyPress, Qt::Key_Z, false, t);
            t += 660;
            for (int i = 0; i < 5; ++i, t += 40) {
                const bool flagged = pair == Pair::Flagged;
                rig.key(QEvent::KeyRelease, Qt::Key_Z, flagged, t);
                if (pair == Pair::PressLater)
                    QCoreApplication::processEvents();
                rig.key(QEvent::KeyPress, Qt::Key_Z, flagged, pair == Pair::FewMsApart ? t + 3 : t);
            }
            EXPECT_EQ(rig.notesOn(), mode.struck);
            EXPECT_TRUE(rig.window->core().keyDownShown(0)) << "held all along";

            // The last release lets the key go; a press 120 ms later is a new stroke.
            rig.key(QEvent::KeyRelease, Qt::Key_Z, false, t);
            ASSERT_TRUE(QTest::qWaitFor([&] {
                return !rig.window->core().keyDownShown(0);
            }));
            for (const int note : mode.struck)
                EXPECT_FALSE(rig.window->core().keyDownShown(note - 60)) << note;
            rig.fake.midiOut().clearLog();
            rig.key(QEvent::KeyPress, Qt::Key_Z, false, t + 120);
            EXPECT_EQ(rig.notesOn(), mode.struck);
        }
    }
}

TEST(frmMidiPianoTest, TabAndKeysTypedIntoItsBoxesStayWithTheirPlace)
{
    WindowRig rig;
    // The release of a key pressed in a box (the Return that chose a chord from the open list)
    // is not the piano's: in the chord's mode it would let the whole keyboard go.
    ChordScalePanels& panels = rig.window->panels();
    QComboBox* chords = panels.C1();
    WindowRig::clickAt(chords, { chords->width() - 6, chords->height() / 2 });
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    for (int i = 0; i < 11; ++i) // from "C" to "Cmaj"
        WindowRig::typeKey(Qt::Key_Down);
    QKeyEvent returnDown(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &returnDown);
    QApplication::processEvents();
    ASSERT_TRUE(rig.holdsTheKeyboard());
    QKeyEvent returnUp(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &returnUp);
    QTest::qWait(2 * KeyRepeatFilter::kHoldMs);
    EXPECT_EQ(panels.chords().text1(), QStringLiteral("Cmaj, Cmaj7"));
    for (const int k : { 0, 4, 7, 11 })
        EXPECT_TRUE(rig.window->core().keyDownShown(k)) << k;

    // Tab is a key of the piano, not a move to one of its controls.
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
    // The scale tempo is kept at unload.
    EXPECT_EQ(rig.fake.platform.settings
                  ->GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                      QStringLiteral("Speed"), QStringLiteral("none"))
                  .toString(),
        QStringLiteral("120"));
}

// With settings that cannot be written, the scale tempo chosen stays what every key reads and
// what the window shows when it opens again; the failure is told once.
TEST(frmMidiPianoTest, AScaleTempoTheSettingsCannotKeepLastsTheRun)
{
    WindowRig rig;
    const auto button = [&](const QString& caption) -> GGCommand* {
        for (GGCommand* b : rig.window->findChildren<GGCommand*>())
            if (b->Caption() == caption)
                return b;
        return nullptr;
    };
    rig.fake.files().fail = FakeFileStore::Fail::BeforeWrite; // a read-only settings folder
    WindowRig::clickAt(button(QStringLiteral("Scales")), { 10, 10 });
    rig.fake.boxes().answerInputNext(QStringLiteral("200"));
    WindowRig::clickAt(button(QStringLiteral("Scale Tempo")), { 10, 10 });
    const ScaleTempo& tempo = rig.window->panels().tempo();
    ASSERT_EQ(tempo.lblMM(), QStringLiteral("200"));

    ASSERT_TRUE(rig.holdsTheKeyboard());
    WindowRig::typeKey(Qt::Key_Z); // every key reads the stored tempo again
    EXPECT_EQ(rig.window->panels().tempo().lblMM(), QStringLiteral("200"));
    EXPECT_EQ(rig.window->panels().tempo().txtSpeed(), QStringLiteral("300"));

    rig.key(QEvent::KeyPress, Qt::Key_Escape);
    rig.open();
    EXPECT_EQ(rig.window->panels().tempo().lblMM(), QStringLiteral("200"));
    WindowRig::typeKey(Qt::Key_X);
    EXPECT_EQ(rig.window->panels().tempo().txtSpeed(), QStringLiteral("300"));
    EXPECT_EQ(rig.fake.boxes().shown().size(), 2u); // the tempo's question, one failure
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

TEST(frmMidiPianoTest, AfterTheDrumWindowTheKeysPlayThePiano)
{
    WindowRig rig;
    // "Assign Drum Keys" in the Options menu.
    rig.menus.entry(u"mnudrumk", WindowRig::kNoIndex)->action()->trigger();
    auto* drums = rig.window->findChild<frmDrums*>();
    ASSERT_NE(drums, nullptr);
    EXPECT_TRUE(drums->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const auto typeKeypad2 = [&] {
        rig.fake.midiOut().clearLog();
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key_2, Qt::KeypadModifier);
    };

    // A click on pad 10's drum (keypad 2) activates the drum window, as a click does, and opens
    // the drum menu; its first entry clicked gives the pad note 35, and keypad 2 plays it.
    WindowRig::activate(drums);
    WindowRig::clickAt(drums, { 180, 192 });
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    WindowRig::clickAt(menu, menu->actionGeometry(menu->actions().value(0)).center());
    QApplication::processEvents();
    EXPECT_TRUE(rig.holdsTheKeyboard());
    typeKeypad2();
    EXPECT_EQ(rig.fake.midiOut().messages(),
        (Messages { midiMessage(0x99, 35, 127), midiMessage(0x89, 35) }));

    // The drum menu left without a choice, and the drum window closed: the keys still play.
    WindowRig::activate(drums);
    WindowRig::clickAt(drums, { 48, 64 });
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(rig.holdsTheKeyboard());
    typeKeypad2();
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 35 }));
    WindowRig::activate(drums);
    QWidget* closeFace = drums->childAt(279, 19);
    ASSERT_NE(closeFace, nullptr);
    QTest::mouseMove(closeFace, { 11, 11 });
    QTest::mouseClick(closeFace, Qt::LeftButton, {}, { 11, 11 });
    const QPointer<frmDrums> closed = drums;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return closed.isNull();
    }));
    EXPECT_TRUE(rig.holdsTheKeyboard());
    typeKeypad2();
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 35 }));

    // A key that a scale presses never takes the keyboard from another window.
    rig.menus.entry(u"mnudrumk", WindowRig::kNoIndex)->action()->trigger();
    drums = rig.window->findChild<frmDrums*>();
    WindowRig::activate(drums);
    rig.window->core().PressKey(5);
    rig.window->core().ReleaseKey(5);
    EXPECT_EQ(QGuiApplication::focusWindow(), drums->windowHandle());

    // It goes with the piano.
    QPointer<frmDrums> watched = drums;
    rig.window.reset();
    EXPECT_TRUE(watched.isNull());
}

TEST(frmMidiPianoTest, ABoxThatAMenuChoiceOpensHasTheKeysUntilItClosesThenThePianoHasThem)
{
    WindowRig rig;
    rig.fake.platform.boxes = std::make_unique<QtMessageBoxService>();
    rig.window.reset(); // the window takes the boxes as it is made
    rig.open();

    // "Change Base" from the Options menu: its input box runs an event loop of its own. The user
    // answers once it has been up a while: 62, then Return.
    bool boxHadTheKeys = false;
    bool answered = false;
    QTimer answer;
    answer.setSingleShot(true);
    answer.callOnTimeout([&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) {
            answer.start();
            return;
        }
        QTest::qWait(150);
        boxHadTheKeys = QGuiApplication::focusWindow() == box->windowHandle();
        answered = true;
        // Typed into the box's field even where the box has lost the keys, so that it closes.
        QWidget* field = box->focusWidget();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QStringLiteral("62"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    answer.start(20);
    WindowRig::clickAt(rig.window->childAt(491, 70), { 20, 10 });
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* changeBase = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Change Base"))
            changeBase = action;
    }
    ASSERT_NE(changeBase, nullptr);
    WindowRig::clickAt(menu, menu->actionGeometry(changeBase).center());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return answered && !QApplication::activeModalWidget();
    }));
    EXPECT_TRUE(boxHadTheKeys);
    EXPECT_EQ(rig.window->core().baseNote(), 62);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return rig.holdsTheKeyboard();
    }));
    rig.fake.midiOut().clearLog();
    WindowRig::typeKey(Qt::Key_Z);
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 62 }));
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
    // Its pointer where 130 ms lies: 130 / 300 of the strip's 74 pixels of travel below its top,
    // with the line from the pointer's foot down; a click there keeps the tempo.
    QWidget* pointer = nullptr;
    for (auto* label : rig.window->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull() && label->x() == strip->x())
            pointer = label;
    }
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->y(), strip->y() + 32);
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(6, pointer->y() - strip->y() + 4));
    EXPECT_EQ(beat.interval(), 130);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(6, pointer->y() - strip->y() + 4));

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

TEST(frmMidiPianoTest, ThePositionSliderSeeksWhereTheMouseIsAndTheTickLeavesItsPointerAlone)
{
    WindowRig rig;
    const QString file = QStringLiteral("/music/take.wav");
    rig.fake.media().files[file] = { .duration = 100.0, .size = {} };
    // The file is picked in a dialog of its own, which has the keys meanwhile; then the keys
    // play the piano again, to play along.
    QWidget dialog;
    rig.window->chooseMediaFile = [&] {
        dialog.show();
        WindowRig::activate(&dialog);
        dialog.hide();
        return file;
    };
    WindowRig::clickAt(rig.window->childAt(224, 40), { 11, 11 }); // open
    EXPECT_TRUE(rig.holdsTheKeyboard());
    auto* slider = qobject_cast<SliderPic*>(rig.window->childAt(230, 67)->parentWidget());
    auto* label15 = qobject_cast<QLabel*>(rig.window->childAt(230, 88));
    ASSERT_TRUE(slider && label15);
    ASSERT_TRUE(slider->Enabled());
    ASSERT_EQ(slider->Max(), 100);
    FakeGraphRecord& player = *rig.fake.media().graphs.back();
    QWidget* face = slider->findChild<DrawSurface*>();
    // The track starts 3 pixels in: x is the position + 3.
    const auto mouse = [&](QEvent::Type type, int x) {
        if (type == QEvent::MouseButtonPress)
            QTest::mousePress(face, Qt::LeftButton, {}, { x, 7 });
        else if (type == QEvent::MouseMove)
            QTest::mouseMove(face, { x, 7 });
        else
            QTest::mouseRelease(face, Qt::LeftButton, {}, { x, 7 });
    };

    // A click on the track seeks there at once.
    mouse(QEvent::MouseButtonPress, 53);
    EXPECT_EQ(player.position, 50.0);
    mouse(QEvent::MouseButtonRelease, 53);

    // A drag from the pointer seeks with every move; meanwhile the player reports where it
    // plays, and its tick shows that in the label but leaves the pointer under the mouse.
    mouse(QEvent::MouseButtonPress, slider->geometry().pointerLeft + 2);
    mouse(QEvent::MouseMove, 73);
    EXPECT_EQ(player.position, 70.0);
    player.position = 12;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return label15->text() == QStringLiteral("12");
    }));
    EXPECT_EQ(slider->CurPosition(), 70);
    mouse(QEvent::MouseMove, 83);
    EXPECT_EQ(player.position, 80.0);
    mouse(QEvent::MouseButtonRelease, 83);
    // Let go, the pointer follows the player again.
    player.position = 81;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return slider->CurPosition() == 81;
    }));
}

} // namespace
