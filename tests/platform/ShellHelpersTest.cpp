#include "platform/shell/ShellHelpers.h"

#include "FileBytes.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/shell/HtmlHelp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

int helpWindows()
{
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        count += qobject_cast<QTextBrowser*>(window) != nullptr;
    return count;
}

// A help file long enough to scroll, with anchors "ctx1" at the top and "ctx9" far down.
QString writeHelp(const QTemporaryDir& dir)
{
    QString html = QStringLiteral("<html><body><h1><a name=\"ctx1\"></a>Top</h1>");
    for (int i = 0; i < 200; ++i)
        html += QStringLiteral("<p>Line %1</p>").arg(i);
    html += QStringLiteral("<h2><a name=\"ctx9\"></a>Far down</h2><p><a "
                           "href=\"https://example.invalid/\">out</a></p></body></html>");
    const QString path = dir.filePath(QStringLiteral("metro.html"));
    EXPECT_TRUE(writeFileBytes(path, html.toUtf8()));
    return path;
}

} // namespace

TEST(ShellHelpers, CheckFileExistsTakesThePathLiterally)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFileBytes(dir.filePath(QStringLiteral("a.mp3")), "x"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(QStringLiteral(".hidden")), "x"));
    ASSERT_TRUE(writeFileBytes(dir.filePath(QStringLiteral("*")), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("a.mp3")), dir.filePath(QStringLiteral("link"))));
    ASSERT_TRUE(QFile::link(
        dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling"))));

    const std::pair<QString, bool> cases[] = {
        { dir.filePath(QStringLiteral("a.mp3")), true },
        { dir.filePath(QStringLiteral(".hidden")), true },
        // "*" is a name here, not a pattern: it matches only the file called "*".
        { dir.filePath(QStringLiteral("*")), true },
        { dir.filePath(QStringLiteral("*.mp3")), false },
        { dir.filePath(QStringLiteral("a.mp?")), false },
        { dir.filePath(QStringLiteral("link")), true },
        { dir.filePath(QStringLiteral("dangling")), false },
        { dir.filePath(QStringLiteral("folder")), false },
        { dir.filePath(QStringLiteral("a.mp3/")), false },
        { dir.filePath(QStringLiteral("missing.mp3")), false },
        { QString(), false },
        { QStringLiteral("\n"), false },
    };
    for (const auto& [path, exists] : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(CheckFileExists(path), exists);
    }
}

TEST(ShellHelpers, SetAlwaysOnTopKeepsTheWindowWhereAndAsLargeAsItWas)
{
    FakeMessageBoxService boxes;
    QWidget window;
    window.setGeometry(120, 140, 320, 210);
    window.show();
    const QRect before = window.geometry();
    SetAlwaysOnTop(&window, boxes);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);
    EXPECT_TRUE(boxes.shown().empty());

    // What cannot be kept on top is reported, and the caller goes on.
    QWidget child(&window);
    SetAlwaysOnTop(&child, boxes);
    SetAlwaysOnTop(nullptr, boxes);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(boxes.shown()[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(child.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(HtmlHelp, OneWindowOpensAtTheTopOrAtItsContextAnchorAndFollowsNoLinkOut)
{
    QTemporaryDir dir;
    HtmlHelp help;
    const int windowsBefore = helpWindows();
    EXPECT_FALSE(help.ShowHtmlHelp(dir.filePath(QStringLiteral("metro.html")), nullptr, 0));
    EXPECT_EQ(help.window(), nullptr);
    EXPECT_EQ(helpWindows(), windowsBefore);

    const QString file = writeHelp(dir);

    struct Step
    {
        std::int32_t context;
        bool scrolled; // far down the file
    };

    // Back to the top when asked again with 0, in the same window.
    for (const Step& step : { Step { 0, false }, Step { 9, true }, Step { 0, false },
             Step { 1, false }, Step { 9, true } }) {
        SCOPED_TRACE(step.context);
        ASSERT_TRUE(help.ShowHtmlHelp(file, nullptr, step.context));
        ASSERT_NE(help.window(), nullptr);
        EXPECT_TRUE(help.window()->isVisible());
        EXPECT_EQ(help.window()->verticalScrollBar()->value() > 100, step.scrolled);
        EXPECT_EQ(helpWindows(), windowsBefore + 1);
    }

    QTextBrowser& browser = *help.window();
    const QUrl shown = browser.source();
    emit browser.anchorClicked(QUrl(QStringLiteral("https://example.invalid/")));
    emit browser.anchorClicked(QUrl::fromLocalFile(dir.filePath(QStringLiteral("other.html"))));
    EXPECT_EQ(browser.source(), shown);
    EXPECT_GT(browser.verticalScrollBar()->value(), 100);
    emit browser.anchorClicked(QUrl(QStringLiteral("#ctx1")));
    EXPECT_LT(browser.verticalScrollBar()->value(), 100);
}
