#include "controls/SliderPic.h"

#include "controls/DrawSurface.h"
#include "controls/Guarded.h"
#include "controls/PropertyBag.h"
#include "platform/basic/Conversions.h"

#include <algorithm>

namespace {

constexpr auto kErrorSource = "RozazuVuvadu";
constexpr OleColor kDefaultMaskColor = 0xC0C0C0;

ControlError sliderError(std::int32_t number, const char* description)
{
    return { number, QString::fromLatin1(kErrorSource), QString::fromLatin1(description) };
}

} // namespace

SliderPic::SliderPic(QWidget* parent)
    : CustomControl(parent)
    , picMain(new DrawSurface(this))
{
    setDefaults();
    connect(picMain, &DrawSurface::mouseDown, this, &SliderPic::onMouseDown);
    connect(picMain, &DrawSurface::mouseMove, this, &SliderPic::onMouseMove);
    connect(picMain, &DrawSurface::mouseUp, this, &SliderPic::onMouseUp);
}

void SliderPic::store(const char* key)
{
    notifyPropertyChanged(QString::fromLatin1(key));
}

void SliderPic::setEnabled(bool enabled)
{
    m_enabled = enabled;
    store("Enabled");
    QWidget::setEnabled(enabled);
    relayout();
}

void SliderPic::setOrientation(std::int32_t orientation)
{
    m_orientation = orientation;
    store("Orientation");
    placePointer();
    relayout();
}

void SliderPic::setCurPosition(std::int32_t position)
{
    m_curPosition = std::min(std::max(position, m_min), m_max);
    store("CurPosition");
    placePointer();
    relayout();
}

PropertyError SliderPic::setMin(std::int32_t min)
{
    if (min >= m_max)
        return sliderError(513, "Minimum must be less than Maximum");
    m_min = min;
    store("Min");
    m_curPosition = std::max(m_curPosition, m_min);
    placePointer();
    relayout();
    return std::nullopt;
}

PropertyError SliderPic::setMax(std::int32_t max)
{
    if (max <= m_min)
        return sliderError(514, "Maximum must be greater than Minimum");
    m_max = max;
    store("Max");
    m_curPosition = std::min(m_curPosition, m_max);
    placePointer();
    relayout();
    return std::nullopt;
}

void SliderPic::setImageSlider(const QImage& picture)
{
    Picture1 = picture;
    store("ImageSlider");
    takePictureSizes();
    relayout();
}

void SliderPic::setImageLeft(const QImage& picture)
{
    imLeft = picture;
    store("ImageLeft");
    isSliderLeftPicSet = !picture.isNull();
    store("isSliderLeftPicSet");
}

void SliderPic::setImagePointer(const QImage& picture)
{
    imPos = picture;
    store("ImagePointer");
    isPointerPicSet = !picture.isNull();
    store("isPointerPicSet");
    takePictureSizes();
    placePointer();
    relayout();
}

void SliderPic::setStyle(std::int32_t style)
{
    m_style = style;
    store("Style");
}

PropertyError SliderPic::setBackStyle(std::int32_t backStyle)
{
    const auto value = CInt(static_cast<double>(backStyle));
    if (!value)
        return sliderError(kOverflowError, "Overflow");
    m_backStyle = *value;
    store("BackStyle");
    relayout();
    return std::nullopt;
}

void SliderPic::setMaskColor(OleColor color)
{
    m_maskColor = color;
    store("MaskColor");
    picMain->setBackColor(m_maskColor);
    relayout();
}

void SliderPic::setDisabledStyle(std::int32_t style)
{
    m_disabledStyle = style;
    store("DisabledStyle");
    redrawAndShow();
}

void SliderPic::setDisabledIntense(std::int32_t intensity)
{
    if (intensity < 0 || intensity > 85)
        return;
    m_disabledIntense = intensity;
    store("DisabledIntense");
    redrawAndShow();
}

// Every stored key with its default, in writing order. Reading in the same order gives the same
// state: each key is read on its own, and what follows from the values is derived afterwards.
template <typename Self, typename Io> void SliderPic::persist(Self& c, Io&& io)
{
    using I32 = std::int32_t;
    io("Enabled", c.m_enabled, true);
    io("CurPosition", c.m_curPosition, I32 { 0 });
    io("Min", c.m_min, I32 { 0 });
    io("Max", c.m_max, I32 { 10 });
    // Stored pictures default to none: a control stores the pictures it was given.
    io("ImageSlider", c.Picture1, QImage());
    io("ImageLeft", c.imLeft, QImage());
    io("ImagePointer", c.imPos, QImage());
    io("Style", c.m_style, I32 { 0 });
    io("BackStyle", c.m_backStyle, std::int16_t { 1 });
    io("MaskColor", c.m_maskColor, kDefaultMaskColor);
    io("isSliderLeftPicSet", c.isSliderLeftPicSet, true);
    io("isPointerPicSet", c.isPointerPicSet, true);
    io("Orientation", c.m_orientation, I32 { 0 });
    io("DisabledStyle", c.m_disabledStyle, I32 { 0 });
    io("DisabledIntense", c.m_disabledIntense, I32 { 20 });
}

void SliderPic::setDefaults()
{
    persist(*this, PropertyReader { PropertyBag() });
    Picture1 = builtInTrackPicture();
    imLeft = builtInLeftPicture();
    imPos = builtInPointerPicture();
    takePictureSizes();
    picMain->setBackColor(m_maskColor);
    placePointer();
    isDraggingH = false;
    isDraggingV = false;
}

// Normally the first resize lays out and draws; a control loaded while already on screen gets
// no new resize.
void SliderPic::initProperties()
{
    setDefaults();
    QWidget::setEnabled(true);
    if (isVisible())
        relayout();
}

void SliderPic::readProperties(const PropertyBag& bag)
{
    persist(*this, PropertyReader { bag });
    picMain->setBackColor(m_maskColor);
    takePictureSizes();
    placePointer();
    isDraggingH = false;
    isDraggingV = false;
    // A control stored as disabled refuses the mouse from the start, as it looks.
    QWidget::setEnabled(m_enabled);
    if (isVisible())
        relayout();
}

void SliderPic::writeProperties(PropertyBag& bag) const
{
    persist(*this, PropertyWriter { bag });
}

void SliderPic::controlResized()
{
    relayout();
}

void SliderPic::takePictureSizes()
{
    m_geometry.sliderWidth = Picture1.width();
    m_geometry.sliderHeight = Picture1.height();
    const bool pointer = isPointerPicSet && !imPos.isNull();
    m_geometry.pointerWidth = pointer ? imPos.width() : 0;
    m_geometry.pointerHeight = pointer ? imPos.height() : 0;
}

void SliderPic::placePointer()
{
    m_geometry.pointerOffset(m_orientation) =
        m_geometry.valueToPixel(m_curPosition, m_orientation, m_min, m_max);
}

void SliderPic::onMouseDown(int button, int, float x, float y)
{
    if (button != 1 || !isPointerPicSet)
        return;
    const bool horizontal = SliderGeometry::isHorizontal(m_orientation);
    const float coordinate = horizontal ? x : y;
    const std::int32_t start = horizontal ? m_geometry.pointerLeft : m_geometry.pointerTop;
    const std::int32_t size = horizontal ? m_geometry.pointerWidth : m_geometry.pointerHeight;
    bool& dragging = horizontal ? isDraggingH : isDraggingV;
    // On the pointer: its first pixel counts as off it.
    if (coordinate > start && coordinate < static_cast<double>(start) + size) {
        dragging = true;
        return;
    }
    movePointerTo(coordinate);
    dragging = false;
}

void SliderPic::onMouseMove(int button, int, float x, float y)
{
    if (button != 1 || !isPointerPicSet)
        return;
    const bool horizontal = SliderGeometry::isHorizontal(m_orientation);
    if (!(horizontal ? isDraggingH : isDraggingV))
        return;
    movePointerTo(horizontal ? x : y);
}

void SliderPic::onMouseUp(int button, int, float, float)
{
    if (button != 1)
        return;
    isDraggingH = false;
    isDraggingV = false;
}

void SliderPic::movePointerTo(float coordinate)
{
    const bool horizontal = SliderGeometry::isHorizontal(m_orientation);
    const double start = horizontal ? m_geometry.sliderLeft : m_geometry.sliderTop;
    const double length = horizontal ? m_geometry.sliderWidth : m_geometry.sliderHeight;
    const double along = std::clamp<double>(coordinate, start, start + length);
    m_geometry.pointerOffset(m_orientation) =
        static_cast<std::int32_t>(roundHalfEven(along - start));
    const auto value = m_geometry.pixelToValue(along, m_orientation, m_min, m_max);
    if (value)
        reportPosition(*value);
}

void SliderPic::reportPosition(std::int32_t position)
{
    std::int32_t newPosition = position;
    // The stored position itself is the handler's oldPosition: it still holds the previous
    // value, and CurPosition() reads the same.
    guarded("SliderPic::PositionChanged", [&] {
        emit PositionChanged(m_curPosition, newPosition);
    });
    m_curPosition = newPosition;
    store("CurPosition");
    redrawAndShow();
}
