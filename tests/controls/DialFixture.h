#pragma once

#include "BagOf.h"
#include "controls/AnalogClock.h"
#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/PropertyBag.h"

#include <cmath>
#include <ostream>

#include <QTest>

// The point at `radius` pixels from a dial's centre in the direction of a minute.
inline QPoint pointAtMinute(const AnalogClock& clock, double minute, double radius)
{
    const DialGeometry g = clock.geometry();
    const double a = (90 - minute * 6) * 3.14159265358979 / 180;
    return QPoint(static_cast<int>(std::lround(g.centreX + radius * std::cos(a))),
        static_cast<int>(std::lround(g.centreY - radius * std::sin(a))));
}

// The tempo dial as the main window stores it (everything else default), loaded, sized and
// shown; counts Change and the reported keys.
struct Dial
{
    static PropertyBag mainWindowBag()
    {
        return bagOf({ { "TitleShow", false }, { "TitleFormat", QStringLiteral("h:nn") },
            { "TitleWidth", 165 }, { "ClockBoxStyle", 1 }, { "ClockBevelWidth", 7 },
            { "ClockBackColor", 0 }, { "ClockForeColor", 0xFFFFFF },
            { "ClockFont", QVariant::fromValue(controlFont(QStringLiteral("Tahoma"), 8.25)) },
            { "HandMinuteColor", 0xFFFFFF }, { "HandSecondShow", true }, { "HLForeColor", 0xC0 },
            { "AMPMShow", false } });
    }

    AnalogClock clock;
    DrawSurface* face = nullptr;
    int changes = 0;
    QStringList keys;

    explicit Dial(const PropertyBag& bag = mainWindowBag(), QSize size = { 203, 183 })
    {
        clock.load(bag);
        clock.resize(size);
        clock.show();
        face = clock.findChild<DrawSurface*>();
        QObject::connect(&clock, &AnalogClock::Change, [this] {
            ++changes;
        });
        QObject::connect(&clock, &CustomControl::propertyChanged, [this](const QString& k) {
            keys << k;
        });
    }

    QPoint atMinute(double minute, double radius = 40) const
    {
        return pointAtMinute(clock, minute, radius);
    }

    OleColor shownPixel(int x, int y) const
    {
        return fromQColor(QColor(face->grab().toImage().pixel(x, y)));
    }
};

inline double timeOf(int h, int m, int s)
{
    return (h * 3600 + m * 60 + s) / 86400.0;
}

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
