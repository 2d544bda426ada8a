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

// The three sizes are seen in twips (as 16- or 32-bit numbers) and kept in 16-bit pixels. A
// size is refused below the box's two bevels plus one pixel, and when its pixels do not fit.
std::optional<std::int16_t> pixelsFromTwips(double twips, int bevel)
{
    const std::int64_t pixels = twipsToPixels(twips);
    const std::int64_t limit = 2 * static_cast<std::int64_t>(bevel) + 1;
    if (pixels < limit || pixels > INT16_MAX)
        return std::nullopt;
    return static_cast<std::int16_t>(pixels);
}

std::int16_t clampToInt16(std::int64_t v)
{
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
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

void AnalogClock::redrawHand()
{
    DrawTime(true);
    refreshFace();
}

void AnalogClock::redrawAMPM()
{
    DrawAMPM();
    refreshFace();
}

void AnalogClock::setTitleFormat(const QString& picture)
{
    setProperty(m_titleFormat, picture, "TitleFormat", &AnalogClock::DrawClock);
}

void AnalogClock::setTitleShow(bool show)
{
    setProperty(m_titleShow, show, "TitleShow", &AnalogClock::DrawClock);
}

void AnalogClock::setAMPMShow(bool show)
{
    setProperty(m_ampmShow, show, "AMPMShow", &AnalogClock::DrawClock);
}

void AnalogClock::setHandSecondShow(bool show)
{
    setProperty(m_handSecondShow, show, "HandSecondShow", &AnalogClock::DrawClock);
}

void AnalogClock::setTitleBackColor(OleColor color)
{
    setProperty(m_titleBackColor, color, "TitleBackColor", &AnalogClock::DrawClock);
}

void AnalogClock::setTitleForeColor(OleColor color)
{
    setProperty(m_titleForeColor, color, "TitleForeColor", &AnalogClock::DrawClock);
}

void AnalogClock::setClockBackColor(OleColor color)
{
    setProperty(m_clockBackColor, color, "ClockBackColor", &AnalogClock::DrawClock);
}

void AnalogClock::setClockForeColor(OleColor color)
{
    setProperty(m_clockForeColor, color, "ClockForeColor", &AnalogClock::DrawClock);
}

void AnalogClock::setHandHourColor(OleColor color)
{
    setProperty(m_handHourColor, color, "HandHourColor", &AnalogClock::redrawHand);
}

void AnalogClock::setHandMinuteColor(OleColor color)
{
    setProperty(m_handMinuteColor, color, "HandMinuteColor", &AnalogClock::redrawHand);
}

void AnalogClock::setHandSecondColor(OleColor color)
{
    setProperty(m_handSecondColor, color, "HandSecondColor", &AnalogClock::redrawHand);
}

void AnalogClock::setHoursColor(OleColor color)
{
    setProperty(m_hoursColor, color, "HourColor", &AnalogClock::DrawClock);
}

void AnalogClock::setMinutesColor(OleColor color)
{
    setProperty(m_minutesColor, color, "MinuteColor", &AnalogClock::DrawClock);
}

void AnalogClock::setHighliteBackColor(OleColor color)
{
    setProperty(m_highliteBackColor, color, "HLBackColor", &AnalogClock::redrawAMPM);
}

void AnalogClock::setHighliteForeColor(OleColor color)
{
    setProperty(m_highliteForeColor, color, "HLForeColor", &AnalogClock::redrawAMPM);
}

void AnalogClock::setTitleBoxStyle(std::int32_t style)
{
    setProperty(m_titleBoxStyle, style, "TitleBoxStyle", &AnalogClock::DrawClock);
}

void AnalogClock::setTitleBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setProperty(m_titleBevelWidth, pixels, "TitleBevelWidth", &AnalogClock::DrawClock);
}

void AnalogClock::setAMPMBoxStyle(std::int32_t style)
{
    setProperty(m_ampmBoxStyle, style, "AMPMBoxStyle", &AnalogClock::redrawAMPM);
}

void AnalogClock::setAMPMBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setProperty(m_ampmBevelWidth, pixels, "AMPMBevelWidth", &AnalogClock::redrawAMPM);
}

void AnalogClock::setClockBoxStyle(std::int32_t style)
{
    setProperty(m_clockBoxStyle, style, "ClockBoxStyle", &AnalogClock::DrawClock);
}

void AnalogClock::setClockBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setProperty(m_clockBevelWidth, pixels, "ClockBevelWidth", &AnalogClock::DrawClock);
}

void AnalogClock::setHoursBoxStyle(std::int32_t style)
{
    setProperty(m_hoursBoxStyle, style, "HourBoxStyle", &AnalogClock::DrawClock);
}

void AnalogClock::setHoursBevelWidth(std::int16_t pixels)
{
    if (pixels >= 0)
        setProperty(m_hoursBevelWidth, pixels, "HourBevelWidth", &AnalogClock::DrawClock);
}

void AnalogClock::setHandHourWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setProperty(m_handHourWidth, pixels, "HandHourWidth", &AnalogClock::redrawHand);
}

void AnalogClock::setHandMinuteWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setProperty(m_handMinuteWidth, pixels, "HandMinuteWidth", &AnalogClock::redrawHand);
}

void AnalogClock::setHandSecondWidth(std::int16_t pixels)
{
    if (pixels >= 1)
        setProperty(m_handSecondWidth, pixels, "HandSecondWidth", &AnalogClock::redrawHand);
}

void AnalogClock::setTitleFont(const QFont& font)
{
    setProperty(m_titleFont, font, "TitleFont", &AnalogClock::DrawClock);
}

void AnalogClock::setAMPMFont(const QFont& font)
{
    setProperty(m_ampmFont, font, "AMPMFont", &AnalogClock::DrawClock);
}

void AnalogClock::setClockFont(const QFont& font)
{
    setProperty(m_clockFont, font, "ClockFont", &AnalogClock::DrawClock);
}

std::int16_t AnalogClock::AMPMWidth() const
{
    return clampToInt16(pixelsToTwips(m_ampmWidth));
}

void AnalogClock::setAMPMWidth(std::int16_t twips)
{
    if (const auto pixels = pixelsFromTwips(twips, m_ampmBevelWidth))
        setProperty(m_ampmWidth, *pixels, "AMPMWidth", &AnalogClock::DrawClock);
}

std::int16_t AnalogClock::AMPMHeight() const
{
    return clampToInt16(pixelsToTwips(m_ampmHeight));
}

void AnalogClock::setAMPMHeight(std::int16_t twips)
{
    if (const auto pixels = pixelsFromTwips(twips, m_ampmBevelWidth))
        setProperty(m_ampmHeight, *pixels, "AMPMHeight", &AnalogClock::DrawClock);
}

std::int32_t AnalogClock::TitleHeight() const
{
    // 16-bit pixels times 15 always fit.
    return static_cast<std::int32_t>(pixelsToTwips(m_titleHeight));
}

void AnalogClock::setTitleHeight(std::int32_t twips)
{
    if (const auto pixels = pixelsFromTwips(twips, m_titleBevelWidth))
        setProperty(m_titleHeight, *pixels, "TitleHeight", &AnalogClock::DrawClock);
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
    notifyPropertyChanged("AutoUpdate");
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
    io("TitleFormat", c.m_titleFormat, QString::fromLatin1(kDefaultTitleFormat));
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
