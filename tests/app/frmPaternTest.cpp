#include "app/frmPatern.h"

#include "DialogKeys.h"
#include "FileBytes.h"
#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The pattern dialog over a loaded main window, its pattern file holding `file` (none when
// null) before the dialog loads.
struct PatternRig
{
    explicit PatternRig(const char* file = nullptr)
    {
        EXPECT_TRUE(main.start());
        if (file)
            writeFile(file);
        dialog = std::make_unique<frmPatern>(main.fake.platform, main.metronome());
        dialog->show();
    }

    QString path() const { return main.fake.platform.dataFileToWrite(PatternBook::kFileName); }

    void writeFile(const QByteArray& bytes) const { ASSERT_TRUE(writeFileBytes(path(), bytes)); }

    QByteArray file() const { return fileBytes(path()); }

    // The name, pattern and start fields as shown.
    QStringList fields() const
    {
        return { dialog->txtRit1->currentText(), dialog->txtRit->text(), dialog->txtBB->text() };
    }

    QStringList names() const
    {
        QStringList list;
        for (int i = 0; i < dialog->txtRit1->count(); ++i)
            list << dialog->txtRit1->itemText(i);
        return list;
    }

    void edit(const QString& name, const QString& pattern, const QString& start)
    {
        retype(dialog->txtRit1->lineEdit(), name);
        retype(dialog->txtRit, pattern);
        retype(dialog->txtBB, start);
    }

    // The one box Save or Remove showed, answered with `answer`.
    BoxRequest press(QPushButton* button, MsgResult answer = MsgResult::OK)
    {
        boxes().clear();
        boxes().answerNext(answer);
        clickOn(button);
        EXPECT_EQ(boxes().shown().size(), 1u);
        return boxes().shown().empty() ? BoxRequest {} : boxes().shown().back();
    }

    FakeMessageBoxService& boxes() { return main.fake.boxes(); }

    MainWindowRig main;
    std::unique_ptr<frmPatern> dialog;
};

} // namespace

TEST(frmPatern, LoadShowsTheFirstRecordAndNamesEveryRecord)
{
    struct Case
    {
        const char* file; // nullptr: no file
        QStringList names;
        QStringList fields;
    };

    const Case cases[] = {
        { nullptr, {}, { "", "", "1" } },
        { "Swing;ADUD|2\r\nx;UD\r\nx\r\n\r\na;b;UDD|2", { "Swing", "x", "x", "a" },
            { "Swing", "ADUD", "2" } },
        { "x;UD\rlast;FUDA|9", { "x", "last" }, { "x", "UD", "1" } },
        { "Caf\xe9;UD|1\nb;U|1\n", { "Caf\u00e9", "b" }, { "Caf\u00e9", "UD", "1" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        PatternRig rig(c.file);
        EXPECT_EQ(rig.names(), c.names);
        EXPECT_EQ(rig.fields(), c.fields);
        EXPECT_EQ(rig.dialog->SelectedIndex.has_value(), c.file != nullptr);
        EXPECT_EQ(rig.dialog->Label7->text(),
            c.file ? QStringLiteral("Pattern (Len: %1)").arg(c.fields[1].size())
                   : QStringLiteral("Pattern (Len: "));
    }
}

TEST(frmPatern, StartFieldStaysWithinThePattern)
{
    struct Case
    {
        const char* pattern;
        const char* typed;
        const char* kept;
    };

    const Case cases[] = {
        { "ADUD", "12", "4" },
        { "ADUD", "", "1" },
        { "ADUD", "2.5", "2.5" },
        { "ADUD", "0", "1" },
        { "", "3", "1" },
        { "", "", "1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.typed);
        PatternRig rig;
        retype(rig.dialog->txtRit, QString::fromLatin1(c.pattern));
        retype(rig.dialog->txtBB, QString::fromLatin1(c.typed));
        EXPECT_EQ(rig.dialog->txtBB->text(), QString::fromLatin1(c.kept));
    }
}

TEST(frmPatern, SaveChecksEveryNameThenOverwritesTheMatchOrAppends)
{
    PatternRig rig("a;UDD|2\r\nc;DDU|1\r\n");
    EXPECT_EQ(rig.dialog->txtRit1->currentIndex(), 0);
    const QByteArray before = rig.file();

    // The name check runs over the whole book before any pattern is compared.
    rig.edit("c", "udd", "1");
    BoxRequest box = rig.press(rig.dialog->Command2);
    EXPECT_EQ(box.text,
        QStringLiteral(
            "Pattern Name already in use. Remove pattern c or change the name and try again."));
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(rig.file(), before);

    // With another record selected, the record whose pattern matched is replaced, in place.
    QTest::keyClick(rig.dialog->txtRit1, Qt::Key_Down);
    EXPECT_EQ(rig.fields(), QStringList({ "c", "DDU", "1" }));
    EXPECT_EQ(rig.dialog->SelectedIndex, 1);
    rig.edit("b", "udd", "9");
    box = rig.press(rig.dialog->Command2, MsgResult::Cancel);
    EXPECT_EQ(box.text, QStringLiteral("Pattern already exists. Overwrite it?"));
    EXPECT_EQ(box.buttons, MsgButtons::OKCancel);
    EXPECT_EQ(rig.file(), before);
    rig.press(rig.dialog->Command2, MsgResult::OK);
    EXPECT_EQ(rig.file(), QByteArray("b;UDD|3\r\nc;DDU|1\r\n"));
    EXPECT_EQ(rig.dialog->SelectedIndex, 0);
    EXPECT_EQ(rig.fields(), QStringList({ "b", "UDD", "3" }));
    EXPECT_EQ(rig.names(), QStringList({ "b", "c" }));

    // A new record goes last and is selected; a ";" in its pattern is a silent step and stays.
    rig.edit("new", "a;du", "2");
    rig.boxes().clear();
    clickOn(rig.dialog->Command2);
    EXPECT_TRUE(rig.boxes().shown().empty());
    EXPECT_EQ(rig.file(), QByteArray("b;UDD|3\r\nc;DDU|1\r\nnew;A;DU|2\r\n"));
    EXPECT_EQ(rig.dialog->SelectedIndex, 2);
    EXPECT_EQ(rig.dialog->txtRit1->currentIndex(), 2);
    EXPECT_EQ(rig.fields(), QStringList({ "new", "A;DU", "2" }));
}

TEST(frmPatern, SaveRefusesWhatWouldNotReadBack)
{
    struct Case
    {
        const char* name;
        const char* pattern;
        const char* start;
        const char* text; // the start of the box's text
    };

    const Case cases[] = {
        { "a;b", "UDD", "1", "A name cannot hold" },
        { "a|b", "UDD", "1", "A name cannot hold" },
        { "a", "U|D", "1", "A name cannot hold" },
        { "", "UDD", "1", "Some fields are empty." },
        { "a", "", "1", "Some fields are empty." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ";" + c.pattern);
        PatternRig rig("z;A|1\r\n");
        rig.edit(QString::fromLatin1(c.name), QString::fromLatin1(c.pattern),
            QString::fromLatin1(c.start));
        const BoxRequest box = rig.press(rig.dialog->Command2);
        EXPECT_TRUE(box.text.startsWith(QString::fromLatin1(c.text))) << box.text.toStdString();
        EXPECT_EQ(box.title, QStringLiteral("Invalid Input"));
        EXPECT_EQ(box.icon, MsgIcon::Critical);
        EXPECT_EQ(rig.file(), QByteArray("z;A|1\r\n"));
    }
}

TEST(frmPatern, RemoveTakesTheSelectedRecordAndLeavesAnEmptyFileAfterTheLast)
{
    PatternRig rig("a;U|1\r\nb;D|1\r\n");
    QTest::keyClick(rig.dialog->txtRit1, Qt::Key_Down);
    BoxRequest box = rig.press(rig.dialog->Command1, MsgResult::Cancel);
    EXPECT_EQ(box.text, QStringLiteral("Remove b from the list?"));
    EXPECT_EQ(rig.file(), QByteArray("a;U|1\r\nb;D|1\r\n"));

    rig.press(rig.dialog->Command1);
    EXPECT_EQ(rig.file(), QByteArray("a;U|1\r\n"));
    EXPECT_EQ(rig.dialog->SelectedIndex, 0);
    EXPECT_EQ(rig.fields(), QStringList({ "a", "U", "1" }));

    box = rig.press(rig.dialog->Command1);
    EXPECT_EQ(box.text, QStringLiteral("Remove a from the list?"));
    EXPECT_EQ(rig.file(), QByteArray());
    EXPECT_TRUE(rig.names().isEmpty());
    EXPECT_FALSE(rig.dialog->SelectedIndex.has_value());

    // Nothing left: no question, and Remove greys out under the pointer.
    rig.boxes().clear();
    clickOn(rig.dialog->Command1);
    EXPECT_TRUE(rig.boxes().shown().empty());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(rig.dialog->Command1, &enter);
    EXPECT_FALSE(rig.dialog->Command1->isEnabled());
    // A record saved into the empty book can be removed again.
    rig.edit("b", "D", "1");
    clickOn(rig.dialog->Command2);
    EXPECT_TRUE(rig.dialog->Command1->isEnabled());
}

TEST(frmPatern, OkStartsThePatternPlayerAsTheToggleWouldAtTheDialTempo)
{
    PatternRig rig("keep;UD|1\r\n");
    Metronome& m = rig.main.metronome();
    rig.main.dragDialTo(40);
    // The opener stops the beat before the dialog shows.
    m.imstop_Click();

    retype(rig.dialog->txtRit, QStringLiteral("adu"));
    retype(rig.dialog->txtBB, QStringLiteral("7"));
    rig.boxes().clear();
    QTest::keyClick(rig.dialog->txtBB, Qt::Key_Return);
    EXPECT_TRUE(rig.boxes().shown().empty());
    EXPECT_FALSE(rig.dialog->isVisible());
    EXPECT_EQ(m.BeatPattern, QStringLiteral("ADU"));
    EXPECT_EQ(m.lblTempo(), QStringLiteral("ADU"));
    EXPECT_EQ(m.PatternStart, QStringLiteral("3"));
    EXPECT_TRUE(m.FlamencoMode);
    EXPECT_EQ(m.image(MainControl::imstop).picture, ShownPicture::stopg);
    EXPECT_EQ(m.imstopToolTip(), QStringLiteral(" STOP "));
    EXPECT_EQ(rig.main.flam().txtRit(), QStringLiteral("ADU"));
    EXPECT_EQ(rig.main.flam().txtBB(), QStringLiteral("3"));
    EXPECT_EQ(rig.main.flam().Label3(), QStringLiteral(" 120"));
    EXPECT_TRUE(rig.main.flam().Timer1.isEnabled());
    EXPECT_FALSE(rig.main.flam().Timer2.isEnabled());
    EXPECT_EQ(rig.file(), QByteArray("keep;UD|1\r\n"));
}

TEST(frmPatern, OkAtDialZeroPlaysNothingAndWithATypedTempoPlaysThat)
{
    {
        PatternRig atZero;
        retype(atZero.dialog->txtRit, QStringLiteral("UD"));
        clickOn(atZero.dialog->cmdOk);
        EXPECT_TRUE(atZero.main.metronome().FlamencoMode);
        EXPECT_FALSE(atZero.main.stepping());
    }
    PatternRig typed;
    typed.boxes().answerInputNext(QStringLiteral("90"));
    typed.main.click("Text2");
    typed.main.metronome().imstop_Click();
    retype(typed.dialog->txtRit, QStringLiteral("FUDA"));
    retype(typed.dialog->txtBB, QStringLiteral("2"));
    clickOn(typed.dialog->cmdOk);
    EXPECT_EQ(typed.main.flam().Label3(), QStringLiteral("90"));
    EXPECT_EQ(typed.main.flam().txtBB(), QStringLiteral("2"));
    EXPECT_TRUE(typed.main.flam().Timer1.isEnabled());
    EXPECT_TRUE(typed.main.metronome().running());
}

TEST(frmPatern, EnterInAFieldRunsOkOnceAndTheFieldNeverSeesIt)
{
    PatternRig rig;
    retype(rig.dialog->txtRit1->lineEdit(), QStringLiteral("name"));
    rig.boxes().clear();
    QTest::keyClick(rig.dialog->txtRit1->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(rig.boxes().shown().size(), 1u);
    EXPECT_EQ(
        rig.boxes().shown()[0].text, QStringLiteral("Check input for Pattern and Pattern Start."));
    EXPECT_EQ(rig.boxes().shown()[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(rig.dialog->isVisible());
    EXPECT_EQ(rig.fields(), QStringList({ "name", "", "1" }));
    EXPECT_EQ(rig.names(), QStringList());
    EXPECT_FALSE(rig.main.stepping());

    // No file yet: Save makes it.
    retype(rig.dialog->txtRit, QStringLiteral("ud"));
    clickOn(rig.dialog->Command2);
    EXPECT_EQ(rig.file(), QByteArray("name;UD|1\r\n"));
    EXPECT_EQ(rig.names(), QStringList({ "name" }));
}

TEST(frmPatern, AFailedWriteIsToldAndLeavesTheOldFileByteForByte)
{
    const QByteArray old("a;U|1\r\nb;D|1");
    PatternRig rig(old.constData());
    rig.main.fake.files().fail = FakeFileStore::Fail::BeforeRename;

    rig.edit("c", "ud", "1");
    BoxRequest box = rig.press(rig.dialog->Command2);
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_TRUE(box.text.contains(rig.path())) << box.text.toStdString();
    EXPECT_EQ(rig.file(), old);
    EXPECT_EQ(rig.names(), QStringList({ "a", "b" }));
    // The fields keep what was typed, to be saved again.
    EXPECT_EQ(rig.fields(), QStringList({ "c", "UD", "1" }));

    rig.boxes().clear();
    clickOn(rig.dialog->Command1);
    ASSERT_EQ(rig.boxes().shown().size(), 2u);
    EXPECT_EQ(rig.boxes().shown()[1].icon, MsgIcon::Critical);
    EXPECT_EQ(rig.file(), old);
    EXPECT_EQ(rig.names(), QStringList({ "a", "b" }));

    rig.main.fake.files().fail = FakeFileStore::Fail::Never;
    rig.edit("c", "ud", "1");
    rig.boxes().clear();
    clickOn(rig.dialog->Command2);
    EXPECT_TRUE(rig.boxes().shown().empty());
    EXPECT_EQ(rig.file(), QByteArray("a;U|1\r\nb;D|1\r\nc;UD|1\r\n"));
}

TEST(frmPatern, WhatWasChangedInTheFileByHandSinceItWasReadIsKept)
{
    PatternRig rig("a;U|1\r\n");
    rig.writeFile("z;A|1\r\na;U|1\r\nh;D|1\r\n");
    rig.edit("n", "ud", "1");
    clickOn(rig.dialog->Command2);
    EXPECT_EQ(rig.file(), QByteArray("z;A|1\r\na;U|1\r\nh;D|1\r\nn;UD|1\r\n"));
    EXPECT_EQ(rig.names(), QStringList({ "z", "a", "h", "n" }));

    // A name added by hand is in use; the typed fields stay.
    rig.writeFile("a;U|1\r\nn;UD|1\r\ndup;DDD|1\r\n");
    rig.edit("dup", "uuu", "1");
    BoxRequest box = rig.press(rig.dialog->Command2);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Pattern Name already in use.")))
        << box.text.toStdString();
    EXPECT_EQ(rig.fields(), QStringList({ "dup", "UUU", "1" }));

    // Remove takes the record shown, wherever the file now keeps it.
    rig.writeFile("n;UD|1\r\na;U|1\r\n");
    box = rig.press(rig.dialog->Command1);
    EXPECT_EQ(box.text, QStringLiteral("Remove n from the list?"));
    EXPECT_EQ(rig.file(), QByteArray("a;U|1\r\n"));
}
