#include "DialFixture.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

// Drags the hand with the left button from one minute to another, a move a minute, 20 pixels
// out from the centre (away from the am/pm boxes).
void dragHand(Dial& dial, int from, int to)
{
    QTest::mousePress(dial.face, Qt::LeftButton, {}, dial.atMinute(from, 20));
    for (int m = from; m != to; m += from < to ? 1 : -1)
        QTest::mouseMove(dial.face, dial.atMinute(m, 20));
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, dial.atMinute(to, 20));
}

QImage shown(const Dial& dial)
{
    return dial.face->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels in which two images of one size differ.
QList<QPoint> differences(const QImage& a, const QImage& b)
{
    QList<QPoint> at;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                at << QPoint(x, y);
    return at;
}

bool withinRadius(const DialGeometry& g, QPoint p, int radius)
{
    const int dx = p.x() - g.centreX;
    const int dy = p.y() - g.centreY;
    return dx * dx + dy * dy <= radius * radius;
}

// 100 x 123 with the title strip and am/pm boxes of 40 x 30 pixels: the face radius is 36, and
// the boxes' inner corners lie well inside the disc of radius 31 that a hand move paints again.
constexpr QSize kSmallDial { 100, 123 };

PropertyBag smallDial(OleColor clockBackColor = SystemColor::kButtonFace)
{
    return bagOf(
        { { "ClockBackColor", clockBackColor }, { "AMPMWidth", 40 }, { "AMPMHeight", 30 } });
}

const QPoint kPmBox { 80, 35 };
const QPoint kAmBox { 15, 35 };

} // namespace

TEST(AnalogClockFace, AHandMoveLeavesEverythingOutsideTheInnerDiscAsItWas)
{
    struct Case
    {
        const char* name;
        PropertyBag bag;
        QSize size;
    };

    // The main window's dial, whose side labels move in toward the disc, and the small dial.
    const Case cases[] = { { "main window", Dial::mainWindowBag(), { 123, 144 } },
        { "small, title and am/pm", smallDial(), kSmallDial } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dial dial(c.bag, c.size);
        dial.clock.setValue(timeOf(0, 45, 0));
        const QImage before = shown(dial);
        dragHand(dial, 45, 10);
        ASSERT_EQ(dial.clock.ValueText(), QStringLiteral("00:10:00"));
        const DialGeometry g = dial.clock.geometry();
        const int titleBottom = dial.clock.TitleShow() ? dial.clock.TitleHeight() / 15 : 0;
        int inDisc = 0;
        for (const QPoint p : differences(before, shown(dial))) {
            // The disc of radius r - 5 with its outline pen, one or two pixels wide.
            if (withinRadius(g, p, g.faceRadius - 3))
                ++inDisc;
            else
                EXPECT_LT(p.y(), titleBottom) << "changed at " << p.x() << "," << p.y();
        }
        EXPECT_GT(inDisc, 2 * (g.faceRadius - 8)) << "the old hand gone, the new one drawn";
    }
}

TEST(AnalogClockFace, AfterAHandMoveANewFaceColourOrAmPmBoxIsWhatTheNextHandMoveShows)
{
    struct Case
    {
        const char* name;
        int hour;
        std::function<void(Dial&)> change;
        OleColor clockBackColor;
        const char* time;
    };

    const OleColor face = SystemColor::kButtonFace;
    const Case cases[] = {
        { "a click on pm", 9,
            [](Dial& d) {
                QTest::mouseClick(d.face, Qt::LeftButton, {}, kPmBox);
            },
            face, "21:35:00" },
        { "a click on am", 21,
            [](Dial& d) {
                QTest::mouseClick(d.face, Qt::LeftButton, {}, kAmBox);
            },
            face, "09:35:00" },
        { "the custom-tempo colour", 9,
            [](Dial& d) {
                d.clock.setClockBackColor(0x00C000);
            },
            0x00C000, "09:35:00" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dial dial(smallDial(), kSmallDial);
        dial.clock.setValue(timeOf(c.hour, 45, 0));
        dragHand(dial, 45, 20);
        c.change(dial);
        dragHand(dial, 20, 35);
        ASSERT_EQ(dial.clock.ValueText(), QString::fromLatin1(c.time));

        // The same face drawn afresh.
        Dial fresh(smallDial(c.clockBackColor), kSmallDial);
        fresh.clock.setValue(dial.clock.Value());
        // Each box whole: its inner corner, inside the disc, shows the box's own fill.
        const bool pm = dial.clock.Value() >= 0.5;
        const OleColor highlight = translateColor(SystemColor::kHighlight).rgb;
        const OleColor back = translateColor(c.clockBackColor).rgb;
        EXPECT_EQ(dial.shownPixel(40, 53), pm ? back : highlight) << "am";
        EXPECT_EQ(dial.shownPixel(59, 53), pm ? highlight : back) << "pm";
        const QList<QPoint> wrong = differences(shown(dial), shown(fresh));
        EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " pixels differ, the first at "
                                     << wrong.value(0).x() << "," << wrong.value(0).y();
    }
}

TEST(AnalogClockFace, APropertyIsReportedOnceItIsDrawn)
{
    Dial dial;
    const DialGeometry g = dial.clock.geometry();
    QList<OleColor> seen;
    QObject::connect(&dial.clock, &CustomControl::propertyChanged, [&] {
        seen << *dial.face->pixel(g.centreX - 20, g.centreY + 20);
    });
    dial.clock.setClockBackColor(0x0000C0);
    EXPECT_EQ(seen, QList<OleColor> { 0x0000C0u });
}
