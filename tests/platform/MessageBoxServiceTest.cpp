#include "platform/basic/FakeMessageBoxService.h"

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

} // namespace
