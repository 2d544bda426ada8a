#include "controls/SliderGeometry.h"

#include <gtest/gtest.h>

namespace {

SliderGeometry pictures(int trackW, int trackH, int pointerW, int pointerH)
{
    SliderGeometry g;
    g.sliderWidth = trackW;
    g.sliderHeight = trackH;
    g.pointerWidth = pointerW;
    g.pointerHeight = pointerH;
    return g;
}

} // namespace

TEST(SliderGeometry, LayoutCentresAcrossAndLeavesHalfAPointerAtTheEnds)
{
    struct Case
    {
        const char* what;
        SliderGeometry pictures;
        int orientation;
        int sliderLeft, sliderTop, pointerCross, surfaceWidth, surfaceHeight;
    };

    // pointerCross is pointerTop for horizontal orientations, pointerLeft for vertical ones.
    const Case cases[] = {
        { "shipped pictures", pictures(100, 4, 6, 15), 0, 3, 6, 0, 106, 15 },
        { "(15 - 4) / 2 = 5.5 gives 6", pictures(100, 4, 5, 15), 0, 2, 6, 0, 105, 15 },
        { "5 / 2 = 2.5 gives 2", pictures(100, 4, 5, 14), 0, 2, 5, 0, 105, 14 },
        { "track higher than the pointer", pictures(100, 20, 6, 15), 0, 3, 0, 2, 106, 20 },
        { "vertical", pictures(4, 100, 15, 6), 2, 6, 3, 0, 15, 106 },
        { "vertical, track wider", pictures(20, 100, 15, 6), 3, 0, 3, 2, 20, 106 },
        { "an unknown orientation is vertical", pictures(4, 100, 15, 6), 7, 6, 3, 0, 15, 106 },
        { "no pointer", pictures(100, 4, 0, 0), 0, 0, 0, 2, 100, 4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SliderGeometry g = c.pictures;
        g.pointerLeft = 41; // the offset along the track of a horizontal slider
        g.pointerTop = 42;
        g.layout(c.orientation);
        EXPECT_EQ(g.sliderLeft, c.sliderLeft);
        EXPECT_EQ(g.sliderTop, c.sliderTop);
        EXPECT_EQ(g.surfaceWidth, c.surfaceWidth);
        EXPECT_EQ(g.surfaceHeight, c.surfaceHeight);
        if (SliderGeometry::isHorizontal(c.orientation)) {
            EXPECT_EQ(g.pointerTop, c.pointerCross);
            EXPECT_EQ(g.pointerLeft, 41) << "the offset along the track stays";
        } else {
            EXPECT_EQ(g.pointerLeft, c.pointerCross);
            EXPECT_EQ(g.pointerTop, 42) << "the offset along the track stays";
        }
    }
}

TEST(SliderGeometry, ValuesToPixelsByOrientation)
{
    struct Case
    {
        const char* what;
        int value, orientation, min, max, pixel;
    };

    const Case cases[] = {
        { "Min at the left", 3, 0, 0, 10, 30 },
        { "Max at the left", 3, 1, 0, 10, 70 },
        { "Min at the top", 3, 2, 0, 10, 15 },
        { "Max at the top", 3, 3, 0, 10, 35 },
        { "halves to even: 1/8 of 100 is 12.5", 1, 0, 0, 8, 12 },
        { "halves to even: 3/8 of 100 is 37.5", 3, 0, 0, 8, 38 },
        { "negative bounds", -50, 0, -100, 100, 25 },
        { "other orientations give 0", 3, 4, 0, 10, 0 },
        { "the whole 32-bit range does not overflow", 0, 0, INT32_MIN, INT32_MAX, 50 },
        { "nor does Max at the left", INT32_MIN, 1, INT32_MIN, INT32_MAX, 100 },
        { "an empty range (only a load can make one) gives 0", 5, 0, 5, 5, 0 },
        { "far beyond the range stays in 32 bits", INT32_MAX, 0, 0, 1, INT32_MAX },
    };
    SliderGeometry g = pictures(100, 50, 6, 15);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(g.valueToPixel(c.value, c.orientation, c.min, c.max), c.pixel);
    }
}

TEST(SliderGeometry, PixelsToValuesSubtractMultiplyDivideAdd)
{
    struct Case
    {
        const char* what;
        double coordinate;
        int orientation, min, max, value;
    };

    // Track 100 long starting at 3 across and 5 down.
    const Case cases[] = {
        { "18 gives 1.5, rounds to 2", 18, 0, 0, 10, 2 },
        { "28 gives 2.5, rounds to 2", 28, 0, 0, 10, 2 },
        { "the track's start is Min", 3, 0, 0, 100, 0 },
        { "its end is Max", 103, 0, 0, 100, 100 },
        { "Max at the left", 33, 1, 0, 100, 70 },
        { "vertical uses the track's top", 25, 2, 0, 100, 20 },
        { "Max at the top", 25, 3, 0, 100, 80 },
        { "other orientations give 0", 50, 5, 20, 30, 0 },
        { "the whole 32-bit range", 53, 0, INT32_MIN, INT32_MAX, 0 },
    };
    SliderGeometry g = pictures(100, 100, 6, 6);
    g.sliderLeft = 3;
    g.sliderTop = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(g.pixelToValue(c.coordinate, c.orientation, c.min, c.max), c.value);
    }
}

TEST(SliderGeometry, ATrackOfNoLengthHasNoValue)
{
    SliderGeometry g = pictures(0, 0, 6, 15);
    g.layout(0);
    EXPECT_EQ(g.pixelToValue(3, 0, 0, 100), std::nullopt);
    EXPECT_EQ(g.valueToPixel(50, 0, 0, 100), 0);
}
