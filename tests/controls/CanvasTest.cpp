#include "controls/Canvas.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr OleColor kWhite = 0xFFFFFF;
constexpr OleColor kRed = 0x0000FF;
constexpr OleColor kBlue = 0xFF0000;

struct Fixture
{
    Canvas canvas;

    Fixture()
    {
        canvas.setBackColor(0);
        canvas.resizeImage(20, 20);
        canvas.clear();
    }

    int count(OleColor color) const
    {
        int n = 0;
        for (int y = 0; y < canvas.scaleHeight(); ++y)
            for (int x = 0; x < canvas.scaleWidth(); ++x)
                n += canvas.pixel(x, y) == color ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(Canvas, OnePixelLinesLeaveTheirEndPointOut)
{
    struct Case
    {
        int x1, y1, x2, y2;
        int pixels;
    };

    const Case cases[] = {
        { 2, 5, 10, 5, 8 }, // horizontal
        { 10, 5, 2, 5, 8 }, // drawn backwards
        { 3, 1, 3, 9, 8 }, // vertical
        { 1, 1, 6, 6, 5 }, // diagonal
        { 4, 4, 4, 4, 0 }, // a point: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
        Fixture f;
        f.canvas.line(c.x1, c.y1, c.x2, c.y2, kWhite);
        EXPECT_EQ(f.count(kWhite), c.pixels);
        if (c.pixels > 0) {
            EXPECT_EQ(f.canvas.pixel(c.x1, c.y1), kWhite);
            EXPECT_EQ(f.canvas.pixel(c.x2, c.y2), 0u);
        }
        EXPECT_EQ(f.canvas.currentX(), c.x2);
        EXPECT_EQ(f.canvas.currentY(), c.y2);
    }
}

TEST(Canvas, BoxesCoverBothCornersAndFillByFillStyle)
{
    Fixture f;
    f.canvas.box(8, 7, 3, 2, kWhite, Canvas::BoxFill::Filled);
    EXPECT_EQ(f.count(kWhite), 6 * 6);
    EXPECT_EQ(f.canvas.pixel(3, 2), kWhite);
    EXPECT_EQ(f.canvas.pixel(8, 7), kWhite);

    Fixture outlined;
    outlined.canvas.box(2, 2, 6, 6, kWhite, Canvas::BoxFill::Outline);
    EXPECT_EQ(outlined.count(kWhite), 16);
    EXPECT_EQ(outlined.canvas.pixel(4, 4), 0u);

    outlined.canvas.setFillStyle(Canvas::FillStyle::Solid);
    outlined.canvas.setFillColor(kBlue);
    outlined.canvas.box(2, 2, 6, 6, kWhite, Canvas::BoxFill::Outline);
    EXPECT_EQ(outlined.canvas.pixel(4, 4), kBlue);
    EXPECT_EQ(outlined.count(kBlue), 9);
}

TEST(Canvas, SystemColoursAreTranslatedOnlyWhenDrawn)
{
    Fixture f;
    f.canvas.setPixel(1, 1, SystemColor::kButtonFace);
    f.canvas.setPixel(2, 1, SystemColor::kButtonShadow);
    f.canvas.setPixel(3, 1, 0x800000FFu); // no such system colour
    EXPECT_EQ(f.canvas.pixel(1, 1), rgbColor(212, 208, 200));
    EXPECT_EQ(f.canvas.pixel(2, 1), rgbColor(128, 128, 128));
    EXPECT_EQ(f.canvas.pixel(3, 1), 0u);
    EXPECT_FALSE(translateColor(0x01000005u).ok) << "only the high byte &H80 marks one";
}

TEST(Canvas, FilledCircleKeepsItsOutlineInsideTheRadiusPlusPen)
{
    Fixture f;
    f.canvas.setFillStyle(Canvas::FillStyle::Solid);
    f.canvas.setFillColor(kRed);
    f.canvas.circle(10, 10, 5, kWhite);
    EXPECT_EQ(f.canvas.pixel(10, 10), kRed);
    EXPECT_EQ(f.canvas.pixel(10, 5), kWhite);
    EXPECT_EQ(f.canvas.pixel(15, 10), kWhite);
    EXPECT_EQ(f.canvas.pixel(17, 10), 0u);
    EXPECT_EQ(f.canvas.pixel(13, 13), kRed);
    EXPECT_EQ(f.canvas.pixel(15, 15), 0u);
}

TEST(Canvas, OutsidePixelsAreNotThereAndAbsurdCoordinatesDoNotCrash)
{
    Fixture f;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    f.canvas.setPixel(-1, 3, kWhite);
    f.canvas.setPixel(20, 3, kWhite);
    f.canvas.setPixel(std::numeric_limits<double>::infinity(), 2, kWhite);
    EXPECT_EQ(f.count(kWhite), 0);
    EXPECT_EQ(f.canvas.pixel(20, 0), std::nullopt);
    EXPECT_EQ(f.canvas.pixel(0, -1), std::nullopt);
    EXPECT_EQ(f.canvas.pixel(nan, nan), std::nullopt);
    // Fractions round halves to even: 2.5 is pixel 2, 3.5 is pixel 4.
    f.canvas.setPixel(2.5, 3.5, kWhite);
    EXPECT_EQ(f.canvas.pixel(2, 4), kWhite);

    // Held far away, so that rounding and the line arithmetic stay in range.
    f.canvas.line(nan, 0, 1e300, -1e300, kWhite);
    f.canvas.box(-1e300, nan, 1e300, 3, kRed, Canvas::BoxFill::Filled);
    f.canvas.circle(nan, 5, 1e300, kWhite);
    Canvas empty;
    empty.line(0, 0, 10, 10, kWhite);
    empty.print(QStringLiteral("x"));
    EXPECT_EQ(empty.pixel(0, 0), std::nullopt);
}

TEST(Canvas, PrintPutsTheTextBelowTheCurrentPointAndMovesToTheNextLine)
{
    Canvas canvas;
    canvas.setBackColor(0);
    canvas.resizeImage(80, 40);
    canvas.clear();
    canvas.setForeColor(kWhite);
    canvas.setCurrentPoint(10, 12);
    const double height = canvas.textHeight(QStringLiteral("W"));
    EXPECT_GT(canvas.textWidth(QStringLiteral("WW")), canvas.textWidth(QStringLiteral("W")));
    canvas.print(QStringLiteral("W"));
    EXPECT_EQ(canvas.currentX(), 0);
    EXPECT_DOUBLE_EQ(canvas.currentY(), 12 + height);
    int lit = 0;
    int top = 100;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            if (canvas.pixel(x, y) != 0u) {
                ++lit;
                top = std::min(top, y);
                EXPECT_GE(x, 10);
            }
    EXPECT_GT(lit, 5);
    EXPECT_GE(top, 12);
}

TEST(Canvas, ResizingKeepsWhatFitsAndFillsTheRestWithBackColor)
{
    Fixture f;
    f.canvas.setPixel(3, 3, kWhite);
    f.canvas.setBackColor(kBlue);
    f.canvas.resizeImage(30, 10);
    EXPECT_EQ(f.canvas.pixel(3, 3), kWhite);
    EXPECT_EQ(f.canvas.pixel(25, 5), kBlue);
    EXPECT_EQ(f.canvas.pixel(5, 5), 0u);
}
