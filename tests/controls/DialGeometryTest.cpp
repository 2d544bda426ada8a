#include "controls/DialGeometry.h"

#include <gtest/gtest.h>

TEST(DialGeometry, CentreAndRadiusForFacesWithAndWithoutTitle)
{
    struct Case
    {
        int width, height;
        bool title;
        int titleHeight;
        int centreX, centreY, radius;
    };

    const Case cases[] = {
        { 203, 183, false, 23, 102, 92, 66 }, // the tempo dial's stored size
        { 123, 144, false, 23, 62, 72, 45 }, // as it sits on the main window: width-bound
        { 200, 223, true, 23, 100, 123, 72 }, // title strip above a square face
        { 300, 100, true, 23, 150, 62, 28 }, // wide: the face below the title sets the radius
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " title " << c.title);
        const DialGeometry g = dialGeometry(c.width, c.height, c.title, c.titleHeight);
        EXPECT_EQ(g.centreX, c.centreX);
        EXPECT_EQ(g.centreY, c.centreY);
        EXPECT_EQ(g.faceRadius, c.radius);
    }
}

TEST(DialGeometry, LabelsSitTwelvePixelsOutsideTheMarkersAndReadAsTempi)
{
    const DialGeometry g = dialGeometry(203, 183, false, 0);
    const LabelBox at3 = labelBox(g, 0);
    EXPECT_EQ((std::array { at3.left, at3.top, at3.right, at3.bottom }),
        (std::array { 177, 92, 180, 92 }));
    const LabelBox at12 = labelBox(g, 90);
    EXPECT_EQ((std::array { at12.left, at12.top, at12.right, at12.bottom }),
        (std::array { 99, 14, 102, 14 }));
    const std::pair<int, const char*> labels[] = { { 90, " 0" }, { 60, " 15" }, { 0, " 45" },
        { 330, " 60" }, { 270, " 90" }, { 180, " 135" }, { 120, " 165" } };
    for (const auto& [angle, text] : labels) {
        SCOPED_TRACE(angle);
        EXPECT_EQ(labelText(angle), QString::fromLatin1(text));
    }
}

TEST(DialGeometry, HandAngleForEachQuarter)
{
    const std::pair<int, int> cases[] = { { 0, 450 }, { 1, 84 }, { 15, 0 }, { 16, 354 },
        { 30, 270 }, { 45, 180 }, { 59, 96 } };
    for (const auto& [minute, angle] : cases) {
        SCOPED_TRACE(minute);
        EXPECT_EQ(handAngle(minute), angle);
    }
}

TEST(DialGeometry, PointerOnTheAxesGivesTheQuarterMinutes)
{
    struct Case
    {
        int dx, dy, angle, minute;
    };

    const Case cases[] = {
        { 0, -40, 90, 0 }, // straight above
        { 40, 0, 0, 15 }, // right
        { 0, 40, 270, 30 }, // below
        { -40, 0, 180, 45 }, // left
        { 0, 0, 0, 15 }, // the centre itself counts as 3 o'clock
        { 40, -40, 45, 8 }, // 7.5 rounds to even
        { 40, 1, 359, 15 }, // just below the right axis: 90.99... clockwise
        { -40, 40, 225, 38 }, // 37.5 rounds to even
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        EXPECT_EQ(pointerAngle(c.dx, c.dy), c.angle);
        EXPECT_EQ(minuteAtAngle(c.angle), c.minute);
    }
    // Near 12 from both sides (clock angles, clockwise from 12): halves to even, 60 wraps to 0.
    const std::pair<int, int> seam[] = { { 3, 0 }, { 9, 2 }, { 15, 2 }, { 351, 58 }, { 354, 59 },
        { 357, 0 } };
    for (const auto& [clockwise, minute] : seam) {
        SCOPED_TRACE(clockwise);
        EXPECT_EQ(minuteAtAngle((450 - clockwise) % 360), minute);
    }
    EXPECT_EQ(minuteAtAngle(360), 15);
}

TEST(DialGeometry, OnlyInkCrossingTheBevelMovesAndJustFarEnough)
{
    // The main window's dial: 123 x 144 with a 7-pixel bevel.
    const QRect face = dialFace(123, 144, 0, 7);
    EXPECT_EQ(face, QRect(QPoint(7, 7), QPoint(115, 136)));
    EXPECT_EQ(dialFace(200, 223, 23, 2), QRect(QPoint(2, 25), QPoint(197, 220)));

    struct Case
    {
        QRect ink;
        QPoint shift;
    };

    const Case cases[] = {
        { QRect(QPoint(7, 7), QPoint(115, 136)), { 0, 0 } }, // exactly the face: stays
        { QRect(QPoint(100, 60), QPoint(115, 70)), { 0, 0 } }, // touching the right edge
        { QRect(QPoint(104, 67), QPoint(121, 77)), { -6, 0 } }, // over the right bevel
        { QRect(QPoint(-3, 67), QPoint(14, 77)), { 10, 0 } }, // over the left bevel and edge
        { QRect(QPoint(50, 3), QPoint(60, 12)), { 0, 4 } }, // over the top
        { QRect(QPoint(50, 130), QPoint(60, 140)), { 0, -4 } }, // over the bottom
        { QRect(QPoint(110, 2), QPoint(120, 10)), { -5, 5 } }, // a corner: both axes
        { QRect(QPoint(0, 60), QPoint(130, 70)), { 7, 0 } }, // wider than the face
        { QRect(), { 0, 0 } }, // no ink
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.ink.x() << "," << c.ink.y() << " " << c.ink.width() << "x" << c.ink.height());
        EXPECT_EQ(inwardShift(c.ink, face), c.shift);
    }
}
