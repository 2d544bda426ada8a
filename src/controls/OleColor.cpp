#include "controls/OleColor.h"

#include <array>

namespace {

// The classic grey desktop scheme, indexed by system colour number (0 scroll bar ... 30 menu bar).
constexpr std::array<OleColor, 31> kClassicPalette = {
    rgbColor(212, 208, 200), // 0 scroll bar
    rgbColor(58, 110, 165), // 1 desktop
    rgbColor(10, 36, 106), // 2 active caption
    rgbColor(128, 128, 128), // 3 inactive caption
    rgbColor(212, 208, 200), // 4 menu
    rgbColor(255, 255, 255), // 5 window background
    rgbColor(0, 0, 0), // 6 window frame
    rgbColor(0, 0, 0), // 7 menu text
    rgbColor(0, 0, 0), // 8 window text
    rgbColor(255, 255, 255), // 9 caption text
    rgbColor(212, 208, 200), // 10 inactive border
    rgbColor(212, 208, 200), // 11 active border
    rgbColor(128, 128, 128), // 12 application workspace
    rgbColor(10, 36, 106), // 13 selection highlight
    rgbColor(255, 255, 255), // 14 selection highlight text
    rgbColor(212, 208, 200), // 15 button face
    rgbColor(128, 128, 128), // 16 button shadow
    rgbColor(128, 128, 128), // 17 grey text
    rgbColor(0, 0, 0), // 18 button text
    rgbColor(212, 208, 200), // 19 inactive caption text
    rgbColor(255, 255, 255), // 20 button highlight
    rgbColor(64, 64, 64), // 21 3D dark shadow
    rgbColor(212, 208, 200), // 22 3D light
    rgbColor(0, 0, 0), // 23 tooltip text
    rgbColor(255, 255, 225), // 24 tooltip background
    rgbColor(192, 192, 192), // 25 (unused slot)
    rgbColor(0, 0, 128), // 26 hot-tracked item
    rgbColor(166, 202, 240), // 27 active caption gradient
    rgbColor(192, 192, 192), // 28 inactive caption gradient
    rgbColor(10, 36, 106), // 29 menu highlight
    rgbColor(212, 208, 200), // 30 menu bar
};

} // namespace

TranslatedColor translateColor(OleColor color)
{
    if ((color & 0xFF000000u) == 0)
        return { color, true };
    if (isSystemColor(color)) {
        const OleColor index = color & 0x00FFFFFFu;
        if (index < kClassicPalette.size())
            return { kClassicPalette[index], true };
    }
    return { 0, false };
}

QColor toQColor(OleColor color)
{
    const OleColor rgb = translateColor(color).rgb;
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
        static_cast<int>(rgb >> 16 & 0xFF));
}

OleColor fromQColor(const QColor& color)
{
    return rgbColor(color.red(), color.green(), color.blue());
}
