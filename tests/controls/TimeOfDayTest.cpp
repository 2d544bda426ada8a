#include "controls/TimeOfDay.h"

#include <limits>

#include <gtest/gtest.h>

TEST(TimeOfDay, KeepsOnlyTheTimePartInWholeSeconds)
{
    struct Case
    {
        const char* what;
        double dateTime;
        std::optional<std::int32_t> seconds;
    };

    const double tenTwentyThirty = (10 * 3600 + 20 * 60 + 30) / 86400.0;
    const Case cases[] = {
        { "midnight", 0, 0 },
        { "2 Jan 2000 10:20:30", 36527 + tenTwentyThirty, 10 * 3600 + 20 * 60 + 30 },
        { "negative days keep a positive time", -1 - 0.25, 6 * 3600 },
        { "rounds to the second", 0.5 + 0.4 / 86400, 12 * 3600 },
        { "23:59:59.6 is midnight", 1 - 0.4 / 86400, 0 },
        { "not a number", std::numeric_limits<double>::quiet_NaN(), std::nullopt },
        { "infinite", std::numeric_limits<double>::infinity(), std::nullopt },
        { "past year 9999", 3e6, std::nullopt },
        { "before year 100", -7e5, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(timeOfDaySeconds(c.dateTime), c.seconds);
    }
}

TEST(TimeOfDay, FormatPictures)
{
    struct Case
    {
        const char* picture;
        std::int32_t seconds;
        const char* text;
    };

    const std::int32_t t1505 = 15 * 3600 + 5 * 60 + 9;
    const Case cases[] = {
        { "h:nn am/pm", t1505, "3:05 pm" },
        { "h:nn", t1505, "15:05" },
        { "hh:nn:ss", 3 * 3600 + 7, "03:00:07" },
        { "h:nn AM/PM", 0, "12:00 AM" },
        { "h:nn A/P", 12 * 3600, "12:00 P" },
        { "h:mm", t1505, "15:05" }, // m after an hour is a minute
        { "m:ss", t1505, "5:09" }, // m before seconds is a minute
        { "\"at\" h\\h", t1505, "at 15h" },
        { "", t1505, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(
            formatTime(c.seconds, QString::fromLatin1(c.picture)), QString::fromLatin1(c.text));
    }
}
