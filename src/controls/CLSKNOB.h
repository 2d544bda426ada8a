#pragma once

#include <array>
#include <cstdint>

class Canvas;

// The rotary knob's arithmetic and drawing: the pointer angle, the trigonometric tables, the
// value the angle stands for in each range, and the white indicator line.
//
// Angles are degrees; the indicator points from the centre towards (sin a, cos a) with y growing
// downward: 0 points down, 90 right, 180 up. The usable arc runs from 315 (lower left, the value
// 0) over the top to 45 (lower right, the top of the range); the angle never leaves 45..315, so
// every table index stays within 0..359.
//
// The fields keep their single and 16-bit precisions on purpose: the values a knob reads depend
// on them.
class CLSKNOB
{
public:
    // Sine and cosine of i x 3.14 / 180 (3.14, not pi).
    std::array<double, 360> SinTable {};
    std::array<double, 360> CosTable {};
    float Angle = 0;
    // The counter value handed to the previous drawKnob.
    std::int16_t LastValue = 0;
    std::int16_t InnerRadius = 0;
    std::int16_t OuterRadius = 0;
    // Working values of the last drawing: the centre and the line's ends, in pixels.
    float CenterX = 0;
    float CenterY = 0;
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;

    // Fills the tables and puts the pointer at 45.
    void BuildTable();

    // Clears Face to its picture and draws the indicator, after turning by one step in the
    // direction Value moved from LastValue (however far it moved): Step x 27 degrees in Mode 0,
    // 2.7 x Step in Mode 1, 0.27 x Step in Mode 2, none in any other mode. A counter that went up
    // turns anticlockwise on screen, towards 45. Size 0..4 chooses the line's radii; any other
    // Size keeps the previous ones.
    void drawKnob(
        Canvas& Face, std::int16_t Value, std::int16_t Mode, std::int16_t Step, std::int16_t Size);

    // The angle's value in 0..10 (Mode 0), 0..100 (1) or 0..1000 (2), halves to even; 0 for any
    // other Mode.
    std::int16_t GetValue(std::int16_t Mode) const;
};
