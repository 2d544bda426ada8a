#include "ButtonFixture.h"

#include <QCursor>

namespace {

PropertyBag withTip(const QString& text, int style = 1)
{
    PropertyBag bag;
    bag.set(QStringLiteral("ToolTip"), text);
    bag.set(QStringLiteral("ToolTipStyle"), style);
    return bag;
}

} // namespace

TEST(BalloonTip, HoverShowsTheTipAfterItsDelayAndHidesItAfterItsTime)
{
    Button b(withTip(QStringLiteral(" Close ")));
    b.hover();
    BalloonTip* tip = b.tip();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(tip->isVisible());
    EXPECT_TRUE(b.timer->armed());
    EXPECT_EQ(b.timer->lastMs(), BalloonTip::kInitialDelayMs);
    const int starts = b.timer->starts();
    b.hover(QPoint(5, 5));
    EXPECT_EQ(b.timer->starts(), starts + 1) << "a move starts the wait again";
    EXPECT_EQ(b.timer->lastMs(), BalloonTip::kInitialDelayMs);

    b.fireTip();
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->text(), QStringLiteral(" Close "));
    EXPECT_FALSE(tip->geometry().contains(QCursor::pos())) << "never under the pointer";
    EXPECT_EQ(b.timer->lastMs(), BalloonTip::kVisibleMs);
    b.hover(QPoint(6, 5));
    EXPECT_TRUE(tip->isVisible()) << "moving over the owner keeps it up";

    b.fireTip();
    EXPECT_FALSE(tip->isVisible());
    b.hover(QPoint(8, 5));
    EXPECT_FALSE(b.timer->armed()) << "once timed out it stays down until the next entry";

    b.hover(b.outside());
    EXPECT_EQ(b.tip(), nullptr);
    b.hover();
    ASSERT_NE(b.tip(), nullptr);
    EXPECT_TRUE(b.timer->armed()) << "a new entry makes a new tip that waits again";
}

TEST(BalloonTip, APressHidesTheTipAndLeavingDestroysIt)
{
    Button b(withTip(QStringLiteral("Select Instrument")));
    b.hover();
    b.fireTip();
    ASSERT_TRUE(b.tip()->isVisible());
    b.press();
    EXPECT_FALSE(b.tip()->isVisible());
    EXPECT_FALSE(b.timer->armed());
    b.release();
    b.hover(QPoint(4, 4));
    EXPECT_FALSE(b.tip()->isVisible());
    EXPECT_FALSE(b.timer->armed());

    b.press();
    EXPECT_FALSE(b.timer->armed()) << "a press before the delay cancels the showing";
    b.release();
    b.hover(b.outside());
    EXPECT_EQ(b.tip(), nullptr);

    // An empty text makes no tip; one emptied while waiting never shows.
    b.hover();
    b.gg->setToolTip(QString());
    b.fireTip();
    EXPECT_FALSE(b.tip()->isVisible());
    b.hover(b.outside());
    b.hover();
    EXPECT_EQ(b.tip(), nullptr);
    EXPECT_FALSE(b.timer->armed());
}

TEST(BalloonTip, NewTextShowsAtOnceTheRestAtTheNextEntry)
{
    Button b(withTip(QStringLiteral("Play")));
    b.hover();
    b.fireTip();
    BalloonTip* tip = b.tip();
    const QSize shortSize = tip->size();
    b.gg->setToolTip(QStringLiteral("Pause the media file"));
    EXPECT_EQ(tip->text(), QStringLiteral("Pause the media file"));
    EXPECT_GT(tip->width(), shortSize.width());
    const QSize untitled = tip->size();

    b.gg->setToolTipTitle(QStringLiteral("Player"));
    b.gg->setToolTipIcon(1);
    EXPECT_EQ(tip->size(), untitled) << "the live tip keeps its look";
    b.hover(b.outside());
    b.hover();
    b.fireTip();
    EXPECT_GT(b.tip()->height(), untitled.height()) << "the next tip has its title row";
}

TEST(BalloonTip, PlacementStaysOnScreenOffTheTarget)
{
    struct Case
    {
        const char* name;
        QRect target;
        bool balloon;
        bool centred;
        QRect window;
    };

    const QRect screen(0, 0, 800, 600);
    const QSize content(100, 30);
    // A balloon's body is the content and 10 x 7 pixels of padding, with a 12-pixel stem.
    const Case cases[] = {
        { "below, stem near the left", { 200, 200, 1, 1 }, true, false, { 186, 201, 120, 56 } },
        { "above at the bottom", { 200, 590, 1, 1 }, true, false, { 186, 534, 120, 56 } },
        { "stem near the right at the right edge", { 790, 200, 1, 1 }, true, false,
            { 680, 201, 120, 56 } },
        { "held on screen at the left edge", { 2, 200, 1, 1 }, true, false, { 0, 201, 120, 56 } },
        { "centred under the owner", { 100, 100, 60, 20 }, true, true, { 69, 120, 120, 56 } },
        { "rectangle below the pointer's height", { 200, 200, 1, 20 }, false, false,
            { 200, 220, 106, 34 } },
        { "rectangle above at the bottom", { 200, 580, 1, 20 }, false, false,
            { 200, 546, 106, 34 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TipLook look;
        look.balloon = c.balloon;
        look.centred = c.centred;
        const TipPlacement p = BalloonTip::place(content, c.target, screen, look);
        EXPECT_EQ(p.window, c.window);
        EXPECT_TRUE(screen.contains(p.window));
        EXPECT_FALSE(p.window.intersects(c.target));
    }
}
