#include "controls/AnalogClock.h"

#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/Guarded.h"
#include "controls/PropertyBag.h"
#include "controls/TimeOfDay.h"
#include "controls/Twips.h"

#include <algorithm>

#include <QTimer>

namespace {

constexpr auto kDefaultTitleFormat = "h:nn am/pm";

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

} // namespace

AnalogClock::AnalogClock(QWidget* parent)
    : CustomControl(parent)
    , picClock(new DrawSurface(this))
    , tmrAutoUpdate(new QTimer(this))
    , m_now([] {
        return QDateTime::currentDateTime();
    })
{
    // Until the window loads the control, its fields hold the defaults; it draws nothing yet.
    persist(*this, PropertyReader { PropertyBag() });
    picClock->setGeometry(rect());
    tmrAutoUpdate->setInterval(1000);
    connect(tmrAutoUpdate, &QTimer::timeout, this, [this] {
        guarded("AnalogClock::timer", [this] {
            timerTick();
        });
    });
    connect(picClock, &DrawSurface::mouseDown, this, &AnalogClock::onMouseDown);
    connect(picClock, &DrawSurface::mouseMove, this, &AnalogClock::onMouseMove);
    connect(picClock, &DrawSurface::mouseUp, this, &AnalogClock::onMouseUp);
    connect(picClock, &DrawSurface::dblClick, this, &AnalogClock::onDblClick);
    connect(picClock, &DrawSurface::gotFocus, this, &AnalogClock::ClockGotFocus);
    connect(picClock, &DrawSurface::lostFocus, this, &AnalogClock::ClockLostFocus);
}

AnalogClock::~AnalogClock()
{
    tmrAutoUpdate->stop();
}

double AnalogClock::Value() const
{
    return dayFraction(m_seconds);
}

QString AnalogClock::ValueText() const
{
    return timeText(m_seconds);
}

void AnalogClock::storeTime(double dateTime, bool raiseChange)
{
    // A value that is no date at all cannot be assigned: nothing changes and nothing is raised.
    const auto seconds = timeOfDaySeconds(dateTime);
    if (!seconds)
        return;
    m_seconds = *seconds;
    DrawAMPM();
    DrawTime(raiseChange);
    refreshFace();
}

void AnalogClock::setValue(double dateTime)
{
    storeTime(dateTime, true);
}

void AnalogClock::setTime(double dateTime)
{
    storeTime(dateTime, false);
}

template <typename T> void AnalogClock::setAndRedraw(T& field, T value, const char* name)
{
    field = value;
    DrawClock();
    notifyPropertyChanged(key(name));
}

template <typename T> void AnalogClock::setAndRedrawHand(T& field, T value, const char* name)
{
    field = value;
    DrawTime(true);
    refreshFace();
    notifyPropertyChanged(key(name));
}

template <typename T> void AnalogClock::setAndRedrawAMPM(T& field, T value, const char* name)
{
    field = value;
    DrawAMPM();
    refreshFace();
    notifyPropertyChanged(key(name));
}

void AnalogClock::setTitleFormat(const QString& picture)
{
    setAndRedraw(m_titleFormat, picture, "TitleFormat");
}

void AnalogClock::setTitleShow(bool show)
{
    setAndRedraw(m_titleShow, show, "TitleShow");
}

void AnalogClock::setAMPMShow(bool show)
{
    setAndRedraw(m_ampmShow, show, "AMPMShow");
}

void AnalogClock::setHandSecondShow(bool show)
{
    setAndRedraw(m_handSecondShow, show, "HandSecondShow");
}

void AnalogClock::setTitleBackColor(OleColor color)
{
    setAndRedraw(m_titleBackColor, color, "TitleBackColor");
}

void AnalogClock::setTitleForeColor(OleColor color)
{
    setAndRedraw(m_titleForeColor, color, "TitleForeColor");
}

void AnalogClock::setClockBackColor(OleColor color)
{
    setAndRedraw(m_clockBackColor, color, "ClockBackColor");
}

void AnalogClock::setClockForeColor(OleColor color)
{
    setAndRedraw(m_clockForeColor, color, "ClockForeColor");
}

void AnalogClock::setHandHourColor(OleColor color)
{
    setAndRedrawHand(m_handHourColor, color, "HandHourColor");
}

void AnalogClock::setHandMinuteColor(OleColor color)
{
    setAndRedrawHand(m_handMinuteColor, color, "HandMinuteColor");
}

void AnalogClock::setHandSecondColor(OleColor color)
{
    setAndRedrawHand(m_handSecondColor, color, "HandSecondColor");
}

void AnalogClock::setHoursColor(OleColor color)
{
    setAndRedraw(m_hoursColor, color, "HourColor");
}

void AnalogClock::setMinutesColor(OleColor color)
{
    setAndRedraw(m_minutesColor, color, "MinuteColor");
}

void AnalogClock::setHighliteBackColor(OleColor color)
{
    setAndRedrawAMPM(m_highliteBackColor, color, "HLBackColor");
}

void AnalogClock::setHighliteForeColor(OleColor color)
{
    setAndRedrawAMPM(m_highliteForeColor, color, "HLForeColor");
}

void AnalogClock::setTitleBoxStyle(std::int32_t style)
{
    setAndRedraw(m_titleBoxStyle, style, "TitleBoxStyle");
}

void AnalogClock::setTitleBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setAndRedraw(m_titleBevelWidth, pixels, "TitleBevelWidth");
}

void AnalogClock::setAMPMBoxStyle(std::int32_t style)
{
    setAndRedrawAMPM(m_ampmBoxStyle, style, "AMPMBoxStyle");
}

void AnalogClock::setAMPMBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setAndRedrawAMPM(m_ampmBevelWidth, pixels, "AMPMBevelWidth");
}

void AnalogClock::setClockBoxStyle(std::int32_t style)
{
    setAndRedraw(m_clockBoxStyle, style, "ClockBoxStyle");
}

void AnalogClock::setClockBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setAndRedraw(m_clockBevelWidth, pixels, "ClockBevelWidth");
}

void AnalogClock::setHoursBoxStyle(std::int32_t style)
{
    setAndRedraw(m_hoursBoxStyle, style, "HourBoxStyle");
}

void AnalogClock::setHoursBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setAndRedraw(m_hoursBevelWidth, pixels, "HourBevelWidth");
}

void AnalogClock::setHandHourWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setAndRedrawHand(m_handHourWidth, pixels, "HandHourWidth");
}

void AnalogClock::setHandMinuteWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setAndRedrawHand(m_handMinuteWidth, pixels, "HandMinuteWidth");
}

void AnalogClock::setHandSecondWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setAndRedrawHand(m_handSecondWidth, pixels, "HandSecondWidth");
}

void AnalogClock::setTitleFont(const QFont& font)
{
    setAndRedraw(m_titleFont, font, "TitleFont");
}

void AnalogClock::setAMPMFont(const QFont& font)
{
    setAndRedraw(m_ampmFont, font, "AMPMFont");
}

void AnalogClock::setClockFont(const QFont& font)
{
    setAndRedraw(m_clockFont, font, "ClockFont");
}

// The three sizes are seen in twips (as 16- or 32-bit numbers) and kept in 16-bit pixels. A
// size is refused below the box's two bevels plus one pixel, and when its pixels do not fit.
bool AnalogClock::setPixelsFromTwips(std::int16_t& field, double twips, int bevel)
{
    const std::int64_t pixels = twipsToPixels(twips);
    const std::int64_t limit = 2 * static_cast<std::int64_t>(bevel) + 1;
    if (pixels < limit || pixels > INT16_MAX)
        return false;
    field = static_cast<std::int16_t>(pixels);
    return true;
}

namespace {

std::int16_t clampToInt16(std::int64_t v)
{
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
}

} // namespace

std::int16_t AnalogClock::AMPMWidth() const
{
    return clampToInt16(pixelsToTwips(m_ampmWidth));
}

void AnalogClock::setAMPMWidth(std::int16_t twips)
{
    if (setPixelsFromTwips(m_ampmWidth, twips, m_ampmBevelWidth)) {
        DrawClock();
        notifyPropertyChanged(key("AMPMWidth"));
    }
}

std::int16_t AnalogClock::AMPMHeight() const
{
    return clampToInt16(pixelsToTwips(m_ampmHeight));
}

void AnalogClock::setAMPMHeight(std::int16_t twips)
{
    if (setPixelsFromTwips(m_ampmHeight, twips, m_ampmBevelWidth)) {
        DrawClock();
        notifyPropertyChanged(key("AMPMHeight"));
    }
}

std::int32_t AnalogClock::TitleHeight() const
{
    // 16-bit pixels times 15 always fit.
    return static_cast<std::int32_t>(pixelsToTwips(m_titleHeight));
}

void AnalogClock::setTitleHeight(std::int32_t twips)
{
    if (setPixelsFromTwips(m_titleHeight, twips, m_titleBevelWidth)) {
        DrawClock();
        notifyPropertyChanged(key("TitleHeight"));
    }
}

void AnalogClock::setRedraw(bool redraw)
{
    m_redraw = redraw;
    if (redraw)
        DrawClock();
}

void AnalogClock::setAutoUpdate(bool follow)
{
    m_autoUpdate = follow;
    if (userMode())
        applyAutoUpdate();
    notifyPropertyChanged(key("AutoUpdate"));
}

// The timer runs exactly while the control follows the system clock, and takes the time at once.
void AnalogClock::applyAutoUpdate()
{
    if (!m_autoUpdate) {
        tmrAutoUpdate->stop();
        return;
    }
    tmrAutoUpdate->start();
    timerTick();
}

bool AnalogClock::timerRunning() const
{
    return tmrAutoUpdate->isActive();
}

void AnalogClock::timerTick()
{
    const QDateTime now = m_now();
    const std::int32_t nowSeconds = now.time().msecsSinceStartOfDay() / 1000;
    // Following the minute only: a tick within the shown minute changes nothing.
    if (!m_handSecondShow && nowSeconds / 60 == m_seconds / 60)
        return;
    m_seconds = nowSeconds;
    DrawAMPM();
    DrawTime(true);
    refreshFace();
}

// Every stored key with its default, in reading and writing order; the sizes are pixels here.
template <typename Self, typename Io> void AnalogClock::persist(Self& c, Io&& io)
{
    using I16 = std::int16_t;
    using I32 = std::int32_t;
    const QFont controlFont = defaultControlFont();
    io("TitleHeight", c.m_titleHeight, I16 { 23 });
    io("TitleShow", c.m_titleShow, true);
    io("TitleFormat", c.m_titleFormat, key(kDefaultTitleFormat));
    io("TitleWidth", c.m_titleWidth, c.surfaceWidthPixels());
    io("TitleBoxStyle", c.m_titleBoxStyle, I32 { 1 });
    io("TitleBevelWidth", c.m_titleBevelWidth, I16 { 2 });
    io("TitleBackColor", c.m_titleBackColor, SystemColor::kWindowBackground);
    io("TitleForeColor", c.m_titleForeColor, SystemColor::kButtonText);
    io("TitleFont", c.m_titleFont, controlFont);
    io("ClockBoxStyle", c.m_clockBoxStyle, I32 { 2 });
    io("ClockBevelWidth", c.m_clockBevelWidth, I16 { 2 });
    io("ClockBackColor", c.m_clockBackColor, SystemColor::kButtonFace);
    io("ClockForeColor", c.m_clockForeColor, SystemColor::kButtonText);
    io("ClockFont", c.m_clockFont, controlFont);
    io("HandHourColor", c.m_handHourColor, OleColor { 0 });
    io("HandHourWidth", c.m_handHourWidth, I16 { 3 });
    io("HandMinuteColor", c.m_handMinuteColor, OleColor { 0 });
    io("HandMinuteWidth", c.m_handMinuteWidth, I16 { 2 });
    io("HandSecondColor", c.m_handSecondColor, SystemColor::kGrayText);
    io("HandSecondWidth", c.m_handSecondWidth, I16 { 1 });
    io("HandSecondShow", c.m_handSecondShow, false);
    io("HLBackColor", c.m_highliteBackColor, SystemColor::kHighlight);
    io("HLForeColor", c.m_highliteForeColor, SystemColor::kHighlightText);
    io("AMPMShow", c.m_ampmShow, true);
    io("AMPMWidth", c.m_ampmWidth, I16 { 30 });
    io("AMPMHeight", c.m_ampmHeight, I16 { 23 });
    io("AMPMBoxStyle", c.m_ampmBoxStyle, I32 { 1 });
    io("AMPMBevelWidth", c.m_ampmBevelWidth, I16 { 2 });
    io("AMPMFont", c.m_ampmFont, controlFont);
    io("HourBoxStyle", c.m_hoursBoxStyle, I32 { 1 });
    io("HourBevelWidth", c.m_hoursBevelWidth, I16 { 2 });
    io("HourColor", c.m_hoursColor, SystemColor::kButtonShadow);
    io("MinuteColor", c.m_minutesColor, SystemColor::kButtonShadow);
    io("SecondColor", c.m_secondColor, SystemColor::kButtonShadow);
    io("AMText", c.m_amText, QStringLiteral("am"));
    io("PMText", c.m_pmText, QStringLiteral("pm"));
    io("AutoUpdate", c.m_autoUpdate, false);
}

std::int16_t AnalogClock::surfaceWidthPixels() const
{
    return static_cast<std::int16_t>(std::min(picClock->width(), int { INT16_MAX }));
}

void AnalogClock::initProperties()
{
    persist(*this, PropertyReader { PropertyBag() });
    m_seconds = 0;
    m_isDragging = false;
    m_dragButton = 0;
    picClock->unsetCursor();
    m_isLoaded = true;
}

void AnalogClock::readProperties(const PropertyBag& bag)
{
    persist(*this, PropertyReader { bag });
    if (userMode())
        applyAutoUpdate();
    m_isLoaded = true;
}

void AnalogClock::writeProperties(PropertyBag& bag) const
{
    persist(*this, PropertyWriter { bag });
}

void AnalogClock::controlResized()
{
    picClock->setGeometry(0, 0, width(), height());
    DrawClock();
}

void AnalogClock::controlShown()
{
    m_redraw = true;
    DrawClock();
}
