#include "app/FlamMenus.h"

#include "app/MainWindowCommands.h"
#include "app/PianoCommands.h"

#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;
constexpr int N = MenuEntry::kNoIndex;

std::string call(const char* name, int index)
{
    return std::string(name) + "(" + std::to_string(index) + ")";
}

class RecordingMainWindow : public MainWindowCommands
{
public:
    explicit RecordingMainWindow(Log& log)
        : m_log(log)
    {}

    std::function<void(int)> onBitovi;

    void Picka(int Index) override { m_log.push_back(call("Picka", Index)); }

    void Bitovi(int Index) override
    {
        m_log.push_back(call("Bitovi", Index));
        if (onBitovi)
            onBitovi(Index);
    }

    void Primeri(int Index) override { m_log.push_back(call("Primeri", Index)); }

    void raz1() override { m_log.push_back("raz1"); }

    void raz2() override { m_log.push_back("raz2"); }

    void raz3() override { m_log.push_back("raz3"); }

    void raz4() override { m_log.push_back("raz4"); }

    void raz5() override { m_log.push_back("raz5"); }

    void raz6() override { m_log.push_back("raz6"); }

    void raz7() override { m_log.push_back("raz7"); }

    void raz8() override { m_log.push_back("raz8"); }

    void raz10() override { m_log.push_back("raz10"); }

    void raz11() override { m_log.push_back("raz11"); }

    void fla1() override { m_log.push_back("fla1"); }

    void fla2() override { m_log.push_back("fla2"); }

private:
    Log& m_log;
};

class RecordingPiano : public PianoCommands
{
public:
    explicit RecordingPiano(Log& log)
        : m_log(log)
    {}

    std::function<void(int)> onPianino;

    void Pianino(int Inst) override
    {
        m_log.push_back(call("Pianino", Inst));
        if (onPianino)
            onPianino(Inst);
    }

    void Baza() override { m_log.push_back("Baza"); }

    void Kanal(int Ch) override { m_log.push_back(call("Kanal", Ch)); }

    void Uredjaj(int Dev) override { m_log.push_back(call("Uredjaj", Dev)); }

    void mnDrum(int Index) override { m_log.push_back(call("mnDrum", Index)); }

    void mnBeat(int Index) override { m_log.push_back(call("mnBeat", Index)); }

    void setCombo1Text(const QString& text) override
    {
        m_log.push_back("Combo1=" + text.toStdString());
    }

    void setPratnjaAvailable(bool available) override
    {
        m_log.push_back(available ? "Pratnja on" : "Pratnja off");
    }

    void focusPicPozadina() override { m_log.push_back("focus PicPozadina"); }

    void setLblInstCaption(const QString& caption) override
    {
        m_log.push_back("lblInst=" + caption.toStdString());
    }

    void setLabel10Caption(const QString& caption) override
    {
        m_log.push_back("Label10=" + caption.toStdString());
    }

    void showFrmDrums() override { m_log.push_back("frmDrums.Show"); }

private:
    Log& m_log;
};

class FlamMenusTest : public ::testing::Test
{
protected:
    FlamMenusTest()
    {
        menus.setTargets({ [this] {
                              return &mainWindow;
                          },
            [this] {
                return &piano;
            },
            [this] {
                log.push_back("frmabout.Show modal");
            } });
    }

    void choose(const char* name, int index = N)
    {
        MenuEntry* chosen = menus.entry(QString::fromLatin1(name), index);
        ASSERT_NE(chosen, nullptr) << name << "(" << index << ")";
        chosen->action()->trigger();
    }

    std::vector<int> checkedIndexes(const char* name) const
    {
        std::vector<int> checked;
        for (const MenuEntry* element : menus.elements(QString::fromLatin1(name))) {
            if (element->checked())
                checked.push_back(element->index());
            // What a user sees must agree with the entry.
            EXPECT_EQ(element->action()->isChecked(), element->checked())
                << name << "(" << element->index() << ")";
        }
        return checked;
    }

    Log log;
    RecordingMainWindow mainWindow { log };
    RecordingPiano piano { log };
    FlamMenus menus;
};

// Every menu with its entries in order, each written "name=caption" or "name(index)=caption",
// then "|" and the flags that differ from the defaults: c checked, u unavailable, h hidden.
struct MenuRows
{
    const char* name;
    int index;
    const char* title;
    std::vector<const char*> entries;
};

const MenuRows kStructure[] = {
    { "mnupitch00", N, "Pitch",
        { "mnupitch(0)=440 Hz", "mnupitch(1)=&Custom...", "mnupitch(2)=D3", "mnupitch(3)=E3",
            "mnupitch(4)=G3", "mnupitch(5)=A3", "mnupitch(6)=D4", "mnupitch(7)=G4",
            "mnupitch(8)=A4", "mnupitch(9)=B4/H4", "mnupitch(10)=E5", "mnupitch(11)=-",
            "mnupitch(12)=&STOP Tuner" } },
    { "mnubeat00", N, "Beat",
        { "mnuBeat(0)=&1", "mnuBeat(1)=&2", "mnuBeat(2)=&3", "mnuBeat(3)=&4|c", "mnuBeat(4)=&5",
            "mnuBeat(5)=&6", "mnuBeat(6)=-", "mnuBeat(7)=&Metronome Sound..." } },
    { "mnupoly00", N, "Poly",
        { "mnupoly(2)=Example &1", "mnupoly(3)=Example &2", "mnupoly(4)=Example &3",
            "mnupoly(5)=Example &4", "mnupoly(6)=Example &5", "mnupoly(7)=-",
            "mnupoly(8)=&STOP" } },
    { "mnurazno", N, "Razno",
        { "mnuPiano=MIDI &Piano...", "mnurec=Sound &Recoreder..", "mnump3=MP3 &Encoder...",
            "eryrt=-", "mnumisc=Set &Misc Rhythm...", "mnupattr=Set Pa&ttern Rhythm...", "dsgds=-",
            "mnucust=Set &Custom Tempo...", "mstop=&Start Metronome|u",
            "mnuset=Metr&onome Sound...", "gsrujy=-", "mnuhelp=&Help...", "vhbg=-",
            "mnuabout=&About...", "fdhfgh=-", "mnuexit=E&xit" } },
    { "mnuflam", N, "Flam",
        { "mnumiscf=Set &Misc Rhythm...", "mnupattrf=Set Pa&ttern Rhythm..." } },
    { "mnuOptions", N, "Options",
        { "midi_devices=Midi Devices", "mnuselec=Select Channel", "base=Change Base",
            "mnudrumk=Assign Drum Keys" } },
    { "midi_devices", N, "Midi Devices",
        { "device(0)=", "device(1)=|h", "device(2)=|h", "device(3)=|h", "device(4)=|h",
            "device(5)=|h", "device(6)=|h", "device(7)=|h", "device(8)=|h", "device(9)=|h",
            "device(10)=|h" } },
    { "mnuselec", N, "Select Channel",
        { "chan(0)=Midi", "chan(1)=2|h", "chan(2)=3|h", "chan(3)=4|h", "chan(4)=5|h", "chan(5)=6|h",
            "chan(6)=7|h", "chan(7)=8|h", "chan(8)=9|h", "chan(9)=Drum", "chan(10)=11|h",
            "chan(11)=12|h", "chan(12)=13|h", "chan(13)=14|h", "chan(14)=15|h", "chan(15)=16|h" } },
    { "mnuMain", 0, "Piano", { "mnuPiano2(0)=Piano" } },
    { "mnuMain", 1, "Drum", { "mnudrum(0)=Drum" } },
    { "mnuMain", 2, "Beat", { "mnuBeat2(0)=Beat" } },
};

struct Expected
{
    QString name;
    int index = N;
    QString caption;
    QString flags;
};

Expected parse(const char* row)
{
    Expected expected;
    QString text = QString::fromLatin1(row);
    if (const qsizetype bar = text.indexOf(u'|'); bar >= 0) {
        expected.flags = text.mid(bar + 1);
        text.truncate(bar);
    }
    const qsizetype equals = text.indexOf(u'=');
    expected.caption = text.mid(equals + 1);
    expected.name = text.left(equals);
    if (const qsizetype paren = expected.name.indexOf(u'('); paren >= 0) {
        expected.index = expected.name.mid(paren + 1).chopped(1).toInt();
        expected.name.truncate(paren);
    }
    return expected;
}

TEST_F(FlamMenusTest, EveryMenuHoldsItsEntriesInOrderWithCaptionsAndFlags)
{
    for (const MenuRows& rows : kStructure) {
        SCOPED_TRACE(call(rows.name, rows.index));
        const QMenu* shown = menus.menu(QString::fromLatin1(rows.name), rows.index);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->title(), QString::fromLatin1(rows.title));
        const QList<QAction*> actions = shown->actions();
        ASSERT_EQ(actions.size(), qsizetype(rows.entries.size()));

        for (std::size_t position = 0; position < rows.entries.size(); ++position) {
            const Expected expected = parse(rows.entries[position]);
            SCOPED_TRACE(rows.entries[position]);
            const MenuEntry* found = menus.entry(expected.name, expected.index);
            ASSERT_NE(found, nullptr);
            QAction* action = found->action();
            EXPECT_EQ(actions[position], action);
            const bool checked = expected.flags.contains(u'c');
            const bool available = !expected.flags.contains(u'u');
            const bool visible = !expected.flags.contains(u'h');
            EXPECT_EQ(found->caption(), expected.caption);
            EXPECT_EQ(found->checked(), checked);
            EXPECT_EQ(found->available(), available);
            EXPECT_EQ(found->shown(), visible);
            // The action shows exactly that (a separator only its line), and an unchecked entry
            // draws no empty check box.
            const bool separator = expected.caption == QLatin1String("-");
            EXPECT_EQ(action->text(), separator ? QString() : expected.caption);
            EXPECT_EQ(action->isSeparator(), separator);
            EXPECT_EQ(action->isChecked(), checked);
            EXPECT_EQ(action->isCheckable(), checked);
            EXPECT_EQ(action->isVisible(), visible);
            if (visible) {
                EXPECT_EQ(action->isEnabled(), available);
            }
        }
    }
}

TEST_F(FlamMenusTest, EachEntryCallsItsWindowInOrder)
{

    struct Case
    {
        const char* name;
        int index;
        Log calls;
    };

    const Case cases[] = {
        { "mnupitch", 0, { "Picka(0)" } },
        { "mnupitch", 12, { "Picka(12)" } },
        { "mnuBeat", 7, { "Bitovi(7)" } },
        { "mnupoly", 2, { "Primeri(2)" } },
        { "mnupoly", 8, { "Primeri(8)" } },
        { "mnuPiano", N, { "raz1" } },
        { "mnurec", N, { "raz2" } },
        { "mnump3", N, { "raz3" } },
        { "mnumisc", N, { "raz4" } },
        { "mnupattr", N, { "raz5" } },
        { "mnucust", N, { "raz6" } },
        { "mnuset", N, { "raz8" } },
        { "mnuhelp", N, { "raz10" } },
        { "mnuabout", N, { "frmabout.Show modal" } },
        { "mnuexit", N, { "raz11" } },
        { "mnumiscf", N, { "fla1" } },
        { "mnupattrf", N, { "fla2" } },
        { "device", 0, { "Uredjaj(0)" } },
        { "chan", 0, { "Kanal(0)" } },
        { "chan", 9, { "Kanal(9)", "Combo1=Normal", "Pratnja off" } },
        { "base", N, { "Baza" } },
        { "mnudrumk", N, { "frmDrums.Show" } },
        { "mnuPiano2", 0, { "Pianino(0)", "lblInst=Piano" } },
        { "mnudrum", 0, { "mnDrum(0)", "focus PicPozadina" } },
        { "mnuBeat2", 0, { "mnBeat(0)", "Label10=Beat" } },
        // Greyed or hidden entries cannot be chosen.
        { "mstop", N, {} },
        { "chan", 1, {} },
        { "device", 10, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(call(c.name, c.index));
        log.clear();
        choose(c.name, c.index);
        EXPECT_EQ(log, c.calls);
    }

    log.clear();
    menus.entry(u"mstop")->setAvailable(true);
    choose("mstop");
    EXPECT_EQ(log, Log { "raz7" });
}

TEST_F(FlamMenusTest, AChoiceWithoutItsWindowIsDropped)
{
    menus.setTargets({});
    choose("mnuPiano2", 0);
    choose("mnurec");
    choose("mnuabout");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(checkedIndexes("mnuPiano2").empty());
}

TEST_F(FlamMenusTest, ChoosingAnEntryLeavesItsCheckMarkToTheCalledProcedure)
{
    std::vector<int> seenByBitovi;
    mainWindow.onBitovi = [&](int) {
        seenByBitovi = checkedIndexes("mnuBeat");
    };

    // A procedure that moves no check mark: the entries keep theirs, already while it runs.
    choose("mnuBeat", 3);
    EXPECT_EQ(seenByBitovi, std::vector<int> { 3 });
    EXPECT_EQ(checkedIndexes("mnuBeat"), std::vector<int> { 3 });
    choose("mnuBeat", 1);
    EXPECT_EQ(seenByBitovi, std::vector<int> { 3 });
    EXPECT_EQ(checkedIndexes("mnuBeat"), std::vector<int> { 3 });

    // The beats procedure clears 0 to 5 and inverts the chosen one: twice the same entry still
    // ends with that one checked.
    mainWindow.onBitovi = [&](int Index) {
        for (int i = 0; i <= 5; ++i)
            menus.entry(u"mnuBeat", i)->setChecked(false);
        MenuEntry* chosen = menus.entry(u"mnuBeat", Index);
        chosen->setChecked(!chosen->checked());
    };
    for (int pass = 0; pass < 2; ++pass) {
        choose("mnuBeat", 1);
        EXPECT_EQ(checkedIndexes("mnuBeat"), std::vector<int> { 1 });
    }
}

TEST_F(FlamMenusTest, AnInstrumentChosenTwiceIsTheOnlyOneChecked)
{
    for (int i = 1; i <= 4; ++i)
        ASSERT_NE(menus.load(u"mnuPiano2", i, QStringLiteral("Inst %1").arg(i)), nullptr);
    std::vector<std::vector<int>> seenByPianino;
    piano.onPianino = [&](int) {
        seenByPianino.push_back(checkedIndexes("mnuPiano2"));
    };

    choose("mnuPiano2", 4);
    choose("mnuPiano2", 2);
    choose("mnuPiano2", 2);

    EXPECT_EQ(checkedIndexes("mnuPiano2"), std::vector<int> { 2 });
    // Every check mark is gone before the instrument changes, and the label follows it.
    EXPECT_EQ(seenByPianino, std::vector<std::vector<int>>(3));
    EXPECT_EQ(log,
        (Log { "Pianino(4)", "lblInst=Inst 4", "Pianino(2)", "lblInst=Inst 2", "Pianino(2)",
            "lblInst=Inst 2" }));
}

TEST_F(FlamMenusTest, ArraysGrowInIndexOrderAndLoadedElementsRunTheArrayHandler)
{
    ASSERT_NE(menus.load(u"mnudrum", 5, QStringLiteral("Snare")), nullptr);
    ASSERT_NE(menus.load(u"mnudrum", 2, QStringLiteral("Kick")), nullptr);
    ASSERT_NE(menus.load(u"mnudrum", 3, QStringLiteral("-")), nullptr);

    QList<QString> shownCaptions;
    for (const QAction* action : menus.menu(u"mnuMain", 1)->actions())
        shownCaptions.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(shownCaptions, (QList<QString> { "Drum", "Kick", "-", "Snare" }));
    EXPECT_TRUE(menus.entry(u"mnudrum", 3)->action()->isSeparator());

    // An element of an array in the middle of a menu stays ahead of the entries after it.
    ASSERT_NE(menus.load(u"mnupitch", 13, QStringLiteral("F5")), nullptr);
    const QList<QAction*> pitch = menus.menu(u"mnupitch00")->actions();
    EXPECT_EQ(pitch.size(), 14);
    EXPECT_EQ(pitch.last(), menus.entry(u"mnupitch", 13)->action());
    ASSERT_NE(menus.load(u"device", 11, QStringLiteral("Extra")), nullptr);
    const QList<QAction*> devices = menus.menu(u"midi_devices")->actions();
    EXPECT_EQ(devices.size(), 12);
    EXPECT_EQ(devices.last(), menus.entry(u"device", 11)->action());

    struct Refused
    {
        const char16_t* name;
        int index;
    };

    for (const Refused& refused : { Refused { u"mnudrum", 5 }, Refused { u"mnudrum", 0 },
             Refused { u"mnudrum", -1 }, Refused { u"mnudrum", 32768 }, Refused { u"mstop", 1 },
             Refused { u"mnuMain", 3 }, Refused { u"nothing", 1 } }) {
        SCOPED_TRACE(
            QString::fromUtf16(refused.name).toStdString() + " " + std::to_string(refused.index));
        EXPECT_EQ(menus.load(refused.name, refused.index, QStringLiteral("x")), nullptr);
    }
    EXPECT_EQ(menus.entry(u"mnudrum", 5)->caption(), QStringLiteral("Snare"));
    EXPECT_NE(menus.load(u"mnudrum", 32767, QStringLiteral("Last")), nullptr);

    choose("mnudrum", 5);
    choose("mnupitch", 13);
    EXPECT_EQ(log, (Log { "mnDrum(5)", "focus PicPozadina", "Picka(13)" }));
}

TEST_F(FlamMenusTest, AShownDeviceCanBeChosenAndAnAccessKeyChoosesOnlyAvailableEntries)
{
    MenuEntry* device = menus.entry(u"device", 1);
    device->setCaption(QStringLiteral("Synth"));
    device->setShown(true);
    device->setAvailable(true);
    EXPECT_TRUE(device->action()->isEnabled());
    choose("device", 1);
    EXPECT_EQ(log, Log { "Uredjaj(1)" });

    // Showing and hiding keep the availability apart: a greyed entry stays greyed once shown
    // again, and a hidden one stays out of reach whatever its availability.
    MenuEntry* drum = menus.entry(u"chan", 9);
    drum->setAvailable(false);
    drum->setShown(false);
    drum->setShown(true);
    EXPECT_FALSE(drum->action()->isEnabled());
    choose("chan", 9);
    menus.entry(u"chan", 4)->setAvailable(true);
    choose("chan", 4);
    EXPECT_EQ(log, Log { "Uredjaj(1)" });

    log.clear();
    QMenu* main = menus.menu(u"mnurazno");
    main->popup(QPoint(10, 10));
    QTest::keyClick(main, Qt::Key_S); // "&Start Metronome" is greyed
    EXPECT_TRUE(log.empty());
    main->hide();
    main->popup(QPoint(10, 10));
    QTest::keyClick(main, Qt::Key_R);
    EXPECT_EQ(log, Log { "raz2" });
    main->hide();
}

} // namespace
