#include "controls/SliderGeometry.h"

#include "platform/basic/Conversions.h"

#include <algorithm>

namespace {

std::int32_t half(std::int32_t v)
{
    return CLng(v / 2.0).value_or(0);
}

// Rounds halves to even and holds the result inside the 32-bit range.
std::int32_t toInt32(double v)
{
    if (v != v)
        return 0;
    return static_cast<std::int32_t>(
        roundHalfEven(std::clamp<double>(v, INT32_MIN, static_cast<double>(INT32_MAX))));
}

} // namespace

namespace {

// Across the track: the narrower of track and pointer is centred on the wider, which sets the
// control's size in that direction.
void centreAcross(std::int32_t track,
    std::int32_t pointer,
    std::int32_t& trackStart,
    std::int32_t& pointerStart,
    std::int32_t& surface)
{
    if (track <= pointer) {
        trackStart = half(pointer - track);
        pointerStart = 0;
        surface = pointer;
    } else {
        pointerStart = half(track - pointer);
        trackStart = 0;
        surface = track;
    }
}

} // namespace

void SliderGeometry::layout(std::int32_t orientation)
{
    if (isHorizontal(orientation)) {
        centreAcross(sliderHeight, pointerHeight, sliderTop, pointerTop, surfaceHeight);
        surfaceWidth = sliderWidth + pointerWidth;
        sliderLeft = half(pointerWidth);
    } else {
        centreAcross(sliderWidth, pointerWidth, sliderLeft, pointerLeft, surfaceWidth);
        surfaceHeight = sliderHeight + pointerHeight;
        sliderTop = half(pointerHeight);
    }
}

namespace {

bool isKnown(std::int32_t orientation)
{
    return orientation >= 0 && orientation <= 3;
}

// The bound at the track's start: Min, or Max for the orientations that put Max first.
std::int64_t startBound(std::int32_t orientation, std::int32_t min, std::int32_t max)
{
    return orientation == 1 || orientation == 3 ? max : min;
}

std::int64_t endBound(std::int32_t orientation, std::int32_t min, std::int32_t max)
{
    return orientation == 1 || orientation == 3 ? min : max;
}

} // namespace

std::int32_t SliderGeometry::valueToPixel(
    std::int32_t value, std::int32_t orientation, std::int32_t min, std::int32_t max) const
{
    if (!isKnown(orientation))
        return 0;
    const std::int64_t start = startBound(orientation, min, max);
    const std::int64_t range = endBound(orientation, min, max) - start;
    const std::int64_t length = isHorizontal(orientation) ? sliderWidth : sliderHeight;
    // Bounds read from stored properties are not checked: an empty range puts the pointer at
    // the start rather than dividing by zero.
    if (range == 0)
        return 0;
    return toInt32(static_cast<double>((value - start) * length) / static_cast<double>(range));
}

std::optional<std::int32_t> SliderGeometry::pixelToValue(
    double coordinate, std::int32_t orientation, std::int32_t min, std::int32_t max) const
{
    const bool horizontal = isHorizontal(orientation);
    const std::int32_t length = horizontal ? sliderWidth : sliderHeight;
    if (length == 0)
        return std::nullopt;
    if (!isKnown(orientation))
        return 0;
    const double along = coordinate - (horizontal ? sliderLeft : sliderTop);
    const std::int64_t start = startBound(orientation, min, max);
    const double range = static_cast<double>(endBound(orientation, min, max) - start);
    return toInt32(static_cast<double>(start) + along * range / length);
}
