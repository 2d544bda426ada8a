#include "controls/ControlFonts.h"

#include <QFile>
#include <QFontDatabase>

namespace {

constexpr auto kWineFontFolder = "/usr/share/wine/fonts/";

void addFontFile(const QString& path)
{
    if (QFile::exists(path))
        QFontDatabase::addApplicationFont(path);
}

} // namespace

void registerControlFonts()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    const QString folder = QString::fromLatin1(kWineFontFolder);
    addFontFile(folder + QStringLiteral("tahoma.ttf"));
    addFontFile(folder + QStringLiteral("tahomabd.ttf"));
    // Substitutes are only consulted when the family itself is missing.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), { QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("Arial"),
        { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
        { QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans") });
}

QFont controlFont(const QString& family, double points, int weight)
{
    registerControlFonts();
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(static_cast<QFont::Weight>(qBound(1, weight, 1000)));
    return font;
}

QFont defaultControlFont()
{
    return controlFont(QStringLiteral("Tahoma"), 8.25);
}
