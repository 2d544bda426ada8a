#include "DialFixture.h"

#include <algorithm>
#include <limits>

#include <QPolygon>

#include <gtest/gtest.h>

TEST(AnalogClock, ValueRaisesChangeOnEveryAssignmentTimeNeverAndNonDatesAreRefused)
{
    Dial dial;
    dial.changes = 0;
    dial.clock.setValue(0);
    dial.clock.setValue(0);
    EXPECT_EQ(dial.changes, 2);
    dial.clock.setTime(0);
    dial.clock.setTime(timeOf(1, 2, 3));
    EXPECT_EQ(dial.changes, 2);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("01:02:03"));
    // Not drawing is no reason to stay silent.
    dial.clock.setRedraw(false);
    dial.clock.setValue(36527 + timeOf(10, 20, 30)); // 2 January 2000: the time of day stays
    EXPECT_EQ(dial.changes, 3);
    EXPECT_DOUBLE_EQ(dial.clock.Value(), timeOf(10, 20, 30));
    dial.clock.setValue(std::numeric_limits<double>::quiet_NaN());
    dial.clock.setValue(1e300);
    EXPECT_EQ(dial.changes, 3);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("10:20:30"));
    EXPECT_TRUE(dial.keys.isEmpty()) << "the time is never a stored property";
}

TEST(AnalogClock, ClockBackColorRepaintsWithoutChangeAndAChangeHandlerMaySetItAgain)
{
    Dial dial;
    dial.changes = 0;
    dial.clock.setClockBackColor(SystemColor::kButtonFace);
    EXPECT_EQ(dial.changes, 0);
    EXPECT_EQ(dial.keys, QStringList { QStringLiteral("ClockBackColor") });
    // The face takes the translated colour; the number stays untranslated.
    const DialGeometry g = dial.clock.geometry();
    EXPECT_EQ(dial.shownPixel(g.centreX - 20, g.centreY + 20), rgbColor(212, 208, 200));
    EXPECT_EQ(dial.clock.ClockBackColor(), SystemColor::kButtonFace);

    // As its window does: read the value and clear the custom-tempo colour inside Change.
    QString seen;
    QObject::connect(&dial.clock, &AnalogClock::Change, [&] {
        seen = dial.clock.ValueText();
        if (dial.clock.ClockBackColor() == SystemColor::kButtonFace)
            dial.clock.setClockBackColor(0);
    });
    dial.clock.setValue(timeOf(0, 45, 0));
    EXPECT_EQ(seen, QStringLiteral("00:45:00"));
    EXPECT_EQ(dial.changes, 1);
    EXPECT_EQ(dial.shownPixel(g.centreX - 20, g.centreY + 20), 0u);
    EXPECT_EQ(dial.shownPixel(g.centreX - 20, g.centreY), 0xFFFFFFu) << "hand at 45 minutes";
}

TEST(AnalogClock, RefusedSizesChangeNothingAndReportNothing)
{
    Dial dial;
    dial.clock.setTitleBevelWidth(-1);
    dial.clock.setHandMinuteWidth(0);
    dial.clock.setAMPMWidth(60); // 4 pixels, below 2 x 2 + 1
    dial.clock.setTitleHeight(1'000'000); // 66667 pixels do not fit
    EXPECT_TRUE(dial.keys.isEmpty());
    EXPECT_EQ(dial.clock.TitleBevelWidth(), 2);
    EXPECT_EQ(dial.clock.HandMinuteWidth(), 2);
    EXPECT_EQ(dial.clock.AMPMWidth(), 450);
    EXPECT_EQ(dial.clock.TitleHeight(), 345);

    dial.changes = 0;
    dial.clock.setAMPMWidth(75);
    dial.clock.setHandMinuteWidth(1);
    EXPECT_EQ(dial.clock.AMPMWidth(), 75);
    EXPECT_EQ(dial.keys, (QStringList { "AMPMWidth", "HandMinuteWidth" }));
    EXPECT_EQ(dial.changes, 1) << "a hand width redraws the hand and raises Change";
}

TEST(AnalogClock, StoredKeysRoundTripAndMissingOrGarbageOnesLoadDefaults)
{
    PropertyBag stored = bagOf({ { "clockbevelwidth", 7 }, { "HOURCOLOR", 0xFF },
        { "AMText", QStringLiteral("vorm.") }, { "TitleHeight", 1e9 },
        { "ClockBackColor", QStringLiteral("black") }, { "ClockFont", QStringLiteral("Tahoma,-3") },
        { "TitleShow", QVariant::fromValue(QFont()) } });
    Dial dial(stored);
    EXPECT_EQ(dial.clock.ClockBevelWidth(), 7);
    EXPECT_EQ(dial.clock.HoursColor(), 0xFFu);
    EXPECT_EQ(dial.clock.ClockBackColor(), SystemColor::kButtonFace);
    EXPECT_EQ(dial.clock.TitleFormat(), QStringLiteral("h:nn am/pm"));
    EXPECT_TRUE(dial.clock.TitleShow());
    EXPECT_EQ(dial.clock.TitleHeight(), 23 * 15);
    EXPECT_GT(dial.clock.ClockFont().pointSizeF(), 0);

    PropertyBag saved;
    dial.clock.save(saved);
    // TitleWidth's default is the surface's width at the time, which grew from its creation
    // size to 203 between loading and saving; the font kept its family with a usable size.
    EXPECT_EQ(saved.names(),
        (QStringList { "TitleWidth", "ClockBevelWidth", "ClockFont", "HourColor", "AMText" }));

    Dial main; // the main window's values survive a save and a load
    main.clock.ClockFont().setPointSizeF(6); // the font is the control's own object
    PropertyBag again;
    main.clock.save(again);
    Dial reloaded(again);
    EXPECT_EQ(reloaded.clock.ClockBevelWidth(), 7);
    EXPECT_EQ(reloaded.clock.HighliteForeColor(), 0xC0u);
    EXPECT_FALSE(reloaded.clock.AMPMShow());
    EXPECT_EQ(reloaded.clock.ClockFont().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(reloaded.clock.ClockFont().pointSizeF(), 6);
}

TEST(AnalogClock, AutoUpdateTakesTheSystemTimeAtOnceAndLocksTheMouse)
{
    PropertyBag stored;
    stored.set(QStringLiteral("HandSecondShow"), true);
    stored.set(QStringLiteral("AMPMShow"), false);
    Dial dial(stored);
    dial.clock.setClock([] {
        return QDateTime(QDate(2024, 5, 1), QTime(10, 42, 5));
    });
    dial.changes = 0;
    dial.clock.setAutoUpdate(true);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("10:42:05"));
    EXPECT_EQ(dial.changes, 1);
    EXPECT_EQ(dial.keys, QStringList { QStringLiteral("AutoUpdate") });
    QTest::mousePress(dial.face, Qt::LeftButton, {}, dial.atMinute(20));
    QTest::mouseMove(dial.face, dial.atMinute(25));
    QTest::mouseRelease(dial.face, Qt::LeftButton, {}, dial.atMinute(25));
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("10:42:05"));
    EXPECT_EQ(dial.changes, 1);

    // Following minutes only: the same minute is no news.
    dial.clock.setAutoUpdate(false);
    dial.clock.setHandSecondShow(false);
    dial.clock.setTime(timeOf(10, 42, 59));
    dial.changes = 0;
    dial.clock.setAutoUpdate(true);
    EXPECT_EQ(dial.changes, 0);
    EXPECT_EQ(dial.clock.ValueText(), QStringLiteral("10:42:59"));
}

namespace {

bool isLabelInk(QRgb pixel)
{
    // The labels are printed in green, the one colour of the face that is not a grey: the bevel,
    // markers and dots are greys, the hand white, the face black.
    return qGreen(pixel) > qRed(pixel) + 8 && qGreen(pixel) > qBlue(pixel) + 8;
}

// The pixels a label's ink covers, from its top-left ink pixel, printed alone.
QList<QPoint> inkPattern(const QFont& font, const QString& text)
{
    Canvas lone;
    lone.resizeImage(80, 40);
    lone.setBackColor(0);
    lone.clear();
    lone.setTextFont(font);
    lone.setForeColor(0x00FF00);
    lone.setCurrentPoint(10, 10);
    lone.print(text);
    QList<QPoint> pattern;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            if (isLabelInk(lone.image().pixel(x, y)))
                pattern << QPoint(x, y);
    if (pattern.isEmpty())
        return {};
    const QRect bounds = QPolygon(pattern).boundingRect();
    for (QPoint& p : pattern)
        p -= bounds.topLeft();
    return pattern;
}

bool foundWhole(const QImage& shown, const QList<QPoint>& pattern, const QRect& where)
{
    for (int y = where.top(); y <= where.bottom(); ++y)
        for (int x = where.left(); x <= where.right(); ++x)
            if (std::all_of(pattern.begin(), pattern.end(), [&](QPoint p) {
                    return shown.valid(x + p.x(), y + p.y())
                        && isLabelInk(shown.pixel(x + p.x(), y + p.y()));
                }))
                return true;
    return false;
}

} // namespace

TEST(AnalogClock, OnTheMainWindowsDialEveryLabelLiesWholeOnTheFace)
{
    // The main window gives the dial 123 x 144 pixels: the face radius is 45 and the labels at
    // the sides would reach over the 7-pixel bevel. With and without antialiasing, which spreads
    // the ink a pixel wider.
    for (const bool smooth : { true, false }) {
        SCOPED_TRACE(smooth ? "antialiased" : "not antialiased");
        QFont font = controlFont(QStringLiteral("Tahoma"), 8.25);
        if (!smooth)
            font.setStyleStrategy(QFont::NoAntialias);
        PropertyBag bag = Dial::mainWindowBag();
        bag.set(QStringLiteral("ClockForeColor"), 0x00FF00);
        bag.set(QStringLiteral("ClockFont"), QVariant::fromValue(font));
        Dial dial(bag, { 123, 144 });
        ASSERT_EQ(dial.clock.geometry().faceRadius, 45);
        // The hand's tip reaches over " 135" at minute 45; the labels must survive it leaving.
        dial.clock.setValue(timeOf(0, 45, 0));
        dial.clock.setValue(timeOf(0, 15, 0));
        const QImage shown = dial.face->grab().toImage();
        const QRect face(QPoint(7, 7), QPoint(115, 136));
        int inkOnFace = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (isLabelInk(shown.pixel(x, y))) {
                    EXPECT_TRUE(face.contains(x, y)) << "label ink at " << x << "," << y;
                    ++inkOnFace;
                }
        EXPECT_GT(inkOnFace, 100);
        if (smooth)
            continue;
        // Each label whole, near its own place: nothing cut at the edge, nothing drawn over it.
        for (int a = 0; a < 360; a += 30) {
            const QString text = labelText(a);
            SCOPED_TRACE(text.toStdString());
            const LabelBox box = labelBox(dial.clock.geometry(), a);
            const QRect near(QPoint(box.left - 24, box.top - 14), QPoint(box.right + 4, box.top));
            EXPECT_TRUE(foundWhole(shown, inkPattern(font, text), near));
        }
    }
}
