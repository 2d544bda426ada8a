#include "app/ClickRate.h"

#include <gtest/gtest.h>

TEST(ClickRateTest, RateTextGivesTheExactStepOffsetsOrNone)
{
    struct Case
    {
        const char* rate;
        std::int64_t step;
        std::int64_t offset; // -1: the rate cannot be timed
    };

    const Case cases[] = {
        { " 120", 1, 22050 },
        { " 120", 1000000, 22050000000 },
        { "252", 1, 10500 },
        { "504", 3, 15750 },
        { "133.3", 1, 19849 }, // 19849.96: floored, not rounded
        { "133.3", 1333, 26460000 },
        { "133.3", 1000001, 19849982340 }, // no drift from a rounded interval
        { "266.6", 2, 19849 },
        { "1", 1, 2646000 },
        { "2000", 1, 1323 },
        { "8000", 1, 330 }, // 330.75: the fastest typed tempo in sixteenths
        { "8000", 3, 992 },
        { "8000", 4, 1323 },
        { "1e2", 1, 26460 },
        { "&H78", 1, 22050 },
        { " 1 2 0", 1, 22050 },
        { "120 bpm", 1, 22050 },
        { "1.23456789012345", 1, 2143260 }, // 15 significant digits
        { "1.23456789012345", 1000000, 2143260019289 },
        { "0", 1, -1 },
        { "", 1, -1 },
        { "abc", 1, -1 },
        { "0.99", 1, -1 },
        { "-120", 1, -1 },
        { "8000.01", 1, -1 },
        { "1E+300", 1, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.rate << "\" step " << c.step);
        const auto interval = ExactInterval::forRateText(QString::fromLatin1(c.rate));
        if (c.offset < 0) {
            EXPECT_FALSE(interval.has_value());
            continue;
        }
        ASSERT_TRUE(interval.has_value());
        EXPECT_EQ(interval->offsetOfStep(c.step), c.offset);
    }
}
