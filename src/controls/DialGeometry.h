#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// The arithmetic of the tempo dial's face, apart from any drawing: where the face sits, where
// the hand points for a minute, and which minute a pointer position means. Angles are degrees
// counter-clockwise from 3 o'clock; pixel y grows downward. Rounding is halves to even
// throughout, on the whole expression.

inline constexpr double kDialPi = 3.14159265358979;

inline double dialRadians(double degrees)
{
    return degrees * (kDialPi / 180);
}

struct DialGeometry
{
    int centreX = 0;
    int centreY = 0;
    // The radius on which the minute dots and hour markers sit.
    int faceRadius = 0;
};

// For a surface of width x height pixels, with or without a title strip of titleHeight pixels.
DialGeometry dialGeometry(int width, int height, bool titleShow, int titleHeight);

// The box a marker's label is centred in (left, top, right, bottom; top == bottom), for a marker
// angle 0, 30 ... 330.
struct LabelBox
{
    int left, top, right, bottom;
};

LabelBox labelBox(const DialGeometry& geometry, int angle);

// The face inside the face box's bevel, for a face box from (0, top) to (width - 1, height - 1)
// with a bevel of `bevel` pixels (0 when the box is drawn flat).
QRect dialFace(int width, int height, int top, int bevel);

// How far a label whose ink covers `ink` must move to lie wholly on `face`: on each axis toward
// the centre, just as far as the edge it crosses needs, and not at all on an axis it does not
// cross. Ink larger than the face is moved to the face's left or top edge.
QPoint inwardShift(const QRect& ink, const QRect& face);

// " 0" at 12 o'clock, then clockwise " 15", " 30" ... " 165": three times the minute at each
// five-minute mark, the tempo the hand then stands for.
QString labelText(int angle);

// The hand's angle for a minute 0..59: 450 (the top) for 0, 0 for 15, 270 for 30.
int handAngle(int minute);

// The whole-degree angle of a pointer at (dx, dy) from the centre (dy downward); 0 at the centre.
int pointerAngle(int dx, int dy);

// The minute a pointer angle points at, clockwise from 12: halves to even, 60 wraps to 0.
int minuteAtAngle(int angle);
