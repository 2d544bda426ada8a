#include "platform/basic/FakeMessageBoxService.h"

#include <functional>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxServiceTest, ScriptedAnswersComeInOrderThenTheFirstButton)
{
    FakeMessageBoxService boxes;
    boxes.answerNext(MsgResult::Cancel);
    boxes.answerInputNext(QStringLiteral("90"));

    EXPECT_EQ(boxes.msgBox(QStringLiteral("Go on?"), MsgButtons::OKCancel, MsgIcon::Question),
        MsgResult::Cancel);
    EXPECT_EQ(boxes.msgBox(QStringLiteral("Again?"), MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(
        boxes.inputBox(QStringLiteral("Tempo"), QStringLiteral("Custom"), QStringLiteral("1")),
        QStringLiteral("90"));
    EXPECT_EQ(boxes.inputBox(QStringLiteral("Tempo")), QString());

    const auto& shown = boxes.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, kAppTitle);
    EXPECT_EQ(shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(shown[2].kind, BoxRequest::Kind::Input);
    EXPECT_EQ(shown[2].title, QStringLiteral("Custom"));
    EXPECT_EQ(shown[2].defaultText, QStringLiteral("1"));
    EXPECT_EQ(shown[3].title, kAppTitle);
}

// A box belongs to the window that is active as it opens. That window destroyed while the box is
// up (by an unload queued just before the box came) takes the box with it: the call returns as
// for a box closed unanswered, and the box is not freed a second time.
TEST(MessageBoxServiceTest, AWindowDestroyedUnderItsOpenBoxEndsTheBoxUnanswered)
{
    QtMessageBoxService boxes;

    struct Case
    {
        const char* what;
        std::function<QString()> ask;
        QString unanswered;
    };

    const auto answer = [](MsgResult result) {
        return QString::number(static_cast<int>(result));
    };
    const Case cases[] = {
        { "message with OK",
            [&] {
                return answer(boxes.msgBox(QStringLiteral("Go on."), MsgButtons::OK));
            },
            answer(MsgResult::OK) },
        { "question",
            [&] {
                return answer(boxes.msgBox(QStringLiteral("Save?"), MsgButtons::YesNoCancel));
            },
            answer(MsgResult::Cancel) },
        { "input",
            [&] {
                return boxes.inputBox(QStringLiteral("Base"), {}, QStringLiteral("60"));
            },
            QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QPointer<QWidget> window = new QWidget;
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&window] {
            return QApplication::activeWindow() == window;
        }));
        bool ownedByTheWindow = false;
        QTimer unload;
        unload.setInterval(10);
        unload.callOnTimeout([&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            ownedByTheWindow = box->parentWidget() == window;
            delete window.data();
        });
        unload.start();
        EXPECT_EQ(c.ask(), c.unanswered);
        EXPECT_TRUE(ownedByTheWindow);
        EXPECT_TRUE(window.isNull());
        delete window.data();
    }
}

} // namespace
