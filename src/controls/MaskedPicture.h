#pragma once

#include "controls/OleColor.h"

#include <QImage>
#include <QRegion>

// Pictures that carry their see-through parts as one colour (the mask colour) rather than as an
// alpha channel, the way the drawn controls compose their surfaces. Mask colours are OleColor
// numbers, translated like every other colour (one that cannot be translated means black).

// Copies the width x height rectangle of `source` at (sourceX, sourceY) onto `dest` at (x, y),
// leaving out the source pixels of the mask colour: there `dest` keeps what it had. Geometry may
// be fractional and rounds halves to even. Parts of the rectangle outside either picture are
// left out as well, so any coordinates are safe; an empty or negative size copies nothing.
// `dest` must be an RGB32 or ARGB32 image; the source's alpha is not looked at (see
// opaquePicture).
void TransparentBlit(QImage& dest,
    double x,
    double y,
    double width,
    double height,
    const QImage& source,
    double sourceX,
    double sourceY,
    OleColor maskColor);

// The picture as an opaque RGB32 image: what is transparent in it shows `background`, as a
// picture drawn onto that colour would. A picture with see-through parts in its alpha channel
// (an icon, an SVG rendering) thus sees through by colour once drawn over the mask colour. A null
// picture stays null.
QImage opaquePicture(const QImage& picture, OleColor background);

// The pixels of `image` that are not of the see-through colour, as a widget mask in the image's
// coordinates. When every pixel sees through, the region is a single pixel outside the image:
// an empty QRegion would clear a widget's mask and make it wholly opaque instead.
QRegion maskRegion(const QImage& image, OleColor seeThrough);
