#include "app/frmpoly.h"

#include "DialogKeys.h"
#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The main window at dial 120, stopped as the dialog's opener leaves it, and the dialog shown.
struct GroupedRig
{
    GroupedRig()
    {
        EXPECT_TRUE(main.start());
        main.dragDialTo(40);
        main.metronome().imstop_Click();
        dialog = std::make_unique<frmpoly>(main.fake.platform, main.metronome());
        dialog->show();
    }

    void type(const std::vector<const char*>& fields)
    {
        for (std::size_t i = 0; i < fields.size(); ++i)
            retype(dialog->txtpoly[i], QString::fromLatin1(fields[i]));
    }

    // The dialog shown modally, with `during` run inside its event loop.
    void showModal(const std::function<void()>& during)
    {
        QTimer::singleShot(0, dialog.get(), during);
        dialog->showModal();
    }

    MainWindowRig main;
    std::unique_ptr<frmpoly> dialog;
};

} // namespace

TEST(frmpoly, OkBuildsTheBarFromTheValidGroupsAndPlaysItOnTheMetronomePlayer)
{
    struct Case
    {
        std::vector<const char*> fields;
        QString pattern;
        const char* label;
    };

    const Case cases[] = {
        { { "3", "2", "2" }, "UDDUDUD", "3+2+2" },
        { { "3", "", "2" }, "UDDUD", "3+2" },
        { { "0", "-2", "abc" }, "", "" },
        { { "2.7" }, "UD", "2.7" },
        { { "1" }, "U", "1" },
        { { "", "", "", "", "", "64" }, "U" + QString(63, u'D'), "64" },
        { { ".5", "2" }, "UUD", ".5+2" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GroupedRig rig;
        Metronome& m = rig.main.metronome();
        // After a custom pattern: the bar still goes to the metronome player, from its start.
        m.FlamencoMode = true;
        m.PatternStart = QStringLiteral("5");
        rig.type(c.fields);
        clickOn(rig.dialog->cmdOk);
        EXPECT_EQ(m.BeatPattern, c.pattern);
        EXPECT_EQ(m.lblTempo(), QString::fromLatin1(c.label));
        EXPECT_EQ(m.lblcd(), QString());
        EXPECT_FALSE(m.FlamencoMode);
        EXPECT_TRUE(m.running());
        EXPECT_TRUE(rig.main.flam().Timer2.isEnabled());
        EXPECT_FALSE(rig.main.flam().Timer1.isEnabled());
        EXPECT_TRUE(rig.dialog->unloaded());
        EXPECT_FALSE(rig.dialog->isVisible());
    }
}

TEST(frmpoly, AGroupAbove64IsRefusedAndNothingChanges)
{
    for (const char* group : { "65", "1e9", "64.5" }) {
        SCOPED_TRACE(group);
        GroupedRig rig;
        Metronome& m = rig.main.metronome();
        rig.type({ "3", group });
        clickOn(rig.dialog->cmdOk);
        ASSERT_EQ(rig.main.fake.boxes().shown().size(), 1u);
        const BoxRequest& box = rig.main.fake.boxes().shown()[0];
        EXPECT_EQ(box.icon, MsgIcon::Critical);
        EXPECT_TRUE(box.text.contains(QStringLiteral("1 to 64"))) << box.text.toStdString();
        EXPECT_EQ(m.BeatPattern, QStringLiteral("UDDD"));
        EXPECT_FALSE(m.running());
        EXPECT_FALSE(rig.dialog->unloaded());
        EXPECT_TRUE(rig.dialog->isVisible());
    }
}

TEST(frmpoly, EnterInAFieldRunsOkOnceWithAllSixFields)
{
    GroupedRig rig;
    rig.type({ "2", "2", "2", "3", "", "1" });
    QTest::keyClick(rig.dialog->txtpoly[3], Qt::Key_Return);
    EXPECT_EQ(rig.main.metronome().BeatPattern, QStringLiteral("UDUDUDUDDU"));
    EXPECT_EQ(rig.main.metronome().lblTempo(), QStringLiteral("2+2+2+3+1"));
    EXPECT_EQ(rig.dialog->txtpoly[3]->text(), QStringLiteral("3"));
    EXPECT_TRUE(rig.dialog->unloaded());

    // Nothing valid: the empty bar, and the metronome started on it, steps silently.
    GroupedRig empty;
    QTest::keyClick(empty.dialog->txtpoly[0], Qt::Key_Enter);
    EXPECT_EQ(empty.main.metronome().BeatPattern, QString());
    EXPECT_TRUE(empty.main.flam().Timer2.isEnabled());
}

TEST(frmpoly, CancelPutsBackThePatternThisShowingFoundAndKeepsTheFields)
{
    GroupedRig rig;
    Metronome& m = rig.main.metronome();
    rig.showModal([&] {
        rig.type({ "3" });
        m.BeatPattern = QStringLiteral("changed while open");
        clickOn(rig.dialog->cmdCancel);
    });
    EXPECT_EQ(m.BeatPattern, QStringLiteral("UDDD"));

    // A beat count chosen between two showings is what the second Cancel keeps.
    m.Bitovi(2);
    rig.showModal([&] {
        EXPECT_EQ(rig.dialog->txtpoly[0]->text(), QStringLiteral("3"));
        QTest::keyClick(rig.dialog->txtpoly[0], Qt::Key_Escape);
    });
    EXPECT_EQ(m.BeatPattern, QStringLiteral("UDD"));
    EXPECT_FALSE(rig.dialog->unloaded());
    EXPECT_FALSE(m.running());
}
