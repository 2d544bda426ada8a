#pragma once

#include <QFont>
#include <QString>

// Fonts the drawn controls ask for by their design names. "Tahoma" is served by the free
// metric-compatible face that Debian's fonts-wine ships outside fontconfig's path (registered
// with the application on first use), else by DejaVu Sans; "Arial" by Liberation Sans, else
// DejaVu Sans; other families are left to fontconfig's own fallback. Sizes are points at 96 pixels
// per inch: the controls draw into 96-dpi images, so 8.25 points is 11 pixels on every screen. UI
// thread only (needs a QGuiApplication).

// Registers the substitutes once; every call after the first does nothing.
void registerControlFonts();

// A font as a stored design names it: family, size in points and weight (400 regular, 700 bold).
QFont controlFont(const QString& family, double points, int weight = 400);

// The font a control uses when its host gives none: Tahoma, 8.25 points, regular.
QFont defaultControlFont();
