#pragma once

#include <cstdint>

#include <QColor>

// Colours as the controls store them: a 32-bit number that is either a plain colour &H00BBGGRR
// (red in the low byte) or a system colour &H800000nn naming entry nn of the desktop palette.
// Properties keep the number exactly as assigned or loaded; it becomes a real colour only when
// something is drawn with it.
using OleColor = std::uint32_t;

// System colours the controls use by default.
namespace SystemColor {
inline constexpr OleColor kWindowBackground = 0x80000005u;
inline constexpr OleColor kHighlight = 0x8000000Du;
inline constexpr OleColor kHighlightText = 0x8000000Eu;
inline constexpr OleColor kButtonFace = 0x8000000Fu;
inline constexpr OleColor kButtonShadow = 0x80000010u;
inline constexpr OleColor kGrayText = 0x80000011u;
inline constexpr OleColor kButtonText = 0x80000012u;
inline constexpr OleColor kButtonHighlight = 0x80000014u;
inline constexpr OleColor k3DDarkShadow = 0x80000015u;
inline constexpr OleColor k3DLight = 0x80000016u;
inline constexpr OleColor kInfoText = 0x80000017u;
inline constexpr OleColor kInfoBackground = 0x80000018u;
} // namespace SystemColor

constexpr OleColor rgbColor(int red, int green, int blue)
{
    return static_cast<OleColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

constexpr bool isSystemColor(OleColor color)
{
    return (color & 0xFF000000u) == 0x80000000u;
}

// The plain &H00BBGGRR value a colour draws with. System colours come from a fixed table of the
// classic grey desktop palette, never from the running desktop's theme, so the controls look the
// same on every desktop. A system index past the table, or a colour with any other top byte than
// 0x00 or 0x80, cannot be translated: `ok` is false and `rgb` is black.
struct TranslatedColor
{
    OleColor rgb = 0;
    bool ok = false;
};

TranslatedColor translateColor(OleColor color);

// translateColor as a QColor (opaque); black for a colour that cannot be translated.
QColor toQColor(OleColor color);

// The &H00BBGGRR number of a QColor (alpha dropped).
OleColor fromQColor(const QColor& color);
