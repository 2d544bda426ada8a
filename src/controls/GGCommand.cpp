#include "controls/GGCommand.h"

#include "controls/BalloonTip.h"
#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/Guarded.h"
#include "controls/PropertyBag.h"

#include <array>

#include <QPainter>

namespace {

constexpr OleColor kPureBlue = 0xFF0000;

bool isAlignment(std::int32_t v)
{
    return v >= 0 && v <= 8;
}

bool isOrientation(std::int32_t v)
{
    return v == 0 || v == 1;
}

bool isFrameStyle(std::int32_t v)
{
    return v >= 0 && v <= 4;
}

// Pointer codes 1..15 by index; 0 and 99 leave the inherited pointer.
constexpr std::array<Qt::CursorShape, 16> kPointerShapes = {
    Qt::ArrowCursor, // 0: not used
    Qt::ArrowCursor,
    Qt::CrossCursor,
    Qt::IBeamCursor,
    Qt::ArrowCursor, // 4: icon, which has no shape of its own here
    Qt::SizeAllCursor,
    Qt::SizeBDiagCursor,
    Qt::SizeVerCursor,
    Qt::SizeFDiagCursor,
    Qt::SizeHorCursor,
    Qt::UpArrowCursor,
    Qt::WaitCursor,
    Qt::ForbiddenCursor,
    Qt::BusyCursor,
    Qt::WhatsThisCursor,
    Qt::SizeAllCursor,
};

bool isPointerCode(std::int32_t code)
{
    return (code >= 0 && code <= 15) || code == 99;
}

void applyPointer(QWidget& widget, std::int32_t code)
{
    if (code == 0 || code == 99)
        widget.unsetCursor();
    else
        widget.setCursor(kPointerShapes[static_cast<std::size_t>(code)]);
}

} // namespace

GGCommand::GGCommand(QWidget* parent)
    : CustomControl(parent)
    , picGG(new DrawSurface(this))
{
    // Until the window loads the control its fields hold the defaults; it draws nothing yet.
    persist(*this, PropertyReader { PropertyBag() });
    applySurfaceAttributes();
    picGG->setGeometry(rect());
    picGG->installEventFilter(this);
    connect(picGG, &DrawSurface::mouseDown, this, &GGCommand::onMouseDown);
    connect(picGG, &DrawSurface::mouseMove, this, &GGCommand::onMouseMove);
    connect(picGG, &DrawSurface::mouseUp, this, &GGCommand::onMouseUp);
    connect(picGG, &DrawSurface::dblClick, this, [this] {
        emitGuarded("GGCommand::DblClick", [this] {
            emit DblClick();
        });
    });
    connect(picGG, &DrawSurface::gotFocus, this, &GGCommand::onGotFocus);
    connect(picGG, &DrawSurface::lostFocus, this, &GGCommand::onLostFocus);
}

GGCommand::~GGCommand()
{
    picGG->removeEventFilter(this);
    picGG->disconnect(this);
    DestroyToolTip();
}

// Every stored key with its default, in reading and writing order.
template <typename Self, typename Io> void GGCommand::persist(Self& c, Io&& io)
{
    using I32 = std::int32_t;
    io("Caption", c.m_caption, c.objectName());
    io("CaptionAlignment", c.m_captionAlignment, I32 { 4 });
    io("CaptionXOffset", c.m_captionXOffset, I32 { 0 });
    io("CaptionYOffset", c.m_captionYOffset, I32 { 0 });
    io("UseHoverProperties", c.m_useHoverProperties, true);
    io("FontBoldOnHover", c.m_fontBoldOnHover, false);
    io("FontColorOnHover", c.m_fontColorOnHover, kPureBlue);
    io("BackColor", c.m_backColor, SystemColor::kButtonFace);
    io("ForeColor", c.m_foreColor, SystemColor::kButtonText);
    io("Font", c.m_font, defaultControlFont());
    io("Picture", c.m_picture, QImage());
    io("PictureAlignment", c.m_pictureAlignment, I32 { 1 });
    io("PictureXOffset", c.m_pictureXOffset, I32 { 0 });
    io("PictureYOffset", c.m_pictureYOffset, I32 { 0 });
    io("AlwaysShowBorder", c.m_alwaysShowBorder, false);
    io("ToolTip", c.m_toolTip, QString());
    io("ToolTipTitle", c.m_toolTipTitle, QString());
    io("ToolTipBackColor", c.m_toolTipBackColor, SystemColor::kInfoBackground);
    io("ToolTipForeColor", c.m_toolTipForeColor, SystemColor::kInfoText);
    io("ToolTipIcon", c.m_toolTipIcon, I32 { 0 });
    io("ToolTipStyle", c.m_toolTipStyle, I32 { 0 });
    io("Border3DStyle", c.m_border3DStyle, I32 { 0 });
    io("GradientOrientation", c.m_gradientOrientation, I32 { 0 });
    io("UseGradientFill", c.m_useGradientFill, true);
    io("GradientFromColor", c.m_gradientFromColor, SystemColor::kButtonHighlight);
    io("GradientToColor", c.m_gradientToColor, SystemColor::kButtonShadow);
    io("GradientInverseOnPress", c.m_gradientInverseOnPress, true);
    io("MousePointer", c.m_mousePointer, std::int16_t { 0 });
    io("Enabled", c.m_enabled, true);
}

// A stored value that the setters would refuse loads as its default.
void GGCommand::refuseOutOfRange()
{
    if (!isAlignment(m_captionAlignment))
        m_captionAlignment = 4;
    if (!isAlignment(m_pictureAlignment))
        m_pictureAlignment = 1;
    if (!isOrientation(m_gradientOrientation))
        m_gradientOrientation = 0;
    if (!isFrameStyle(m_border3DStyle))
        m_border3DStyle = 0;
    if (!isPointerCode(m_mousePointer))
        m_mousePointer = 0;
}

void GGCommand::applySurfaceAttributes()
{
    picGG->setBackColor(m_backColor);
    picGG->setForeColor(m_foreColor);
    picGG->setTextFont(m_font);
    picGG->setEnabled(m_enabled);
    applyPointer(*picGG, m_mousePointer);
}

void GGCommand::resetRunState()
{
    DestroyToolTip();
    m_borderState = 0;
    m_hoverActive = false;
    m_pressActive = false;
    m_clickArmed = false;
    m_faceOffset = 0;
}

void GGCommand::initProperties()
{
    persist(*this, PropertyReader { PropertyBag() });
    applySurfaceAttributes();
    resetRunState();
    m_isLoaded = true;
}

void GGCommand::readProperties(const PropertyBag& bag)
{
    persist(*this, PropertyReader { bag });
    refuseOutOfRange();
    applySurfaceAttributes();
    resetRunState();
    m_isLoaded = true;
}

void GGCommand::writeProperties(PropertyBag& bag) const
{
    persist(*this, PropertyWriter { bag });
}

void GGCommand::controlResized()
{
    layOutAndRedraw();
}

void GGCommand::controlShown()
{
    layOutAndRedraw();
}

void GGCommand::setBorder3DStyle(std::int32_t style)
{
    if (!isFrameStyle(style))
        return;
    setProperty(m_border3DStyle, style, "Border3DStyle", &GGCommand::layOutAndRedraw);
}

void GGCommand::setDontReleaseCapture(bool keep)
{
    m_dontReleaseCapture = keep;
}

void GGCommand::setGradientFromColor(OleColor color)
{
    if (color == m_gradientFromColor)
        return;
    setProperty(m_gradientFromColor, color, "GradientFromColor", &GGCommand::redraw);
}

void GGCommand::setGradientInverseOnPress(bool inverse)
{
    setProperty(m_gradientInverseOnPress, inverse, "GradientInverseOnPress", &GGCommand::redraw);
}

void GGCommand::setGradientOrientation(std::int32_t orientation)
{
    if (!isOrientation(orientation) || orientation == m_gradientOrientation)
        return;
    setProperty(
        m_gradientOrientation, orientation, "GradientOrientation", &GGCommand::layOutAndRedraw);
}

void GGCommand::setGradientToColor(OleColor color)
{
    if (color == m_gradientToColor)
        return;
    setProperty(m_gradientToColor, color, "GradientToColor", &GGCommand::redraw);
}

void GGCommand::setToolTipBackColor(OleColor color)
{
    setProperty(m_toolTipBackColor, color, "ToolTipBackColor");
}

void GGCommand::setToolTipForeColor(OleColor color)
{
    setProperty(m_toolTipForeColor, color, "ToolTipForeColor");
}

void GGCommand::setToolTipCentered(bool centred)
{
    setProperty(m_toolTipCentered, centred, "ToolTipCentered");
}

void GGCommand::setAlwaysShowBorder(bool show)
{
    m_alwaysShowBorder = show;
    if (m_isLoaded)
        DrawBorder(show ? 1 : 0);
    notifyPropertyChanged("AlwaysShowBorder");
}

void GGCommand::setCaption(const QString& caption)
{
    setProperty(m_caption, caption, "Caption", &GGCommand::layOutAndRedraw);
}

void GGCommand::setCaptionAlignment(std::int32_t alignment)
{
    if (!isAlignment(alignment))
        return;
    setProperty(m_captionAlignment, alignment, "CaptionAlignment", &GGCommand::layOutAndRedraw);
}

void GGCommand::setCaptionXOffset(std::int32_t pixels)
{
    setProperty(m_captionXOffset, pixels, "CaptionXOffset", &GGCommand::layOutAndRedraw);
}

void GGCommand::setCaptionYOffset(std::int32_t pixels)
{
    setProperty(m_captionYOffset, pixels, "CaptionYOffset", &GGCommand::layOutAndRedraw);
}

void GGCommand::setFontBoldOnHover(bool bold)
{
    setProperty(m_fontBoldOnHover, bold, "FontBoldOnHover");
}

void GGCommand::setFontColorOnHover(OleColor color)
{
    setProperty(m_fontColorOnHover, color, "FontColorOnHover");
}

void GGCommand::setForeColor(OleColor color)
{
    m_foreColor = color;
    picGG->setForeColor(color);
    redraw();
    if (m_isLoaded)
        DrawBorder(m_borderState);
    notifyPropertyChanged("ForeColor");
}

void GGCommand::setPictureAlignment(std::int32_t alignment)
{
    if (!isAlignment(alignment))
        return;
    setProperty(m_pictureAlignment, alignment, "PictureAlignment", &GGCommand::layOutAndRedraw);
}

void GGCommand::setPictureXOffset(std::int32_t pixels)
{
    setProperty(m_pictureXOffset, pixels, "PictureXOffset", &GGCommand::layOutAndRedraw);
}

void GGCommand::setPictureYOffset(std::int32_t pixels)
{
    setProperty(m_pictureYOffset, pixels, "PictureYOffset", &GGCommand::layOutAndRedraw);
}

QWidget* GGCommand::hWnd() const
{
    return picGG;
}

void GGCommand::setToolTip(const QString& text)
{
    m_toolTip = text;
    if (m_tipWindow)
        m_tipWindow->setText(text);
    notifyPropertyChanged("ToolTip");
}

void GGCommand::setToolTipIcon(std::int32_t icon)
{
    setProperty(m_toolTipIcon, icon, "ToolTipIcon");
}

void GGCommand::setToolTipStyle(std::int32_t style)
{
    setProperty(m_toolTipStyle, style, "ToolTipStyle");
}

void GGCommand::setToolTipTitle(const QString& title)
{
    setProperty(m_toolTipTitle, title, "ToolTipTitle");
}

void GGCommand::setUseGradientFill(bool use)
{
    if (use == m_useGradientFill)
        return;
    setProperty(m_useGradientFill, use, "UseGradientFill", &GGCommand::layOutAndRedraw);
}

void GGCommand::setUseHoverProperties(bool use)
{
    setProperty(m_useHoverProperties, use, "UseHoverProperties");
}

void GGCommand::setValue(bool value)
{
    if (value)
        emitGuarded("GGCommand::Click", [this] {
            emit Click();
        });
}

void GGCommand::setMousePointer(std::int32_t pointer)
{
    if (isPointerCode(pointer)) {
        m_mousePointer = static_cast<std::int16_t>(pointer);
        applyPointer(*picGG, pointer);
    }
    notifyPropertyChanged("MousePointer");
}

void GGCommand::setBackColor(OleColor color)
{
    m_backColor = color;
    picGG->setBackColor(color);
    redraw();
    if (m_isLoaded)
        DrawBorder(m_borderState);
    notifyPropertyChanged("BackColor");
}

void GGCommand::setFont(const QFont& font)
{
    setProperty(m_font, font, "Font", &GGCommand::layOutAndRedraw);
}

void GGCommand::setPicture(const QImage& picture)
{
    setProperty(m_picture, picture, "Picture", &GGCommand::layOutAndRedraw);
}

void GGCommand::setEnabled(bool enabled)
{
    m_enabled = enabled;
    picGG->setEnabled(enabled);
    notifyPropertyChanged("Enabled");
}

void GGCommand::setCaptionGlyph(const QImage& glyph)
{
    m_captionGlyph = glyph;
    layOutAndRedraw();
}

void GGCommand::setTipTimerFactory(WakeTimerFactory make)
{
    m_makeTipTimer = std::move(make);
}

void GGCommand::paintEvent(QPaintEvent*)
{
    // The 3-D frame around the face; the face itself is the drawing surface.
    if (m_frameWidth == 0)
        return;
    guarded("GGCommand::paintEvent", [&] {
        QPainter painter(this);
        paintFrame(painter);
    });
}
