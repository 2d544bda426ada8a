#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/shell/HtmlHelp.h"
#include "recorder/frmRec.h"

#include <deque>
#include <functional>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs `action` inside the application's event loop, as the program runs its handlers; true when
// the program quit in it, false when the loop still ran after it.
bool quitsOn(const std::function<void()>& action)
{
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    QObject::connect(&stillRunning, &QTimer::timeout, [] {
        QCoreApplication::exit(1);
    });
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, [&] {
        action();
        stillRunning.start(50);
    });
    start.start(0);
    return QApplication::exec() == 0;
}

} // namespace

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

// Ending the program with a take not saved asks the recorder's question once, before anything is
// unloaded. A save that is cancelled or fails keeps the program whole, as if the end had not been
// asked: the main window shown with its beat going, the recorder with its take, the event loop
// running. A No lets the take go and ends the program.
TEST(AppWindows, QuittingWithAnUnsavedTakeAsksOnceAndAHeldBackSaveKeepsTheProgramWhole)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    FakePlatform& fake = rig.fake;
    FlamMenus& menus = frmFlam::instance().menus();
    menus.entry(u"mnurec")->action()->trigger();
    ASSERT_TRUE(frmRec::isLoaded());
    frmRec& recorder = frmRec::instance();
    const QString path = fake.dir.path() + "/take.wav";
    std::deque<QString> paths = { QString(), path }; // the dialog cancelled, then a path
    recorder.askSavePath = [&](QWidget*) {
        const QString chosen = paths.empty() ? QString() : paths.front();
        if (!paths.empty())
            paths.pop_front();
        return chosen;
    };
    auto& wave = static_cast<FakeWaveAudio&>(fake.platform.mci->backend());
    QTest::mouseClick(recorder.cmdRecord, Qt::LeftButton);
    wave.advance(500);
    QTest::mouseClick(recorder.cmdStop, Qt::LeftButton);
    rig.dragDialTo(40);
    ASSERT_TRUE(rig.stepping());

    const auto exitChosen = [&] {
        menus.entry(u"mnuexit")->action()->trigger();
    };
    const auto boxTexts = [&] {
        QStringList texts;
        for (const BoxRequest& box : fake.boxes().shown())
            texts.append(box.text);
        return texts;
    };
    const QString question = QStringLiteral("Save current recording?");
    fake.files().fail = FakeFileStore::Fail::BeforeRename;
    for (const QStringList& expected :
        { QStringList { question }, QStringList { question, "Unable to save " + path } }) {
        SCOPED_TRACE(expected.size() == 1 ? "save cancelled" : "save failed");
        fake.boxes().clear();
        fake.boxes().answerNext(MsgResult::Yes);
        EXPECT_FALSE(quitsOn(exitChosen));
        EXPECT_EQ(boxTexts(), expected);
        EXPECT_TRUE(rig.window().isVisible());
        EXPECT_TRUE(rig.stepping());
        ASSERT_TRUE(frmRec::isLoaded());
        EXPECT_TRUE(recorder.isVisible());
        EXPECT_EQ(recorder.lblrec, "REC");
        EXPECT_EQ(wave.recordedBytes(), 500 * 88200 / 1000);
    }

    fake.files().fail = FakeFileStore::Fail::Never; // the unload stores the format
    fake.boxes().clear();
    fake.boxes().answerNext(MsgResult::No);
    EXPECT_TRUE(quitsOn(exitChosen));
    EXPECT_EQ(boxTexts(), QStringList { question });
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frmRec::isLoaded());
}
