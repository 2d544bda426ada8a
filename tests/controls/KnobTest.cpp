#include "controls/Knob.h"

#include "controls/DrawSurface.h"

#include <cmath>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// A stock knob, shown; counts Changed and records the value and the angle at each.
struct Turning
{
    Knob knob;
    DrawSurface* face = nullptr;
    int changes = 0;
    std::vector<int> values;
    std::vector<float> angles;

    Turning()
    {
        knob.show();
        face = knob.findChild<DrawSurface*>();
        QObject::connect(&knob, &Knob::Changed, [this] {
            ++changes;
            values.push_back(knob.KnobValue());
            angles.push_back(knob.pointerAngle());
        });
    }

    void press(Qt::MouseButton button, QPoint at = { 30, 5 })
    {
        QTest::mousePress(face, button, {}, at);
    }

    void move(QPoint to) { QTest::mouseMove(face, to); }

    // Leftward along the top: one anticlockwise count per move.
    void turnDown(int moves)
    {
        for (int i = 0; i < moves; ++i)
            move({ 29 - i % 20, 5 });
    }
};

} // namespace

TEST(Knob, StartsAtTheTopOfEachRangeAndModesMoveNothing)
{
    Turning t;
    EXPECT_EQ(t.knob.KnobValue(), 100);
    const std::pair<int, int> modes[] = { { 0, 10 }, { 2, 1000 }, { 3, 0 }, { -1, 0 }, { 1, 100 } };
    for (const auto& [mode, value] : modes) {
        SCOPED_TRACE(mode);
        t.knob.SetMode(static_cast<std::int16_t>(mode));
        EXPECT_EQ(t.knob.KnobValue(), value);
        EXPECT_EQ(t.knob.pointerAngle(), 45.0f);
    }
    EXPECT_EQ(t.changes, 0);

    // The indicator's length follows the face's height in twips, bounds inclusive.
    const std::pair<int, int> classes[] = { { 0, 0 }, { 495, 0 }, { 496, 1 }, { 540, 1 },
        { 615, 1 }, { 616, 2 }, { 735, 2 }, { 736, 3 }, { 855, 3 }, { 856, 4 }, { 100000, 4 } };
    for (const auto& [twips, sizeClass] : classes) {
        SCOPED_TRACE(twips);
        EXPECT_EQ(knobSizeClass(twips), sizeClass);
    }
}

TEST(Knob, ModeZeroStepsThroughElevenAnglesFromTenDownToZero)
{
    Turning t;
    t.knob.SetMode(0);
    t.press(Qt::LeftButton);
    t.move({ 30, 5 }); // from (0, 0): clockwise, held at the stop
    t.turnDown(14);
    ASSERT_EQ(t.changes, 15);
    EXPECT_EQ(t.angles[0], 45.0f);
    for (int k = 0; k <= 10; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(t.angles[static_cast<std::size_t>(k)], 45.0f + 27 * k);
        EXPECT_EQ(t.values[static_cast<std::size_t>(k)], 10 - k);
    }
    EXPECT_EQ(t.angles.back(), 315.0f) << "held at the lower stop";
    EXPECT_EQ(t.values.back(), 0);

    // A step of 3 turns three notches at once; the same angle reads in every range.
    t.knob.SetStep(3);
    t.move({ 20, 5 }); // rightward over the top: clockwise
    EXPECT_EQ(t.knob.pointerAngle(), 315.0f - 81);
    EXPECT_EQ(t.knob.KnobValue(), 3);
    t.knob.SetMode(1);
    EXPECT_EQ(t.knob.KnobValue(), 30);
    t.knob.SetMode(2);
    EXPECT_EQ(t.knob.KnobValue(), 300);
    QTest::mouseRelease(t.face, Qt::LeftButton, {}, { 20, 5 });
}

TEST(Knob, MovesThatTurnNothingStillReportAndOtherButtonsDoNothing)
{
    Turning t;
    t.press(Qt::LeftButton);
    t.move({ 30, 5 });
    t.move({ 31, 5 }); // clockwise at the stop
    EXPECT_EQ(t.changes, 2);
    EXPECT_EQ(t.knob.pointerAngle(), 45.0f);
    t.turnDown(3);
    const float turned = t.knob.pointerAngle();
    EXPECT_GT(turned, 45.0f);
    // Upper left, rightward and downward at once: one count each way.
    t.move({ 5, 5 });
    const float before = t.knob.pointerAngle();
    t.move({ 6, 6 });
    EXPECT_EQ(t.knob.pointerAngle(), before);
    const int reported = t.changes;
    QTest::mouseRelease(t.face, Qt::LeftButton, {}, { 6, 6 });
    EXPECT_EQ(t.changes, reported + 1) << "a left release reports";
    EXPECT_EQ(t.knob.pointerAngle(), before) << "without turning";

    // Only the left button alone turns the knob.
    const QImage drawn = t.knob.face();

    struct Held
    {
        const char* what;
        bool left;
        Qt::MouseButton other;
    };

    for (const Held& held : { Held { "right", false, Qt::RightButton },
             Held { "left and right", true, Qt::RightButton },
             Held { "left and a side button", true, Qt::BackButton },
             Held { "left and the other side button", true, Qt::ForwardButton } }) {
        SCOPED_TRACE(held.what);
        const int changesBefore = t.changes;
        if (held.left)
            t.press(Qt::LeftButton, { 6, 6 });
        t.press(held.other, { 6, 6 });
        for (int x = 5; x > 0; --x)
            t.move({ x, 5 });
        EXPECT_EQ(t.changes, changesBefore);
        EXPECT_EQ(t.knob.pointerAngle(), before);
        EXPECT_EQ(t.knob.face(), drawn);
        QTest::mouseRelease(t.face, held.other, {}, { 1, 5 });
        if (held.left)
            QTest::mouseRelease(t.face, Qt::LeftButton, {}, { 1, 5 });
    }
}

TEST(Knob, ALongAnticlockwiseDragNeverTurnsBackAsTheCounterIsRebased)
{
    Turning t;
    t.knob.SetMode(2);
    t.press(Qt::LeftButton, { 30, 18 });
    // Twenty turns round the centre, anticlockwise on screen, 10 degrees a move.
    for (int degrees = 0; degrees <= 20 * 360; degrees += 10) {
        const double a = degrees * 3.14159265358979 / 180;
        t.move(QPoint(static_cast<int>(std::lround(18 + 12 * std::cos(a))),
            static_cast<int>(std::lround(18 - 12 * std::sin(a)))));
    }
    ASSERT_GT(t.changes, 400);
    for (std::size_t i = 1; i < t.values.size(); ++i)
        ASSERT_LE(t.values[i], t.values[i - 1]) << "move " << i;
    EXPECT_LT(t.values.back(), 500);
    QTest::mouseRelease(t.face, Qt::LeftButton, {}, { 30, 18 });
}

TEST(Knob, TheWhiteLineEndsWhereTheTablesPutIt)
{
    // The stock face is class 1: the line runs from 8 to 15 pixels out from (18, 18), along
    // (sin a, cos a) with the tables' 3.14.
    struct Case
    {
        int notches;
        int angle;
    };

    const Case cases[] = { { 0, 45 }, { 5, 180 }, { 10, 315 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        Turning t;
        t.knob.SetMode(0);
        t.press(Qt::LeftButton);
        t.move({ 30, 5 });
        t.turnDown(c.notches);
        ASSERT_EQ(t.knob.pointerAngle(), static_cast<float>(c.angle));
        const double s = std::sin(3.14 / 180 * c.angle);
        const double co = std::cos(3.14 / 180 * c.angle);
        const QPointF inner(18 + 8 * s, 18 + 8 * co);
        const QPointF outer(18 + 15 * s, 18 + 15 * co);
        double nearInner = 99;
        double nearOuter = 99;
        int white = 0;
        const QImage& face = t.knob.face();
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                if ((face.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu)
                    continue;
                ++white;
                const QPointF p(x, y);
                nearInner = std::min(nearInner, std::hypot(p.x() - inner.x(), p.y() - inner.y()));
                nearOuter = std::min(nearOuter, std::hypot(p.x() - outer.x(), p.y() - outer.y()));
                const double fromCentre = std::hypot(x - 18.0, y - 18.0);
                EXPECT_GE(fromCentre, 6.5) << x << "," << y;
                EXPECT_LE(fromCentre, 16.5) << x << "," << y;
            }
        EXPECT_GE(white, 8);
        EXPECT_LE(nearInner, 1.0);
        EXPECT_LE(nearOuter, 1.0);
        QTest::mouseRelease(t.face, Qt::LeftButton, {}, { 20, 5 });
    }
}

TEST(Knob, TheWindowShowsAroundItsRoundFaceWhereverThePointerStands)
{
    // A knob on a wooden panel, as the piano carries it, at its stock size and larger.
    const QColor wood(0x5a, 0x3a, 0x20);
    for (const int side : { 36, 40 }) {
        SCOPED_TRACE(side);
        QWidget panel;
        panel.resize(60, 60);
        QPalette palette = panel.palette();
        palette.setColor(QPalette::Window, wood);
        panel.setPalette(palette);
        panel.setAutoFillBackground(true);
        auto* knob = new Knob(&panel);
        knob->setGeometry(10, 10, side, side);
        panel.show();
        const QImage shot = panel.grab().toImage();
        for (const QPoint corner : { QPoint(0, 0), QPoint(side - 1, 0), QPoint(0, side - 1),
                 QPoint(side - 1, side - 1), QPoint(2, 2) })
            EXPECT_EQ(shot.pixelColor(corner + QPoint(10, 10)).name().toStdString(), "#5a3a20")
                << corner.x() << "," << corner.y();
        // The face itself stays the dark cap in its bright rim, with the white line on it.
        const QColor cap = shot.pixelColor(10 + side / 2, 10 + side / 2);
        EXPECT_LT(cap.lightness(), 80);
        EXPECT_NE(shot.pixelColor(10 + side / 2, 12), wood) << "the rim";
        EXPECT_GE(
            knob->face().pixelColor(knob->face().width() / 2, knob->face().height() / 2).alpha(),
            255);
    }
}
