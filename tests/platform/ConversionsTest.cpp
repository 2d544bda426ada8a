#include "platform/basic/Conversions.h"

#include <cmath>
#include <limits>

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(ConversionsTest, ValReadsTheLeadingNumber)
{
    const struct
    {
        const char* text;
        double expected;
    } cases[] = {
        { "", 0 },
        { "abc", 0 },
        { " 1 2 0", 120 },
        { "120 bpm", 120 },
        { "\t-5", -5 },
        { "+7", 7 },
        { "- 3", -3 },
        { "1e3", 1000 },
        { "1D2", 100 },
        { "2.5E-1", 0.25 },
        { "1e", 1 },
        { "1e+", 1 },
        { ".5", 0.5 },
        { "1.2.3", 1.2 },
        { "3,5", 3 },
        { "&HFF", 255 },
        { "&hff", 255 },
        { "&HFFFF", -1 },
        { "&H10000", 65536 },
        { "&HFFFFFFFF", -1 },
        { "&O17", 15 },
        { "&O", 0 },
        { "&", 0 },
        { "-", 0 },
        { ".", 0 },
        { "1e999", 0 },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.expected);
    }
}

TEST(ConversionsTest, NumberTextsIgnoreTheDesktopLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    const struct
    {
        double value;
        const char* str;
        const char* plain;
    } cases[] = {
        { 120, " 120", "120" },
        { 0, " 0", "0" },
        { -5, "-5", "-5" },
        { 0.5, " .5", "0.5" },
        { -0.25, "-.25", "-0.25" },
        { 472.5, " 472.5", "472.5" },
        { 1.0 / 3, " .333333333333333", "0.333333333333333" },
        { 123456789012345, " 123456789012345", "123456789012345" },
        { 1e15, " 1E+15", "1E+15" },
        { 0.0001, " .0001", "0.0001" },
        { 0.000001, " 1E-06", "1E-06" },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(Str(c.value), QString::fromLatin1(c.str));
        EXPECT_EQ(NumText(c.value), QString::fromLatin1(c.plain));
        EXPECT_DOUBLE_EQ(Val(NumText(c.value)), Val(Str(c.value)));
    }
    QLocale::setDefault(saved);
}

TEST(ConversionsTest, WholeNumbersRoundHalvesToEvenAndReportOverflow)
{
    const struct
    {
        double value;
        std::optional<std::int16_t> asInt;
        std::optional<std::int32_t> asLong;
    } cases[] = {
        { 2.5, 2, 2 },
        { 3.5, 4, 4 },
        { -2.5, -2, -2 },
        { -3.5, -4, -4 },
        { 0.5, 0, 0 },
        { 1.5, 2, 2 },
        { 2.4999, 2, 2 },
        { 32767, 32767, 32767 },
        { 32767.4, 32767, 32767 },
        { 32767.5, std::nullopt, 32768 },
        { -32768.5, -32768, -32768 },
        { -32769, std::nullopt, -32769 },
        { 2147483647.0, std::nullopt, 2147483647 },
        { 2147483647.5, std::nullopt, std::nullopt },
        { -2147483648.5, std::nullopt, -2147483647 - 1 },
        { -2147483649.0, std::nullopt, std::nullopt },
        { std::numeric_limits<double>::quiet_NaN(), std::nullopt, std::nullopt },
        { std::numeric_limits<double>::infinity(), std::nullopt, std::nullopt },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(CInt(c.value), c.asInt);
        EXPECT_EQ(CLng(c.value), c.asLong);
    }
}

TEST(ConversionsTest, TextConversionsNeedAWholeNumber)
{
    const struct
    {
        const char* text;
        bool numeric;
        std::optional<std::int16_t> asInt;
    } cases[] = {
        { "99", true, 99 },
        { " 120 ", true, 120 },
        { "-5", true, -5 },
        { "2.5", true, 2 },
        { "1e3", true, 1000 },
        { "&HFF", true, 255 },
        { "70000", true, std::nullopt },
        { "abc", false, std::nullopt },
        { "", false, std::nullopt },
        { " ", false, std::nullopt },
        { "1 2", false, std::nullopt },
        { "12abc", false, std::nullopt },
        { ".", false, std::nullopt },
        { "1e", false, std::nullopt },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(IsNumeric(text), c.numeric);
        EXPECT_EQ(CInt(text), c.asInt);
    }
    EXPECT_EQ(CLng(QStringLiteral("70000")), 70000);
}

TEST(ConversionsTest, TimeTextShowsHoursFromOneHourOn)
{
    const struct
    {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        { 0, "00:00" },
        { 5, "00:05" },
        { 59, "00:59" },
        { 60, "01:00" },
        { 600, "10:00" },
        { 3599, "59:59" },
        { 3600, "1:00:00" },
        { 36000, "10:00:00" },
        { 3661, "1:01:01" },
        { -1, "00:00" },
        { -3600, "00:00" },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(TimeText(c.seconds), QString::fromLatin1(c.text));
    }
}

} // namespace
