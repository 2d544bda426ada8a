#include "controls/DrawSurface.h"

#include <stdexcept>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// Records what the surface reports, in order, as "Down 1 0 10,20".
struct Recorder
{
    QStringList events;

    explicit Recorder(DrawSurface& surface)
    {
        auto record = [this](const char* name) {
            return [this, name](int button, int shift, float x, float y) {
                events << QStringLiteral("%1 %2 %3 %4,%5")
                              .arg(QLatin1String(name))
                              .arg(button)
                              .arg(shift)
                              .arg(double(x))
                              .arg(double(y));
            };
        };
        QObject::connect(&surface, &DrawSurface::mouseDown, record("Down"));
        QObject::connect(&surface, &DrawSurface::mouseMove, record("Move"));
        QObject::connect(&surface, &DrawSurface::mouseUp, record("Up"));
    }
};

} // namespace

TEST(DrawSurface, ReportsThePressedButtonOnPressAndReleaseAndTheHeldMaskOnMove)
{
    DrawSurface surface;
    surface.resize(50, 40);
    Recorder r(surface);
    QTest::mousePress(&surface, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseMove(&surface, QPoint(11, 21));
    QTest::mousePress(&surface, Qt::RightButton, Qt::ControlModifier, QPoint(12, 22));
    QTest::mouseMove(&surface, QPoint(13, 23));
    QTest::mouseRelease(&surface, Qt::LeftButton, Qt::AltModifier, QPoint(14, 24));
    QTest::mouseMove(&surface, QPoint(60, 70)); // outside, right button still held
    QTest::mouseRelease(&surface, Qt::RightButton, {}, QPoint(60, 70));
    EXPECT_EQ(r.events,
        (QStringList { "Down 1 1 10,20", "Move 1 0 11,21", "Down 2 2 12,22", "Move 3 0 13,23",
            "Up 1 4 14,24", "Move 2 0 60,70", "Up 2 0 60,70" }));
}

TEST(DrawSurface, AThrowingHandlerStopsAtTheEventThatRaisedIt)
{
    DrawSurface surface;
    surface.resize(50, 40);
    int after = 0;
    QObject::connect(&surface, &DrawSurface::mouseDown, [](int, int, float, float) {
        throw std::runtime_error("handler failed");
    });
    QObject::connect(&surface, &DrawSurface::mouseUp, [&](int, int, float, float) {
        ++after;
    });
    QTest::mousePress(&surface, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(&surface, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(after, 1);
}
