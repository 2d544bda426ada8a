#pragma once

#include <QImage>
#include <QString>

// The SVG picture at `path` (a resource path) drawn at its own size on a clear background; a null
// image when it is missing, broken or has no size.
QImage renderSvgPicture(const QString& path);
