#include "piano/ChoiceBox.h"

#include "PianoWindowRig.h"
#include "controls/GGCommand.h"
#include "piano/ChordScalePanels.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The piano's three drop-down lists, driven as a user drives them: the mouse on the arrow and
// in the open list, keys typed to whatever has the focus.
struct ListRig : WindowRig
{
    ChordScalePanels& panels() { return window->panels(); }

    static QPoint arrow(QComboBox* box) { return { box->width() - 6, box->height() / 2 }; }

    static QPoint text(QComboBox* box) { return { 12, box->height() / 2 }; }

    // A click into the box's text, then all of it selected and replaced by `typed`.
    static void typeInto(QComboBox* box, const QString& typed)
    {
        clickAt(box, text(box));
        ASSERT_TRUE(
            box->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == box);
        typeKey(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), typed);
    }

    static QAbstractItemView* openList(QComboBox* box)
    {
        clickAt(box, arrow(box));
        QWidget* popup = QApplication::activePopupWidget();
        EXPECT_NE(popup, nullptr);
        return popup ? box->view() : nullptr;
    }

    static void clickEntry(QComboBox* box, int row)
    {
        QAbstractItemView* view = openList(box);
        ASSERT_NE(view, nullptr);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        clickAt(view->viewport(), view->visualRect(index).center());
        QApplication::processEvents();
    }

    // The window holds the keys: Z, typed to whatever has the focus, strikes the base note (and
    // the mode's chord).
    void expectKeysWithThePiano(const std::vector<int>& notes)
    {
        EXPECT_EQ(QApplication::focusWidget(), window.get());
        fake.midiOut().clearLog();
        typeKey(Qt::Key_Z);
        EXPECT_EQ(notesOn(), notes);
        window->core().DigniGa();
        fake.midiOut().clearLog();
    }
};

TEST(ChoiceBoxTest, ModeBoxGivesTheKeysBackAfterEveryWayOfLeavingItsList)
{
    ListRig rig;
    QComboBox* mode = rig.panels().Combo1();

    // The mouse: an entry clicked in the open list.
    ListRig::clickEntry(mode, 5); // "Fifth"
    EXPECT_EQ(mode->currentText(), QStringLiteral("Fifth"));
    rig.expectKeysWithThePiano({ 60, 67 });

    // The list opened and closed again by its arrow, nothing chosen.
    ASSERT_NE(ListRig::openList(mode), nullptr);
    ListRig::clickAt(mode, ListRig::arrow(mode));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Fifth"));
    rig.expectKeysWithThePiano({ 60, 67 });

    // The arrow keys in the open list, then Return.
    ASSERT_NE(ListRig::openList(mode), nullptr);
    ListRig::typeKey(Qt::Key_Down);
    ListRig::typeKey(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(mode->currentText(), QStringLiteral("Forth"));
    rig.expectKeysWithThePiano({ 60, 65 });

    // An arrow key on the closed box.
    ListRig::clickAt(mode, ListRig::text(mode));
    ListRig::typeKey(Qt::Key_Up);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Fifth"));
    rig.expectKeysWithThePiano({ 60, 67 });

    // A mode typed into the box acts as it is typed; Return gives the keys back, also for a text
    // that names no mode (single notes on the mode path).
    ListRig::typeInto(mode, QStringLiteral("Octave"));
    EXPECT_TRUE(mode->hasFocus());
    ListRig::typeKey(Qt::Key_Return);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Octave"));
    rig.expectKeysWithThePiano({ 60, 72 });
    ListRig::typeInto(mode, QStringLiteral("Octavez"));
    ListRig::typeKey(Qt::Key_Enter);
    EXPECT_EQ(mode->currentText(), QStringLiteral("Octavez"));
    rig.expectKeysWithThePiano({ 60 });

    // Esc typed into the box is the box's: the piano stays open and gets the keys back.
    ListRig::typeInto(mode, QStringLiteral("Sus 4"));
    ListRig::typeKey(Qt::Key_Escape);
    EXPECT_TRUE(rig.closings.empty());
    EXPECT_FALSE(rig.window->unloaded());
    EXPECT_EQ(mode->currentText(), QStringLiteral("Sus 4"));
    EXPECT_TRUE(rig.panels().Pratnja()->isEnabled());
    rig.expectKeysWithThePiano({ 60, 65, 67 });

    // The channel menu's "Drum" puts the box back to "Normal", "Left Hand only" out of use.
    rig.menus.entry(u"chan", 9)->action()->trigger();
    EXPECT_EQ(mode->currentText(), QStringLiteral("Normal"));
    EXPECT_FALSE(rig.panels().Pratnja()->isEnabled());
    EXPECT_EQ(mode->count(), 65);
}

// What sounds while the user types into a box leaves the keys with the box: a piano key held as
// the user clicked into it and let go there (its release reaches the piano, held back a moment to
// tell a held key's repeat, and ends the note), and each step of a running scale.
TEST(ChoiceBoxTest, KeysLetGoAndScaleStepsLeaveTheTypingInItsBox)
{
    ListRig rig;
    auto typingIn = [](QComboBox* box) {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == box || box->isAncestorOf(focus));
    };
    auto noteOffSent = [&rig](std::uint32_t note) {
        const std::vector<std::uint32_t> log = rig.fake.midiOut().messages();
        return std::any_of(log.begin(), log.end(), [note](std::uint32_t m) {
            return (m & 0xF0) == 0x80 && ((m >> 8) & 0x7F) == note;
        });
    };

    QComboBox* mode = rig.panels().Combo1();
    ListRig::sendKey(QEvent::KeyPress, Qt::Key_Z);
    ListRig::clickAt(mode, ListRig::text(mode));
    ASSERT_TRUE(typingIn(mode));
    ListRig::sendKey(QEvent::KeyRelease, Qt::Key_Z);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return noteOffSent(60);
    }));
    EXPECT_TRUE(typingIn(mode));
    ListRig::typeKey(Qt::Key_Return);
    rig.expectKeysWithThePiano({ 60 });

    auto* scalesButton = qobject_cast<GGCommand*>(rig.window->childAt(721, 137)->parentWidget());
    ASSERT_NE(scalesButton, nullptr);
    emit scalesButton->Click();
    QComboBox* scales = rig.panels().C2();
    ListRig::clickEntry(scales, 0);
    ASSERT_TRUE(rig.panels().scales().running());
    ListRig::clickAt(scales, ListRig::text(scales));
    ASSERT_TRUE(typingIn(scales));
    // The scale's next step, placed once the sound has played past the first.
    rig.fake.midiOut().clearLog();
    rig.fake.audioDevice().renderFrames(AudioEngine::kSampleRate);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !rig.notesOn().empty();
    }));
    EXPECT_TRUE(typingIn(scales));
    // A key of the piano played with the mouse takes them back.
    QWidget* key = rig.window->childAt(60, 260);
    ASSERT_NE(key, nullptr);
    QTest::mouseClick(key, Qt::LeftButton);
    EXPECT_TRUE(rig.holdsTheKeyboard());
}

TEST(ChoiceBoxTest, TextTypedIntoTheChordAndScaleListsChoosesNothing)
{
    ListRig rig;
    ChordScalePanels& panels = rig.panels();
    QComboBox* chords = panels.C1();
    auto* scalesButton = qobject_cast<GGCommand*>(rig.window->childAt(721, 137)->parentWidget());
    ASSERT_NE(scalesButton, nullptr);

    struct Case
    {
        bool scales;
        const char* typed;
        bool byReturn; // else by leaving the box for the piano's background
    };

    // Exact names and names Qt matches regardless of case, committed both ways.
    const Case cases[] = { { false, "Cmaj", true }, { false, "Cmaj", false }, { false, "c7", true },
        { false, "Cm", false }, { true, "Major", true }, { true, "blues", false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.typed << (c.byReturn ? " Return" : " focus-out"));
        if (c.scales)
            emit scalesButton->Click();
        QComboBox* list = c.scales ? panels.C2() : chords;
        rig.fake.midiOut().clearLog();
        ListRig::typeInto(list, QString::fromLatin1(c.typed));
        if (c.byReturn)
            ListRig::typeKey(Qt::Key_Return);
        else
            ListRig::clickAt(rig.window.get(), QPoint(740, 200));
        QApplication::processEvents();
        EXPECT_EQ(list->currentText().toStdString(), c.typed) << "the typed text stays";
        EXPECT_TRUE(rig.notesOn().empty());
        EXPECT_TRUE(panels.chords().text2().isEmpty());
        EXPECT_FALSE(panels.scales().running());
        EXPECT_EQ(panels.Combo1()->currentText(), QStringLiteral("Normal"));
        // The play button has no chosen row to play either.
        auto* play =
            qobject_cast<GGCommand*>(list->parentWidget()->childAt(121, 10)->parentWidget());
        ASSERT_NE(play, nullptr);
        emit play->Click();
        EXPECT_TRUE(rig.notesOn().empty());
        ListRig::clickAt(rig.window.get(), QPoint(740, 200));
    }

    // A choice from the open list chooses: "Cmaj" clicked, then the next row by the arrow key.
    QWidget* chordsButton = rig.window->childAt(673, 137);
    ListRig::clickAt(chordsButton, { 4, 4 });
    rig.fake.midiOut().clearLog();
    ListRig::clickEntry(chords, 11);
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 60, 64, 67, 71 }));
    EXPECT_EQ(panels.chords().text2(), QStringLiteral("C E G B(H)"));
    EXPECT_EQ(panels.Combo1()->currentText(), QStringLiteral("Maj 7"));
    ListRig::clickAt(chords, ListRig::text(chords));
    rig.fake.midiOut().clearLog();
    ListRig::typeKey(Qt::Key_Down);
    EXPECT_EQ(panels.chords().text1(), QStringLiteral("C7"));
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 60, 64, 67, 70 }));
}

TEST(ChoiceBoxTest, TheOpenScaleListShowsItsLongestEntryWhole)
{
    ListRig rig;
    QComboBox* scales = rig.panels().C2();
    scales->showPopup();
    QAbstractItemView* view = scales->view();
    ASSERT_TRUE(view->isVisible());
    EXPECT_GE(view->viewport()->width(), view->sizeHintForColumn(0));
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QString name = view->model()->index(row, 0).data().toString();
        EXPECT_GE(view->viewport()->width(), view->fontMetrics().horizontalAdvance(name))
            << name.toStdString();
    }
    scales->hidePopup();
}

} // namespace
