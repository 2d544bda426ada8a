#include "controls/MaskedPicture.h"

#include "platform/basic/Conversions.h"

#include <algorithm>
#include <cstdint>

#include <QPainter>

namespace {

// Coordinates beyond any picture's size are held here before they are used, so that the
// clipping arithmetic below cannot overflow whatever a caller passes.
constexpr double kFarAway = 1 << 28;

std::int64_t toPixel(double v)
{
    if (!(v > -kFarAway))
        return static_cast<std::int64_t>(-kFarAway);
    if (!(v < kFarAway))
        return static_cast<std::int64_t>(kFarAway);
    return static_cast<std::int64_t>(roundHalfEven(v));
}

QRgb rgbOf(OleColor color)
{
    return toQColor(color).rgb() & RGB_MASK;
}

} // namespace

void TransparentBlit(QImage& dest,
    double x,
    double y,
    double width,
    double height,
    const QImage& source,
    double sourceX,
    double sourceY,
    OleColor maskColor)
{
    if (dest.isNull() || source.isNull())
        return;
    const std::int64_t dx = toPixel(x);
    const std::int64_t dy = toPixel(y);
    const std::int64_t sx = toPixel(sourceX);
    const std::int64_t sy = toPixel(sourceY);
    // The offsets (i, j) inside the rectangle that land in both pictures.
    const std::int64_t iBegin = std::max<std::int64_t>({ 0, -dx, -sx });
    const std::int64_t iEnd =
        std::min<std::int64_t>({ toPixel(width), dest.width() - dx, source.width() - sx });
    const std::int64_t jBegin = std::max<std::int64_t>({ 0, -dy, -sy });
    const std::int64_t jEnd =
        std::min<std::int64_t>({ toPixel(height), dest.height() - dy, source.height() - sy });
    const QRgb mask = rgbOf(maskColor);
    for (std::int64_t j = jBegin; j < jEnd; ++j) {
        for (std::int64_t i = iBegin; i < iEnd; ++i) {
            const QRgb pixel = source.pixel(static_cast<int>(sx + i), static_cast<int>(sy + j));
            if ((pixel & RGB_MASK) != mask)
                dest.setPixel(
                    static_cast<int>(dx + i), static_cast<int>(dy + j), pixel | ~RGB_MASK);
        }
    }
}

QImage opaquePicture(const QImage& picture, OleColor background)
{
    if (picture.isNull())
        return {};
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage result(picture.size(), QImage::Format_RGB32);
    result.fill(toQColor(background));
    QPainter painter(&result);
    painter.drawImage(0, 0, picture);
    return result;
}

QRegion maskRegion(const QImage& image, OleColor seeThrough)
{
    const QRgb clear = rgbOf(seeThrough);
    QRegion region;
    for (int y = 0; y < image.height(); ++y) {
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && (image.pixel(x, y) & RGB_MASK) == clear)
                ++x;
            const int start = x;
            while (x < image.width() && (image.pixel(x, y) & RGB_MASK) != clear)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    if (region.isEmpty())
        return QRegion(-1, -1, 1, 1);
    return region;
}
