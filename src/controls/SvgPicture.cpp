#include "controls/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

QImage renderSvgPicture(const QString& path)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || renderer.defaultSize().isEmpty())
        return {};
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
