#include "DialFixture.h"

#include <gtest/gtest.h>

TEST(AnalogClockMouse, LeftDragSetsTheMinuteInTheHighlightKeepsTheHourAndClearsSeconds)
{
    Dial dial;
    dial.clock.setValue(timeOf(14, 37, 12));
    dial.changes = 0;
    QTest::mousePress(dial.face, Qt::LeftButton, {}, dial.atMinute(37));
    EXPECT_EQ(dial.changes, 0) << "a press alone does not move the hand";
    QTest::mouseMove(dial.face, dial.atMinute(20));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("14:20:00"));
    const QPoint onHand = dial.atMinute(20, 30);
    EXPECT_EQ(dial.shownPixel(onHand.x(), onHand.y()), 0xC0u) << "the dragged hand";
    QTest::mouseMove(dial.face, dial.atMinute(5));
    EXPECT_EQ(dial.changes, 2);
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, dial.atMinute(5));
    EXPECT_EQ(dial.changes, 3);
    EXPECT_DOUBLE_EQ(dial.clock.Value(), timeOf(14, 5, 0));
    const QPoint released = dial.atMinute(5, 30);
    EXPECT_EQ(dial.shownPixel(released.x(), released.y()), 0xFFFFFFu);
}

TEST(AnalogClockMouse, ReleasesOnTheAxesAndNearTheSeam)
{
    struct Case
    {
        const char* where;
        QPoint offset;
        const char* time;
    };

    const Case cases[] = {
        { "above", { 0, -40 }, "09:00:00" },
        { "right", { 40, 0 }, "09:15:00" },
        { "below", { 0, 40 }, "09:30:00" },
        { "left", { -40, 0 }, "09:45:00" },
        { "just left of 12: minute 59.7 wraps to 0", { -1, -40 }, "09:00:00" },
        { "a minute left of 12", { -4, -40 }, "09:59:00" },
        { "half a minute right of 12 rounds to even", { 2, -40 }, "09:00:00" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Dial dial;
        dial.clock.setValue(timeOf(9, 30, 30));
        const DialGeometry g = dial.clock.geometry();
        const QPoint p(g.centreX + c.offset.x(), g.centreY + c.offset.y());
        QTest::mousePress(dial.face, Qt::LeftButton, {}, p);
        QTest::mouseRelease(dial.face, Qt::LeftButton, {}, p);
        EXPECT_EQ(dial.clock.ValueText(), QString::fromLatin1(c.time));
    }
}

TEST(AnalogClockMouse, RightDragResetsAtEveryMoveAndBothButtonsDoNothing)
{
    Dial dial;
    dial.clock.setValue(timeOf(11, 20, 0));
    dial.changes = 0;
    QTest::mousePress(dial.face, Qt::RightButton, {}, dial.atMinute(20));
    QTest::mouseMove(dial.face, dial.atMinute(25));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("00:00:00"));
    dial.clock.setTime(timeOf(11, 20, 0)); // no Change
    QTest::mouseMove(dial.face, dial.atMinute(30));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(dial.changes, 2);
    dial.clock.setTime(timeOf(11, 20, 0));
    QTest::mousePress(dial.face, Qt::LeftButton, {}, dial.atMinute(30)); // both held now
    QTest::mouseMove(dial.face, dial.atMinute(40));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("11:20:00"));
    EXPECT_EQ(dial.changes, 2);
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, dial.atMinute(40));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("11:40:00"));
    QTest::mouseRelease(dial.face, Qt::RightButton, {}, dial.atMinute(40));
    EXPECT_EQ(dial.changes, 3) << "the drag ended with the first release";
}

TEST(AnalogClockMouse, ClickAndDoubleClickSetTheTimeOnEachRelease)
{
    Dial dial;
    dial.changes = 0;
    const QPoint p = dial.atMinute(10);
    QTest::mousePress(dial.face, Qt::LeftButton, {}, p);
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, p);
    EXPECT_EQ(dial.changes, 1);
    QTest::mouseDClick(dial.face, Qt::LeftButton, {}, p);
    EXPECT_EQ(dial.changes, 1) << "the double click is a press: it starts a drag only";
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, p);
    EXPECT_EQ(dial.changes, 2);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("00:10:00"));
}

TEST(AnalogClockMouse, AmPmBoxesMoveTheTimeByTwelveHours)
{
    PropertyBag defaults; // title strip and am/pm boxes shown
    Dial dial(defaults);
    dial.clock.setValue(timeOf(9, 20, 0));
    dial.changes = 0;
    const QPoint pm(185, 35);
    const QPoint am(15, 35);
    QTest::mouseClick(dial.face, Qt::LeftButton, {}, pm);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("21:20:00"));
    QTest::mouseClick(dial.face, Qt::LeftButton, {}, pm);
    EXPECT_EQ(dial.changes, 1);
    QTest::mouseClick(dial.face, Qt::LeftButton, {}, am);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("09:20:00"));
    EXPECT_EQ(dial.changes, 2);
}

TEST(AnalogClockMouse, PressesOnTheBevelStartNoDragAndThePointerIsTheHandOverTheFaceOnly)
{
    // Face bounds are strict: bevel 7, so x must lie in 9..194 and y in 9..174 on 203 x 183.
    const QPoint outside[] = { { 8, 92 }, { 195, 92 }, { 102, 8 }, { 102, 175 } };
    for (const QPoint& p : outside) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        Dial dial;
        dial.changes = 0;
        QTest::mousePress(dial.face, Qt::LeftButton, {}, p);
        QTest::mouseMove(dial.face, dial.atMinute(10));
        QTest::mouseRelease(dial.face, Qt::LeftButton, {}, dial.atMinute(10));
        EXPECT_EQ(dial.changes, 0);
    }

    Dial dial;
    QTest::mousePress(dial.face, Qt::LeftButton, {}, QPoint(100, 90));
    QTest::mouseMove(dial.face, QPoint(9, 90)); // the face's first column
    EXPECT_EQ(dial.face->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(dial.face->cursor().hotSpot(), QPoint(5, 0));
    QTest::mouseMove(dial.face, QPoint(3, 90)); // on the bevel, still dragging
    EXPECT_EQ(dial.face->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, QPoint(3, 90));
}

TEST(AnalogClockMouse, RenderedHandPointsWhereTheValueSays)
{
    Dial dial;
    const DialGeometry g = dial.clock.geometry();
    dial.clock.setValue(timeOf(0, 15, 0));
    // 3 o'clock: the hand runs right from the centre for r - 8 pixels; nothing above or left.
    for (int k = 0; k <= g.faceRadius - 9; k += 3)
        EXPECT_EQ(dial.shownPixel(g.centreX + k, g.centreY), 0xFFFFFFu) << "k " << k;
    for (int k = 3; k <= 50; k += 16) {
        EXPECT_EQ(dial.shownPixel(g.centreX - k, g.centreY), 0u) << "left " << k;
        EXPECT_EQ(dial.shownPixel(g.centreX, g.centreY - k), 0u) << "above " << k;
    }
    // Moving to 0 erases the old hand and draws the new one straight up.
    dial.clock.setValue(timeOf(0, 0, 0));
    EXPECT_EQ(dial.shownPixel(g.centreX + 30, g.centreY), 0u);
    EXPECT_EQ(dial.shownPixel(g.centreX, g.centreY - 30), 0xFFFFFFu);
}
