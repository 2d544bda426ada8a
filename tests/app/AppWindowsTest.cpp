#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/shell/HtmlHelp.h"

#include <QDir>
#include <QFile>
#include <QTextBrowser>

#include <gtest/gtest.h>

TEST(AppWindows, HelpLeavesTheBeatGoingAndShowsOurFileInOneWindow)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    FakePlatform& fake = rig.fake;
    rig.dragDialTo(40);
    ASSERT_TRUE(rig.stepping());
    FlamMenus& menus = frmFlam::instance().menus();

    // No help file: nothing shown, nothing said, the beat going on.
    menus.entry(u"mnuhelp")->action()->trigger();
    EXPECT_EQ(fake.platform.help->window(), nullptr);
    EXPECT_TRUE(fake.boxes().shown().empty());
    EXPECT_TRUE(rig.stepping());

    ASSERT_TRUE(QFile::copy(QStringLiteral(KADENTOR_HELP_FILE),
        QDir(fake.platform.programFolder).filePath(QStringLiteral("metro.html"))));
    menus.entry(u"mnuhelp")->action()->trigger();
    QTextBrowser* help = fake.platform.help->window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("The tone generator")));
    help->close();
    menus.entry(u"mnuhelp")->action()->trigger();
    EXPECT_EQ(fake.platform.help->window(), help);
    EXPECT_TRUE(help->isVisible());
}
