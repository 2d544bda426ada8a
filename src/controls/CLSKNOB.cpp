#include "controls/CLSKNOB.h"

#include "controls/Canvas.h"
#include "platform/basic/Conversions.h"

#include <cmath>

namespace {

constexpr double kTablePi = 3.14;
constexpr float kLowest = 45;
constexpr float kHighest = 315;

struct Radii
{
    std::int16_t inner, outer;
};

constexpr Radii kRadii[] = { { 6, 12 }, { 8, 15 }, { 10, 18 }, { 12, 22 }, { 15, 27 } };

} // namespace

void CLSKNOB::BuildTable()
{
    for (int i = 0; i < 360; ++i) {
        SinTable[i] = std::sin(kTablePi / 180 * i);
        CosTable[i] = std::cos(kTablePi / 180 * i);
    }
    Angle = kLowest;
}

void CLSKNOB::drawKnob(
    Canvas& Face, std::int16_t Value, std::int16_t Mode, std::int16_t Step, std::int16_t Size)
{
    Face.clear();
    Face.setDrawWidth(2);
    CenterX = static_cast<float>(Face.scaleWidth() / 2.0);
    CenterY = static_cast<float>(Face.scaleHeight() / 2.0);

    if (Value != LastValue && Mode >= 0 && Mode <= 2) {
        // In 32 bits: a step of a few thousand times 27 does not fit 16.
        const double d = Mode == 0 ? static_cast<double>(std::int32_t { Step } * 27)
            : Mode == 1            ? 2.7 * Step
                                   : 0.27 * Step;
        Angle = static_cast<float>(Value > LastValue ? Angle - d : Angle + d);
    }
    if (Angle > kHighest)
        Angle = kHighest;
    if (Angle < kLowest)
        Angle = kLowest;

    if (Size >= 0 && Size <= 4) {
        InnerRadius = kRadii[Size].inner;
        OuterRadius = kRadii[Size].outer;
    }
    const auto k = static_cast<std::size_t>(roundHalfEven(Angle));
    X1 = static_cast<float>(CenterX + InnerRadius * SinTable[k]);
    Y1 = static_cast<float>(CenterY + InnerRadius * CosTable[k]);
    X2 = static_cast<float>(CenterX + OuterRadius * SinTable[k]);
    Y2 = static_cast<float>(CenterY + OuterRadius * CosTable[k]);
    Face.line(X1, Y1, X2, Y2, 0xFFFFFF);
    LastValue = Value;
}

std::int16_t CLSKNOB::GetValue(std::int16_t Mode) const
{
    const double angle = Angle;
    double value = 0;
    if (Mode == 0)
        value = std::abs(angle / 27 - 12);
    else if (Mode == 1)
        value = std::abs(angle / 2.7 - 117);
    else if (Mode == 2)
        value = std::abs(angle / 0.27 - 1167);
    return static_cast<std::int16_t>(roundHalfEven(value));
}
