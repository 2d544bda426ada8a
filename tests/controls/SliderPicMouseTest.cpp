#include "SliderFixture.h"

#include <gtest/gtest.h>

TEST(SliderPicMouse, APressOffThePointerJumpsAndReportsOnce)
{
    struct Case
    {
        const char* what;
        int x;
        int newPosition;
        int pointerLeft;
    };

    // Track 100 pixels from x 3, 0..100; the pointer starts at 20 (x 20..25).
    const Case cases[] = {
        { "on the track", 53, 50, 50 },
        { "past the right end", 200, 100, 100 },
        { "left of the track", 0, 0, 0 },
        { "the pointer's first column counts as off it", 20, 17, 17 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Slider s;
        s.slider->setCurPosition(20);
        s.press(c.x);
        ASSERT_EQ(s.reports.size(), 1u);
        EXPECT_EQ(s.reports[0].oldPosition, 20);
        EXPECT_EQ(s.reports[0].newPosition, c.newPosition);
        EXPECT_EQ(s.slider->CurPosition(), c.newPosition);
        EXPECT_EQ(s.slider->geometry().pointerLeft, c.pointerLeft);
        EXPECT_EQ(s.pixel(c.pointerLeft + 1, 0), kPointer) << "drawn where it jumped";
        s.move(c.x + 30);
        EXPECT_EQ(s.reports.size(), 1u) << "a jump starts no drag";
        s.release(c.x + 30);
    }
}

TEST(SliderPicMouse, WhatTheHandlerLeavesIsStoredUnclampedAndStyleOneMovesThePointerThere)
{
    struct Case
    {
        int style;
        int handlerValue;
        int pointerLeft;
    };

    // Style 0 leaves the pointer under the mouse; style 1 redraws it at the value.
    const Case cases[] = { { 0, 7, 60 }, { 0, 1000, 60 }, { 1, 10, 10 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " value " << c.handlerValue);
        Slider s;
        s.slider->setStyle(c.style);
        QObject::connect(
            s.slider, &SliderPic::PositionChanged, [&](std::int32_t&, std::int32_t& newPosition) {
                newPosition = c.handlerValue;
            });
        s.press(63);
        EXPECT_EQ(s.slider->CurPosition(), c.handlerValue);
        EXPECT_EQ(s.slider->geometry().pointerLeft, c.pointerLeft);
        EXPECT_EQ(s.pixel(c.pointerLeft + 1, 0), kPointer);
    }
}

TEST(SliderPicMouse, ADragReportsEveryMoveBeforeItStoresAndEndsOnRelease)
{
    Slider s;
    s.slider->setCurPosition(40); // pointer over x 40..45
    s.press(42);
    EXPECT_TRUE(s.reports.empty()) << "a press on the pointer only starts the drag";
    s.move(63);
    s.move(63, 2);
    s.move(63, 12);
    s.move(500);
    ASSERT_EQ(s.reports.size(), 4u);
    EXPECT_EQ(s.reports[0].oldPosition, 40);
    EXPECT_EQ(s.reports[0].newPosition, 60);
    // Inside the handler CurPosition still reads the old value.
    EXPECT_EQ(s.reports[0].curPositionInside, 40);
    EXPECT_EQ(s.reports[1].curPositionInside, 60);
    EXPECT_EQ(s.reports[1].oldPosition, 60);
    EXPECT_EQ(s.reports[1].newPosition, 60) << "moved across the track only";
    EXPECT_EQ(s.reports[2].newPosition, 60);
    EXPECT_EQ(s.reports[3].newPosition, 100) << "held at the track's end";
    s.release(500);
    s.move(30); // no button held: no drag
    EXPECT_EQ(s.reports.size(), 4u);
    EXPECT_EQ(s.slider->CurPosition(), 100);
    EXPECT_EQ(s.keys.count(QStringLiteral("CurPosition")), 5) << "one set and four moves";
}

TEST(SliderPicMouse, OnlyTheLeftButtonAloneCounts)
{
    Slider s;
    QTest::mousePress(s.surface, Qt::RightButton, {}, QPoint(53, 7));
    QTest::mouseRelease(s.surface, Qt::RightButton, {}, QPoint(53, 7));
    EXPECT_TRUE(s.reports.empty());

    s.press(3); // on the pointer at 0..5: a drag
    QTest::mousePress(s.surface, Qt::RightButton, {}, QPoint(3, 7));
    s.move(40); // left and right held
    EXPECT_TRUE(s.reports.empty());
    QTest::mouseRelease(s.surface, Qt::RightButton, {}, QPoint(40, 7));
    s.move(40); // the drag goes on with the left button alone
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_EQ(s.reports[0].newPosition, 37);
    s.release(40);
}

TEST(SliderPicMouse, WithoutAPointerPictureClicksAndDragsDoNothing)
{
    Slider s;
    s.slider->setImagePointer(QImage());
    s.press(50, 2);
    s.move(70, 2);
    s.release(70, 2);
    EXPECT_TRUE(s.reports.empty());
    EXPECT_EQ(s.slider->CurPosition(), 0);
}

TEST(SliderPicMouse, VerticalSlidersFollowY)
{
    PropertyBag bag = Slider::volumeBag();
    bag.set(QStringLiteral("ImageSlider"), filledPicture(4, 100, kTrack));
    bag.set(QStringLiteral("ImagePointer"), filledPicture(15, 6, kPointer));
    bag.set(QStringLiteral("Orientation"), 3);
    Slider s(bag);
    EXPECT_EQ(s.slider->size(), QSize(15, 106));
    s.press(7, 28); // Max at the top: 25 pixels down the track is 75
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_EQ(s.reports[0].newPosition, 75);
    EXPECT_EQ(s.slider->geometry().pointerTop, 25);
    s.press(7, 27); // on the pointer now
    s.move(7, 93);
    ASSERT_EQ(s.reports.size(), 2u);
    EXPECT_EQ(s.reports[1].newPosition, 10);
}

TEST(SliderPicMouse, AClickOnASeeThroughPixelReachesTheWindowBehindUnlessTheSliderIsOpaque)
{
    Slider s;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s.window));
    ASSERT_EQ(s.pixel(50, 2), kMask);
    s.clickWindowAt(QPoint(50, 2)); // above the track, away from the pointer
    s.clickWindowAt(QPoint(0, 0)); // the pointer's see-through corner
    EXPECT_EQ(s.window.presses, 2);
    EXPECT_TRUE(s.reports.empty());

    s.clickWindowAt(QPoint(50, 7)); // on the track
    EXPECT_EQ(s.window.presses, 2);
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_EQ(s.reports[0].newPosition, 47);

    // The outline follows the pointer: where it stood is see-through again, where it is not.
    s.clickWindowAt(QPoint(1, 1));
    EXPECT_EQ(s.window.presses, 3);
    s.clickWindowAt(QPoint(48, 1));
    EXPECT_EQ(s.window.presses, 3);

    ASSERT_FALSE(s.slider->setBackStyle(1).has_value());
    s.clickWindowAt(QPoint(20, 2));
    EXPECT_EQ(s.window.presses, 3) << "opaque: every click in its rectangle is the slider's";
    ASSERT_EQ(s.reports.size(), 2u) << "the press at 48 was on the pointer: a drag, no jump";
    EXPECT_EQ(s.reports[1].newPosition, 17);
}
