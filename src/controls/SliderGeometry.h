#pragma once

#include <cstdint>
#include <optional>

// The arithmetic of the picture slider apart from any drawing: where the track and the pointer
// lie in the control, and how a value and a pixel along the track map to each other. Pixels of
// the control's client area, x right and y down. Halves round to even throughout.
//
// Orientation: 0 horizontal with Min at the left, 1 horizontal with Max at the left, 2 vertical
// with Min at the top, 3 vertical with Max at the top. Any other number is laid out and takes
// the mouse as vertical, but maps every value to pixel 0 and every pixel to value 0.
//
// The mapping runs in 64-bit and double arithmetic, so no range of 32-bit bounds overflows; a
// value far outside the bounds (a PositionChanged handler may store one) maps to a pixel held
// inside the 32-bit range.
struct SliderGeometry
{
    // The pictures' sizes; the pointer is 0 x 0 when there is none.
    std::int32_t sliderWidth = 0;
    std::int32_t sliderHeight = 0;
    std::int32_t pointerWidth = 0;
    std::int32_t pointerHeight = 0;
    // Top-left corners. Along the track pointerLeft (horizontal) or pointerTop (vertical) is
    // also the pointer's offset from the track's start.
    std::int32_t sliderLeft = 0;
    std::int32_t sliderTop = 0;
    std::int32_t pointerLeft = 0;
    std::int32_t pointerTop = 0;
    // The composed picture's size, which is the control's size.
    std::int32_t surfaceWidth = 0;
    std::int32_t surfaceHeight = 0;

    static bool isHorizontal(std::int32_t orientation)
    {
        return orientation == 0 || orientation == 1;
    }

    // Centres the narrower of track and pointer across the track and leaves half a pointer at
    // each end along it. Leaves the pointer's offset along the track alone.
    void layout(std::int32_t orientation);

    // The pointer's offset along the track for a value.
    std::int32_t valueToPixel(
        std::int32_t value, std::int32_t orientation, std::int32_t min, std::int32_t max) const;

    // The value for a mouse coordinate (x for horizontal orientations, y otherwise), in the
    // control's pixels. Empty for a track of no length, which has no value to give.
    std::optional<std::int32_t> pixelToValue(
        double coordinate, std::int32_t orientation, std::int32_t min, std::int32_t max) const;

    // The pointer's offset along the track: pointerLeft or pointerTop by orientation.
    std::int32_t& pointerOffset(std::int32_t orientation)
    {
        return isHorizontal(orientation) ? pointerLeft : pointerTop;
    }
};
