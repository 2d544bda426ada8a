#include "app/FlamMenus.h"

#include "app/FlamPopupMenus.h"
#include "windows/MainWindowCommands.h"
#include "windows/PianoCommands.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int N = MenuEntry::kNoIndex;

std::string call(const char* name, int index)
{
    return std::string(name) + "(" + std::to_string(index) + ")";
}

// The main window and the piano window in one, writing every call into one log, "a, b(1)";
// `during` runs inside each call with its index, to see the menus as the called procedure sees
// them.
class RecordingWindows : public MainWindowCommands, public PianoCommands
{
public:
    explicit RecordingWindows(std::string& log)
        : m_log(log)
    {}

    std::function<void(int index)> during;

    void Picka(int Index) override { rec(call("Picka", Index), Index); }

    void Bitovi(int Index) override { rec(call("Bitovi", Index), Index); }

    void Primeri(int Index) override { rec(call("Primeri", Index), Index); }

    void raz1() override { rec("raz1"); }

    void raz2() override { rec("raz2"); }

    void raz3() override { rec("raz3"); }

    void raz4() override { rec("raz4"); }

    void raz5() override { rec("raz5"); }

    void raz6() override { rec("raz6"); }

    void raz7() override { rec("raz7"); }

    void raz8() override { rec("raz8"); }

    void raz10() override { rec("raz10"); }

    void raz11() override { rec("raz11"); }

    void fla1() override { rec("fla1"); }

    void fla2() override { rec("fla2"); }

    void Pianino(int Inst) override { rec(call("Pianino", Inst), Inst); }

    void Baza() override { rec("Baza"); }

    void Kanal(int Ch) override { rec(call("Kanal", Ch)); }

    void Uredjaj(int Dev) override { rec(call("Uredjaj", Dev)); }

    void mnDrum(int Index) override { rec(call("mnDrum", Index)); }

    void mnBeat(int Index) override { rec(call("mnBeat", Index)); }

    void setCombo1Text(const QString& text) override { rec("Combo1=" + text.toStdString()); }

    void setPratnjaAvailable(bool on) override { rec(on ? "Pratnja on" : "Pratnja off"); }

    void focusPicPozadina() override { rec("focus PicPozadina"); }

    void setLblInstCaption(const QString& text) override { rec("lblInst=" + text.toStdString()); }

    void setLabel10Caption(const QString& text) override { rec("Label10=" + text.toStdString()); }

    void showFrmDrums() override { rec("frmDrums.Show"); }

private:
    void rec(const std::string& entry, int index = N)
    {
        m_log += (m_log.empty() ? "" : ", ") + entry;
        if (during)
            during(index);
    }

    std::string& m_log;
};

class FlamMenusTest : public ::testing::Test
{
protected:
    FlamMenusTest()
    {
        const auto both = [this] {
            return &windows;
        };
        menus.setTargets({ both, both, [this] {
                              log += "frmabout.Show modal";
                          } });
    }

    // "name" or "name(index)".
    MenuEntry* entry(const QString& key) const
    {
        const qsizetype paren = key.indexOf(u'(');
        return paren < 0 ? menus.entry(key)
                         : menus.entry(key.left(paren), key.mid(paren + 1).chopped(1).toInt());
    }

    void choose(const char* key)
    {
        MenuEntry* chosen = entry(QString::fromLatin1(key));
        ASSERT_NE(chosen, nullptr) << key;
        chosen->action()->trigger();
    }

    std::vector<int> checkedIndexes(const char* name) const
    {
        std::vector<int> checked;
        for (const MenuEntry* element : menus.elements(QString::fromLatin1(name))) {
            if (element->checked())
                checked.push_back(element->index());
            // What a user sees must agree with the entry.
            EXPECT_EQ(element->action()->isChecked(), element->checked()) << element->index();
        }
        return checked;
    }

    std::string log;
    RecordingWindows windows { log };
    FlamMenus menus;
};

// Every menu with its entries in order, each written "name=caption" or "name(index)=caption",
// then "|" and the flags that differ from the defaults: c checked, u unavailable, h hidden.
struct MenuRows
{
    const char* menu;
    const char* title;
    std::vector<const char*> entries;
};

const MenuRows kStructure[] = {
    { "mnupitch00", "Pitch",
        { "mnupitch(0)=440 Hz", "mnupitch(1)=&Custom...", "mnupitch(2)=D3", "mnupitch(3)=E3",
            "mnupitch(4)=G3", "mnupitch(5)=A3", "mnupitch(6)=D4", "mnupitch(7)=G4",
            "mnupitch(8)=A4", "mnupitch(9)=B4/H4", "mnupitch(10)=E5", "mnupitch(11)=-",
            "mnupitch(12)=&STOP Tuner" } },
    { "mnubeat00", "Beat",
        { "mnuBeat(0)=&1", "mnuBeat(1)=&2", "mnuBeat(2)=&3", "mnuBeat(3)=&4|c", "mnuBeat(4)=&5",
            "mnuBeat(5)=&6", "mnuBeat(6)=-", "mnuBeat(7)=&Metronome Sound..." } },
    { "mnupoly00", "Poly",
        { "mnupoly(2)=Example &1", "mnupoly(3)=Example &2", "mnupoly(4)=Example &3",
            "mnupoly(5)=Example &4", "mnupoly(6)=Example &5", "mnupoly(7)=-",
            "mnupoly(8)=&STOP" } },
    { "mnurazno", "Razno",
        { "mnuPiano=MIDI &Piano...", "mnurec=Sound &Recoreder..", "mnump3=MP3 &Encoder...",
            "eryrt=-", "mnumisc=Set &Misc Rhythm...", "mnupattr=Set Pa&ttern Rhythm...", "dsgds=-",
            "mnucust=Set &Custom Tempo...", "mstop=&Start Metronome|u",
            "mnuset=Metr&onome Sound...", "gsrujy=-", "mnuhelp=&Help...", "vhbg=-",
            "mnuabout=&About...", "fdhfgh=-", "mnuexit=E&xit" } },
    { "mnuflam", "Flam", { "mnumiscf=Set &Misc Rhythm...", "mnupattrf=Set Pa&ttern Rhythm..." } },
    { "mnuOptions", "Options",
        { "midi_devices=Midi Devices", "mnuselec=Select Channel", "base=Change Base",
            "mnudrumk=Assign Drum Keys" } },
    { "midi_devices", "Midi Devices",
        { "device(0)=", "device(1)=|h", "device(2)=|h", "device(3)=|h", "device(4)=|h",
            "device(5)=|h", "device(6)=|h", "device(7)=|h", "device(8)=|h", "device(9)=|h",
            "device(10)=|h" } },
    { "mnuselec", "Select Channel",
        { "chan(0)=Midi", "chan(1)=2|h", "chan(2)=3|h", "chan(3)=4|h", "chan(4)=5|h", "chan(5)=6|h",
            "chan(6)=7|h", "chan(7)=8|h", "chan(8)=9|h", "chan(9)=Drum", "chan(10)=11|h",
            "chan(11)=12|h", "chan(12)=13|h", "chan(13)=14|h", "chan(14)=15|h", "chan(15)=16|h" } },
    { "mnuMain(0)", "Piano", { "mnuPiano2(0)=Piano" } },
    { "mnuMain(1)", "Drum", { "mnudrum(0)=Drum" } },
    { "mnuMain(2)", "Beat", { "mnuBeat2(0)=Beat" } },
};

TEST_F(FlamMenusTest, EveryMenuHoldsItsEntriesInOrderWithCaptionsAndFlags)
{
    for (const MenuRows& rows : kStructure) {
        SCOPED_TRACE(rows.menu);
        const MenuEntry* menu = entry(QString::fromLatin1(rows.menu));
        ASSERT_TRUE(menu && menu->submenu());
        EXPECT_EQ(menu->submenu()->title(), QString::fromLatin1(rows.title));
        const QList<QAction*> actions = menu->submenu()->actions();
        ASSERT_EQ(actions.size(), qsizetype(rows.entries.size()));
        for (std::size_t position = 0; position < rows.entries.size(); ++position) {
            SCOPED_TRACE(rows.entries[position]);
            const QString row = QString::fromLatin1(rows.entries[position]);
            const QString flags = row.section(u'|', 1);
            const QString caption = row.section(u'|', 0, 0).section(u'=', 1);
            const MenuEntry* found = entry(row.section(u'=', 0, 0));
            ASSERT_NE(found, nullptr);
            QAction* action = found->action();
            EXPECT_EQ(actions[position], action);
            const bool checked = flags.contains(u'c');
            const bool available = !flags.contains(u'u');
            const bool visible = !flags.contains(u'h');
            EXPECT_EQ(found->caption(), caption);
            EXPECT_EQ(found->checked(), checked);
            EXPECT_EQ(found->available(), available);
            EXPECT_EQ(found->shown(), visible);
            // The action shows exactly that (a separator only its line), and an unchecked entry
            // draws no empty check box.
            const bool separator = caption == QLatin1String("-");
            EXPECT_EQ(action->text(), separator ? QString() : caption);
            EXPECT_EQ(action->isSeparator(), separator);
            EXPECT_EQ(action->isChecked(), checked);
            EXPECT_EQ(action->isCheckable(), checked);
            EXPECT_EQ(action->isVisible(), visible);
            EXPECT_TRUE(!visible || action->isEnabled() == available);
        }
    }
}

TEST_F(FlamMenusTest, EachEntryCallsItsWindowInOrderAndGreyedOrHiddenOnesNothing)
{
    const std::pair<const char*, const char*> cases[] = { { "mnupitch(0)", "Picka(0)" },
        { "mnupitch(12)", "Picka(12)" }, { "mnuBeat(7)", "Bitovi(7)" },
        { "mnupoly(2)", "Primeri(2)" }, { "mnupoly(8)", "Primeri(8)" }, { "mnuPiano", "raz1" },
        { "mnurec", "raz2" }, { "mnump3", "raz3" }, { "mnumisc", "raz4" }, { "mnupattr", "raz5" },
        { "mnucust", "raz6" }, { "mnuset", "raz8" }, { "mnuhelp", "raz10" },
        { "mnuabout", "frmabout.Show modal" }, { "mnuexit", "raz11" }, { "mnumiscf", "fla1" },
        { "mnupattrf", "fla2" }, { "device(0)", "Uredjaj(0)" }, { "chan(0)", "Kanal(0)" },
        { "chan(9)", "Kanal(9), Combo1=Normal, Pratnja off" }, { "base", "Baza" },
        { "mnudrumk", "frmDrums.Show" }, { "mnuPiano2(0)", "Pianino(0), lblInst=Piano" },
        { "mnudrum(0)", "mnDrum(0), focus PicPozadina" },
        { "mnuBeat2(0)", "mnBeat(0), Label10=Beat" }, { "mstop", "" }, { "chan(1)", "" },
        { "device(10)", "" } };
    for (const auto& [key, calls] : cases) {
        log.clear();
        choose(key);
        EXPECT_EQ(log, calls) << key;
    }

    // Made available or shown, they can be chosen; showing again keeps a greyed entry greyed.
    log.clear();
    menus.entry(u"mstop")->setAvailable(true);
    choose("mstop");
    menus.entry(u"device", 1)->setShown(true);
    choose("device(1)");
    MenuEntry* drum = menus.entry(u"chan", 9);
    drum->setAvailable(false);
    drum->setShown(false);
    drum->setShown(true);
    EXPECT_FALSE(drum->action()->isEnabled());
    choose("chan(9)");
    menus.entry(u"chan", 4)->setAvailable(true);
    choose("chan(4)"); // still hidden
    EXPECT_EQ(log, "raz7, Uredjaj(1)");
    // Without its window a choice is dropped, before it moves a check mark.
    menus.setTargets({});
    choose("mnuPiano2(0)");
    choose("mnurec");
    choose("mnuabout");
    EXPECT_EQ(log, "raz7, Uredjaj(1)");
    EXPECT_EQ(checkedIndexes("mnuPiano2"), std::vector<int> { 0 });
}

TEST_F(FlamMenusTest, ChoosingAnEntryLeavesItsCheckMarkToTheCalledProcedure)
{
    // A procedure that moves no check mark: the entries keep theirs, already while it runs.
    std::vector<int> seen;
    windows.during = [&](int) {
        seen = checkedIndexes("mnuBeat");
    };
    for (const char* key : { "mnuBeat(3)", "mnuBeat(1)" }) {
        choose(key);
        EXPECT_EQ(seen, std::vector<int> { 3 });
        EXPECT_EQ(checkedIndexes("mnuBeat"), std::vector<int> { 3 });
    }
}

TEST_F(FlamMenusTest, AnInstrumentChosenTwiceIsTheOnlyOneChecked)
{
    for (int i = 1; i <= 4; ++i)
        ASSERT_NE(menus.load(u"mnuPiano2", i, QStringLiteral("Inst %1").arg(i)), nullptr);
    std::vector<std::vector<int>> seenByPianino;
    windows.during = [&](int index) {
        if (index != N)
            seenByPianino.push_back(checkedIndexes("mnuPiano2"));
    };
    for (const char* key : { "mnuPiano2(4)", "mnuPiano2(2)", "mnuPiano2(2)" })
        choose(key);
    EXPECT_EQ(checkedIndexes("mnuPiano2"), std::vector<int> { 2 });
    // Every check mark is gone before the instrument changes, and the label follows it.
    EXPECT_EQ(seenByPianino, std::vector<std::vector<int>>(3));
    EXPECT_EQ(
        log, "Pianino(4), lblInst=Inst 4, Pianino(2), lblInst=Inst 2, Pianino(2), lblInst=Inst 2");
}

TEST_F(FlamMenusTest, ArraysGrowInIndexOrderAndLoadedElementsRunTheArrayHandler)
{
    for (const auto& [index, caption] : { std::pair { 5, "Snare" }, { 2, "Kick" }, { 3, "-" } })
        ASSERT_NE(menus.load(u"mnudrum", index, QString::fromLatin1(caption)), nullptr);
    QStringList shown;
    for (const QAction* action : menus.menu(u"mnuMain", 1)->actions())
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(shown.join(u' ').toStdString(), "Drum Kick - Snare");

    // An element of an array in the middle of a menu stays ahead of the entries after it.
    for (const auto& [array, menu, size] : { std::tuple { u"mnupitch", u"mnupitch00", 13 },
             std::tuple { u"device", u"midi_devices", 11 } }) {
        ASSERT_NE(menus.load(array, size, QStringLiteral("More")), nullptr);
        const QList<QAction*> actions = menus.menu(menu)->actions();
        EXPECT_EQ(actions.size(), size + 1);
        EXPECT_EQ(actions.last(), menus.entry(array, size)->action());
    }

    for (const auto& [name, index] :
        { std::pair { u"mnudrum", 5 }, { u"mnudrum", 0 }, { u"mnudrum", -1 }, { u"mnudrum", 32768 },
            { u"mstop", 1 }, { u"mnuMain", 3 }, { u"nothing", 1 } }) {
        EXPECT_EQ(menus.load(name, index, QStringLiteral("x")), nullptr)
            << QString::fromUtf16(name).toStdString() << " " << index;
    }
    EXPECT_EQ(menus.entry(u"mnudrum", 5)->caption(), QStringLiteral("Snare"));
    EXPECT_NE(menus.load(u"mnudrum", 32767, QStringLiteral("Last")), nullptr);

    choose("mnudrum(5)");
    choose("mnupitch(13)");
    EXPECT_EQ(log, "mnDrum(5), focus PicPozadina, Picka(13)");
}

// The piano's rhythm button as a user meets it: the style menu pops up, a style is picked with
// the keyboard, and the window learns of the closing only after the handler has run; a menu
// closed with nothing chosen tells it once, not once per earlier popup. A window destroyed while
// its menu is open, or before the closing queued for it has run, is not told.
TEST_F(FlamMenusTest, OtherWindowsSeeTheMenuClosedAfterTheChoiceWasHandled)
{
    FlamPopupMenus popups(menus);
    ASSERT_TRUE(popups.load(u"mnuBeat2", 1, QStringLiteral("Rock")));
    const auto closed = [this] {
        log += ", closed";
    };
    QObject window;
    ASSERT_TRUE(popups.popup(u"mnuMain", 2, QPoint(40, 40), window, closed));
    QMenu* styles = menus.menu(u"mnuMain", 2);
    QTest::keyClick(styles, Qt::Key_Down);
    QTest::keyClick(styles, Qt::Key_Down);
    QTest::keyClick(styles, Qt::Key_Return);
    EXPECT_EQ(log, "mnBeat(1), Label10=Rock");
    QCoreApplication::processEvents();
    EXPECT_EQ(log, "mnBeat(1), Label10=Rock, closed");

    ASSERT_TRUE(popups.popup(u"mnuMain", 2, QPoint(40, 40), window, closed));
    QTest::keyClick(styles, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, "mnBeat(1), Label10=Rock, closed, closed");

    for (const bool closingQueued : { false, true }) {
        SCOPED_TRACE(closingQueued ? "closing queued" : "menu open");
        auto gone = std::make_unique<QObject>();
        ASSERT_TRUE(popups.popup(u"mnuMain", 2, QPoint(40, 40), *gone, closed));
        if (closingQueued)
            QTest::keyClick(styles, Qt::Key_Escape);
        gone.reset();
        if (!closingQueued)
            QTest::keyClick(styles, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_EQ(log, "mnBeat(1), Label10=Rock, closed, closed");
    }

    // Entries that open nothing, and entries that are not there, are no menus to show.
    for (const auto& [name, index] : { std::pair { u"mstop", N }, { u"mnuMain", 3 } })
        EXPECT_FALSE(popups.popup(name, index, QPoint(), window, closed));
}

// A window touches entries it may never have created (a device that is not there): reading one
// gives nothing and writing one changes no other.
TEST_F(FlamMenusTest, OtherWindowsReadMissingEntriesAsEmptyAndWriteThemNowhere)
{
    FlamPopupMenus popups(menus);
    popups.setCaption(u"device", 11, QStringLiteral("Eleventh"));
    popups.setChecked(u"device", 11, true);
    EXPECT_FALSE(popups.exists(u"device", 11));
    EXPECT_EQ(popups.caption(u"device", 11), QString());
    EXPECT_FALSE(popups.checked(u"device", 11));
    EXPECT_EQ(menus.elements(u"device").size(), 11U);

    popups.setCaption(u"device", 1, QStringLiteral("Port 1"));
    popups.setShown(u"device", 1, true);
    popups.setChecked(u"device", 1, true);
    EXPECT_EQ(popups.caption(u"device", 1), QStringLiteral("Port 1"));
    EXPECT_EQ(checkedIndexes("device"), std::vector<int> { 1 });
    EXPECT_FALSE(popups.load(u"device", 1, QStringLiteral("again")));
    EXPECT_EQ(popups.caption(u"device", 1), QStringLiteral("Port 1"));
}

} // namespace
