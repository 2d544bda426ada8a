#pragma once

#include <cstdint>
#include <optional>

class QWidget;

// Window scaling for displays that are not 96 logical pixels per inch. Layouts are designed at
// 96, in twips (15 to a pixel); a window calls its operation once while it loads, and on such a
// display every control of the types the operation's table names is scaled by r (the design
// width of the window's reference picture over its current width) and its font by f, while the
// reference picture, the window itself, gradient buttons, sliders and knobs stay as they are.
//
// Qt scales a whole window by itself when it can (a device pixel ratio above 1, with 96 logical
// pixels per inch reported to the widgets): then the scaler does nothing, or it would scale twice.
// It runs only where Qt draws at the desktop's DPI unscaled. There f is the logical DPI over 96,
// rounded to two decimals, so that a font keeps the pixel size it was designed for.
//
// Controls are visited in creation order, each window's children before the next sibling; the
// insides of compound widgets and drawn controls are not controls of the window. The kinds:
// text box QLineEdit, label QLabel, command button QPushButton, image a QLabel showing a picture
// and no text, combo box QComboBox, progress bar QProgressBar, rich text box QTextEdit, check box
// QCheckBox, tempo dial AnalogClock, picture box a DrawSurface or a QLabel that holds controls.
// The first row of the table whose kind matches applies, its steps in order.
//
// UI thread only.

// The factors of one scaling: f for fonts, r for geometry.
struct ScaleFactors
{
    float f = 1;
    float r = 1;
};

// The factors for a window at this logical DPI and device pixel ratio, or nothing when there is
// nothing to do: 96 DPI, Qt scaling the window, a DPI that is not positive, or a current width
// that is not (which would divide by 0).
std::optional<ScaleFactors> scaleFactors(double logicalDpi,
    double devicePixelRatio,
    std::int16_t DesignWidth,
    std::int16_t CurrentWidth);

// The font step: the size rounded to whole points, divided by f, rounded again (halves to even,
// the quotient in double); never below 1 point.
int fontStep(double points, float f);

// A geometry step: a length in twips divided by r, in double and unrounded.
double geometryStep(double twips, float r);

// True when the window's logical DPI is 96.
bool IsSmallFonts(const QWidget& window);

enum class ScalingTable { Form, Klavir };

// Scales the controls of `frm` by the given factors and table; the operations below call it once
// they know their factors.
void scaleControls(QWidget& frm, ScalingTable table, const ScaleFactors& factors);

class clsResize
{
public:
    // The main window: the width of its skin picture as designed (3540) and as it is.
    void ResizeForm(QWidget& frm, std::int16_t DesignWidth, std::int16_t CurrentWidth);
    // The piano window: the same, for its background picture, which is left alone by its name.
    void ResizeKlavir(QWidget& frm, std::int16_t DesignWidth, std::int16_t CurrentWidth);
};
