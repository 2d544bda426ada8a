#pragma once

#include <QBitmap>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class GGCommand;
class QWidget;

// The piano's and the drum-pad window's pictures, drawn from our SVGs under ":/piano/" at their
// own size; a null image when `name` has none.
QImage pianoPicture(const QString& name);

// A window mask: the rectangle of `size` with its corners rounded by ellipses `corner` pixels
// across.
QBitmap roundedMask(QSize size, int corner);

// A gradient button of the piano's windows that never takes the focus from the piano; `glyph`
// names the picture drawn in place of a symbol-font caption.
GGCommand* makePianoButton(QWidget* parent,
    const QRect& place,
    const QString& caption,
    const QString& toolTip,
    const QString& glyph = {});
