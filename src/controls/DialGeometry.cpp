#include "controls/DialGeometry.h"

#include "platform/basic/Conversions.h"

#include <cmath>
#include <cstdlib>

namespace {

int rounded(double v)
{
    return static_cast<int>(roundHalfEven(v));
}

} // namespace

DialGeometry dialGeometry(int width, int height, bool titleShow, int titleHeight)
{
    DialGeometry g;
    g.centreX = rounded(width / 2.0);
    double radius = 0;
    if (titleShow) {
        const double half = (height - titleHeight) / 2.0;
        g.centreY = rounded(half + titleHeight);
        radius = half > g.centreX ? g.centreX : g.centreY - titleHeight;
    } else {
        g.centreY = rounded(height / 2.0);
        radius = height / 2.0 > g.centreX ? g.centreX : g.centreY;
    }
    g.faceRadius = rounded(radius - radius * 0.28);
    return g;
}

LabelBox labelBox(const DialGeometry& g, int angle)
{
    const double x = g.centreX + (g.faceRadius + 12) * std::cos(dialRadians(angle));
    const double y = g.centreY - (g.faceRadius + 12) * std::sin(dialRadians(angle));
    return { rounded(x - 3), rounded(y), rounded(x), rounded(y) };
}

QRect dialFace(int width, int height, int top, int bevel)
{
    return QRect(QPoint(bevel, top + bevel), QPoint(width - 1 - bevel, height - 1 - bevel));
}

QPoint inwardShift(const QRect& ink, const QRect& face)
{
    if (ink.isEmpty())
        return {};
    auto along = [](int inkLow, int inkHigh, int faceLow, int faceHigh) {
        if (inkLow < faceLow)
            return faceLow - inkLow;
        if (inkHigh > faceHigh)
            return faceHigh - inkHigh;
        return 0;
    };
    return QPoint(along(ink.left(), ink.right(), face.left(), face.right()),
        along(ink.top(), ink.bottom(), face.top(), face.bottom()));
}

QString labelText(int angle)
{
    const int fromTop = ((90 - angle) % 360 + 360) % 360;
    return Str(fromTop / 30 * 15);
}

int handAngle(int minute)
{
    if (minute >= 1 && minute <= 15)
        return (15 - minute) * 6;
    return std::abs(minute - 75) * 6;
}

int pointerAngle(int dx, int dy)
{
    if (dx == 0)
        return dy > 0 ? 270 : dy < 0 ? 90 : 0;
    if (dy == 0 && dx > 0)
        return 0;
    const double t = std::atan(std::abs(static_cast<double>(dy) / dx)) * 180 / kDialPi;
    if (dx > 0)
        return dy < 0 ? rounded(t) : rounded(360 - t);
    return dy <= 0 ? rounded(180 - t) : rounded(t + 180);
}

int minuteAtAngle(int angle)
{
    const int clockwise = angle >= 0 && angle <= 90 ? std::abs(angle - 90) : 450 - angle;
    const int minute = rounded(clockwise / 6.0);
    return minute == 60 ? 0 : minute;
}
