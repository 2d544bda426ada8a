#include "app/Skin.h"

#include <QPainter>
#include <QSvgRenderer>

QRect skinPlace(std::string_view control)
{
    for (const SkinPlace& place : kSkinPlaces) {
        if (place.control == control)
            return place.rect;
    }
    return {};
}

QString skinPicturePath(std::string_view name)
{
    return QStringLiteral(":/skin/") + QString::fromUtf8(name.data(), qsizetype(name.size()))
        + QStringLiteral(".svg");
}

QImage renderSkinPicture(std::string_view name)
{
    QSvgRenderer renderer(skinPicturePath(name));
    if (!renderer.isValid() || renderer.defaultSize().isEmpty())
        return {};
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
