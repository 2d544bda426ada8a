#pragma once

#include "platform/basic/Conversions.h"

#include <cstdint>

// Layouts are designed at 96 pixels per inch, in twips (1440 per inch): 15 twips to a pixel in
// both directions, whatever the screen reports.
inline constexpr int kTwipsPerPixel = 15;

// Whole pixels for a twip count, halves to even (22.5 pixels -> 22). 64-bit, so no twip count
// a control can hold overflows.
// Not-a-number gives 0; counts beyond the 64-bit range are held at its ends.
inline std::int64_t twipsToPixels(double twips)
{
    const double pixels = roundHalfEven(twips / kTwipsPerPixel);
    if (pixels != pixels)
        return 0;
    if (pixels >= 9.2e18)
        return INT64_MAX;
    if (pixels <= -9.2e18)
        return INT64_MIN;
    return static_cast<std::int64_t>(pixels);
}

inline std::int64_t pixelsToTwips(std::int64_t pixels)
{
    return pixels * kTwipsPerPixel;
}
