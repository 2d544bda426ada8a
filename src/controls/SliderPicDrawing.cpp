#include "controls/DrawSurface.h"
#include "controls/Guarded.h"
#include "controls/MaskedPicture.h"
#include "controls/SliderPic.h"
#include "platform/basic/Conversions.h"

#include <algorithm>

#include <QPainter>

namespace {

std::int32_t shiftedChannel(std::int32_t k, std::int32_t delta)
{
    // Dark channels move further, so that a dark picture still shows the change.
    const std::int32_t moved = k < 128 ? CLng(delta * 2.5 + k).value_or(0) : k + delta;
    return std::clamp(moved, 0, 255);
}

// The surface's pixels one by one, each recoloured unless it sees through.
void recolourDisabled(QImage& surface, std::int32_t delta, OleColor maskRgb)
{
    for (int x = 0; x < surface.width(); ++x) {
        for (int y = 0; y < surface.height(); ++y) {
            const OleColor colour = fromQColor(QColor(surface.pixel(x, y)));
            if (colour == maskRgb)
                continue;
            surface.setPixel(x, y, toQColor(disabledColour(colour, delta, maskRgb)).rgb());
        }
    }
}

// A groove picture: a fill between an edge line on top and one at the bottom.
QImage groovePicture(const QColor& fill, const QColor& top, const QColor& bottom)
{
    QImage picture(100, 4, QImage::Format_RGB32);
    picture.fill(fill);
    QPainter painter(&picture);
    painter.setPen(top);
    painter.drawLine(0, 0, 99, 0);
    painter.setPen(bottom);
    painter.drawLine(0, 3, 99, 3);
    return picture;
}

} // namespace

OleColor disabledColour(OleColor colour, std::int32_t delta, OleColor maskRgb)
{
    const std::int32_t r = shiftedChannel(static_cast<std::int32_t>(colour & 0xFF), delta);
    const std::int32_t g = shiftedChannel(static_cast<std::int32_t>(colour >> 8 & 0xFF), delta);
    const std::int32_t b = shiftedChannel(static_cast<std::int32_t>(colour >> 16 & 0xFF), delta);
    OleColor result = rgbColor(r, g, b);
    // One step of red keeps the pixel visible; down instead of up where red is full, so that
    // the step never carries into green.
    if (result == maskRgb)
        result = r < 255 ? result + 1 : result - 1;
    return result;
}

QImage builtInTrackPicture()
{
    // A dark groove with a shadow above and a light edge below.
    return groovePicture(QColor(48, 48, 48), QColor(96, 96, 96), QColor(232, 232, 232));
}

QImage builtInLeftPicture()
{
    return groovePicture(QColor(40, 96, 200), QColor(20, 48, 120), QColor(150, 190, 240));
}

QImage builtInPointerPicture()
{
    // A raised knob: light top and left edges, dark bottom and right edges.
    QImage picture(6, 15, QImage::Format_RGB32);
    picture.fill(QColor(128, 128, 128));
    QPainter painter(&picture);
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(0, 0, 5, 0);
    painter.drawLine(0, 0, 0, 14);
    painter.setPen(QColor(64, 64, 64));
    painter.drawLine(5, 1, 5, 14);
    painter.drawLine(1, 14, 5, 14);
    return picture;
}

OleColor SliderPic::maskRgb() const
{
    return translateColor(m_maskColor).rgb;
}

const QImage& SliderPic::picture() const
{
    return picMain->image();
}

void SliderPic::relayout()
{
    // Sizing the control from here sends a resize event of its own, which must not lay out
    // again half-way.
    if (m_inLayout)
        return;
    m_inLayout = true;
    guarded("SliderPic::layout", [this] {
        m_geometry.layout(m_orientation);
        resize(m_geometry.surfaceWidth, m_geometry.surfaceHeight);
        picMain->setGeometry(0, 0, m_geometry.surfaceWidth, m_geometry.surfaceHeight);
    });
    m_inLayout = false;
    redrawAndShow();
}

void SliderPic::redrawAndShow()
{
    guarded("SliderPic::DrawSlider", [this] {
        DrawSlider();
    });
    showPicture();
}

void SliderPic::DrawSlider()
{
    const SliderGeometry& g = m_geometry;
    const OleColor mask = maskRgb();
    picMain->setBackColor(m_maskColor);
    picMain->clear();
    QImage& surface = picMain->image();
    if (surface.isNull())
        return;
    {
        QPainter painter(&surface);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QImage track = opaquePicture(Picture1, mask);
        if (!track.isNull())
            painter.drawImage(g.sliderLeft, g.sliderTop, track);
    }
    if (m_style == 1)
        placePointer();
    if (isSliderLeftPicSet) {
        const QImage left = opaquePicture(imLeft, mask);
        // Along the track the left part covers the Min side of the pointer; where it starts
        // further in (Max first), it is cut from the same place of its picture.
        const double halfPointerWidth = g.pointerWidth / 2.0;
        const double halfPointerHeight = g.pointerHeight / 2.0;
        const double sliderLeft = g.sliderLeft;
        const double sliderTop = g.sliderTop;
        const double pointerLeft = g.pointerLeft;
        const double pointerTop = g.pointerTop;
        switch (m_orientation) {
        case 0:
            TransparentBlit(
                surface, sliderLeft, sliderTop, pointerLeft, g.sliderHeight, left, 0, 0, mask);
            break;
        case 1:
            TransparentBlit(surface, pointerLeft + sliderLeft, sliderTop,
                g.sliderWidth - pointerLeft, g.sliderHeight, left,
                pointerLeft + sliderLeft - halfPointerWidth, 0, mask);
            break;
        case 2:
            TransparentBlit(
                surface, sliderLeft, sliderTop, g.sliderWidth, pointerTop, left, 0, 0, mask);
            break;
        case 3:
            TransparentBlit(surface, sliderLeft, pointerTop + sliderTop, g.sliderWidth,
                g.sliderHeight - pointerTop, left, 0, pointerTop + sliderTop - halfPointerHeight,
                mask);
            break;
        default:
            break;
        }
    }
    if (isPointerPicSet) {
        TransparentBlit(surface, g.pointerLeft, g.pointerTop, g.pointerWidth, g.pointerHeight,
            opaquePicture(imPos, mask), 0, 0, mask);
    }
    if (!m_enabled) {
        const std::int32_t delta = m_disabledStyle == 1 ? -m_disabledIntense : m_disabledIntense;
        recolourDisabled(surface, delta, mask);
    }
}

// The composed picture is both what shows and, with BackStyle 0, the outline of the control:
// its MaskColor pixels are cut out of the widget, so the mouse falls through them as well.
void SliderPic::showPicture()
{
    guarded("SliderPic::show", [this] {
        picMain->refresh();
        if (m_backStyle == 0)
            setMask(maskRegion(picMain->image(), maskRgb()));
        else
            clearMask();
    });
}
