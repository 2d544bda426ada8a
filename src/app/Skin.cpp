#include "app/Skin.h"

#include "controls/SvgPicture.h"

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
    return renderSvgPicture(skinPicturePath(name));
}
