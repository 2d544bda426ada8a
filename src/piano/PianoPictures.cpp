#include "piano/PianoPictures.h"

#include "controls/ControlFonts.h"
#include "controls/GGCommand.h"
#include "controls/PropertyBag.h"
#include "controls/SvgPicture.h"

#include <QPainter>

QImage pianoPicture(const QString& name)
{
    return renderSvgPicture(QStringLiteral(":/piano/%1.svg").arg(name));
}

QBitmap roundedMask(QSize size, int corner)
{
    QBitmap mask(size);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(QPoint(0, 0), size), corner / 2.0, corner / 2.0);
    return mask;
}

GGCommand* makePianoButton(QWidget* parent,
    const QRect& place,
    const QString& caption,
    const QString& toolTip,
    const QString& glyph)
{
    PropertyBag bag;
    bag.set(QStringLiteral("Caption"), caption);
    bag.set(QStringLiteral("GradientToColor"), 0x808080);
    bag.set(QStringLiteral("FontColorOnHover"), 0xFFFFFF);
    bag.set(
        QStringLiteral("Font"), QVariant::fromValue(controlFont(QStringLiteral("Arial"), 8.25)));
    if (!toolTip.isEmpty())
        bag.set(QStringLiteral("ToolTip"), toolTip);
    if (!glyph.isEmpty())
        bag.set(QStringLiteral("BackColor"), 0xE0E0E0);
    auto* button = new GGCommand(parent);
    button->setGeometry(place);
    button->load(bag);
    if (!glyph.isEmpty())
        button->setCaptionGlyph(pianoPicture(glyph));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
