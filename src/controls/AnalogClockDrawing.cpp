#include "controls/AnalogClock.h"
#include "controls/DrawSurface.h"
#include "controls/HandCursor.h"
#include "controls/TimeOfDay.h"
#include "platform/basic/Conversions.h"

#include <cmath>
#include <utility>

namespace {

int rounded(double v)
{
    return static_cast<int>(roundHalfEven(v));
}

constexpr OleColor kShadow = SystemColor::kButtonShadow;
constexpr OleColor kHighlight = SystemColor::kButtonHighlight;
constexpr OleColor kDarkShadow = SystemColor::k3DDarkShadow;
constexpr OleColor kLight = SystemColor::k3DLight;

// Whether a bevel box of this style and width draws its bevel rings (raised 1, sunken 2).
bool hasBevel(std::int32_t style, int bevel)
{
    return bevel >= 1 && (style == 1 || style == 2);
}

} // namespace

int AnalogClock::surfaceWidth() const
{
    return picClock->scaleWidth();
}

int AnalogClock::surfaceHeight() const
{
    return picClock->scaleHeight();
}

void AnalogClock::refreshFace()
{
    if (m_redraw)
        picClock->refresh();
}

void AnalogClock::DrawClock()
{
    if (!m_isLoaded)
        return;
    const int w = surfaceWidth();
    const int h = surfaceHeight();
    // The geometry is kept also when nothing may be drawn, so the mouse maps right once shown.
    m_geometry = dialGeometry(w, h, m_titleShow, m_titleHeight);
    if (!m_redraw)
        return;
    const int cx = m_geometry.centreX;
    const int cy = m_geometry.centreY;
    const int r = m_geometry.faceRadius;

    if (m_titleShow) {
        DrawBevelBox(
            0, 0, w - 1, m_titleHeight - 1, m_titleBackColor, m_titleBoxStyle, m_titleBevelWidth);
        DrawBevelBox(
            0, m_titleHeight, w - 1, h - 1, m_clockBackColor, m_clockBoxStyle, m_clockBevelWidth);
    } else {
        DrawBevelBox(0, 0, w - 1, h - 1, m_clockBackColor, m_clockBoxStyle, m_clockBevelWidth);
    }
    for (int a = 0; a < 360; a += 6)
        picClock->setPixel(
            cx + r * std::cos(dialRadians(a)), cy + r * std::sin(dialRadians(a)), m_minutesColor);
    SetFontAndColor(m_clockFont, m_clockForeColor);
    const bool bevelled = hasBevel(m_clockBoxStyle, m_clockBevelWidth);
    const QRect face =
        dialFace(w, h, m_titleShow ? m_titleHeight : 0, bevelled ? m_clockBevelWidth : 0);
    for (int a = 0; a < 360; a += 30) {
        const double x = cx + r * std::cos(dialRadians(a));
        const double y = cy - r * std::sin(dialRadians(a));
        DrawBevelBox(rounded(x - 3), rounded(y - 3), rounded(x + 3), rounded(y + 3), m_hoursColor,
            m_hoursBoxStyle, m_hoursBevelWidth);
        // On a small dial the labels at the sides would fall on the bevel, or beyond the edge,
        // where nobody can read them: such a label moves inward just far enough to lie whole
        // on the face. There it covers its own marker, so it clears a pixel around its ink
        // first: white digits over the marker's light edges could not be read.
        const LabelBox box = labelBox(m_geometry, a);
        const QString text = labelText(a);
        const QString centre = QStringLiteral("center");
        placeAligned(box.left, box.top, box.right, box.bottom, text, centre, 0.5);
        const QRect ink = picClock->inkRect(text);
        const QPoint shift = inwardShift(ink, face);
        const QRect moved = ink.translated(shift);
        const QRect backdrop = moved.adjusted(-1, -1, 1, 1) & face;
        if (!shift.isNull())
            picClock->box(backdrop.left(), backdrop.top(), backdrop.right(), backdrop.bottom(),
                m_clockBackColor, Canvas::BoxFill::Filled);
        PrintAligned(box.left + shift.x(), box.top + shift.y(), box.right + shift.x(),
            box.bottom + shift.y(), text, centre, 0.5);
    }
    m_face = picClock->image().copy();
    DrawAMPM();
    DrawTime(false);
    picClock->refresh();
}

void AnalogClock::DrawTime(bool raiseChange)
{
    if (m_redraw) {
        const int cx = m_geometry.centreX;
        const int cy = m_geometry.centreY;
        const int r = m_geometry.faceRadius;
        // Erase the old hand: the inner disc as the face has it, with whatever labels moved in.
        picClock->circleFrom(m_face, cx, cy, r - 5);
        picClock->setDrawWidth(m_handMinuteWidth);
        const int angle = handAngle(m_seconds / 60 % 60);
        const OleColor colour = m_dragButton == 1 ? m_highliteForeColor : m_handMinuteColor;
        picClock->line(cx, cy, cx + std::cos(dialRadians(angle)) * (r - 8),
            cy - std::sin(dialRadians(angle)) * (r - 8), colour);
        if (m_titleShow) {
            const int b = m_titleBevelWidth;
            const int right = surfaceWidth() - b - 2;
            const int bottom = m_titleHeight - b - 2;
            SetFontAndColor(m_titleFont, m_titleForeColor);
            DrawBevelBox(b + 2, b + 2, right, bottom, m_titleBackColor, 0, 0);
            PrintAligned(b + 2, b + 2, right, bottom, formatTime(m_seconds, m_titleFormat),
                QStringLiteral("center"), 0.5);
        }
    }
    if (raiseChange)
        emit Change();
}

void AnalogClock::DrawAMPM()
{
    if (!m_ampmShow || !m_redraw)
        return;
    drawAMPMBoxes();
    // On a small dial the boxes reach into the disc that a hand move paints back from the face.
    if (m_face.isNull())
        return;
    std::swap(picClock->image(), m_face);
    drawAMPMBoxes();
    std::swap(picClock->image(), m_face);
}

void AnalogClock::drawAMPMBoxes()
{
    const int w = surfaceWidth();
    const int t = m_titleShow ? m_titleHeight : 2;
    const int b = m_clockBevelWidth;
    const int top = b == 0 ? t : t + b + 1;
    const int left = b == 0 ? 0 : b + 1;
    const int pmLeft = b == 0 ? w - (m_ampmWidth + 1) : w - (m_ampmWidth + b + 2);
    const int bottom = top + m_ampmHeight;
    SetFontAndColor(m_ampmFont, m_clockForeColor);
    const bool amActive = m_seconds / 3600 < 12;
    auto drawBox = [&](int x, const QString& text, bool active) {
        DrawBevelBox(x, top, x + m_ampmWidth, bottom,
            active ? m_highliteBackColor : m_clockBackColor, m_ampmBoxStyle, m_ampmBevelWidth);
        PrintAligned(x, top - 1, x + m_ampmWidth, bottom, text, QStringLiteral("center"), 0.5,
            active ? m_highliteForeColor : m_clockForeColor);
    };
    drawBox(left, m_amText, amActive);
    drawBox(pmLeft, m_pmText, !amActive);
}

void AnalogClock::SetFontAndColor(const QFont& font, OleColor color)
{
    picClock->setTextFont(font);
    picClock->setForeColor(color);
}

void AnalogClock::DrawBevelBox(
    int x1, int y1, int x2, int y2, OleColor fill, std::int32_t style, int bevel)
{
    picClock->setFillColor(fill);
    picClock->setFillStyle(Canvas::FillStyle::Solid);
    picClock->setDrawWidth(1);
    picClock->box(x1, y1, x2, y2, fill, Canvas::BoxFill::Outline);
    if (!hasBevel(style, bevel))
        return;
    // Four sides of ring i: top and left in one colour, bottom and right in the other.
    auto ring = [&](int i, OleColor topLeft, OleColor bottomRight, int rightExtra) {
        picClock->line(x1 + i, y1 + i, x2 - i, y1 + i, topLeft);
        picClock->line(x1 + i, y1 + i, x1 + i, y2 - i, topLeft);
        picClock->line(x1 + i, y2 - i, x2 - i + 1, y2 - i, bottomRight);
        picClock->line(x2 - i, y1 + i, x2 - i, y2 - i + rightExtra, bottomRight);
    };
    if (style == 1) {
        for (int i = 0; i <= bevel - 2; ++i)
            ring(i, kShadow, kHighlight, 1);
        ring(bevel - 1, kDarkShadow, kLight, 1);
        return;
    }
    picClock->line(x1, y1, x2 - 1, y1, kLight);
    picClock->line(x1, y1, x1, y2 - 1, kLight);
    picClock->line(x1, y2, x2 + 1, y2, kDarkShadow);
    picClock->line(x2, y1, x2, y2, kDarkShadow);
    for (int i = 1; i <= bevel - 1; ++i)
        ring(i, kHighlight, kShadow, 0);
}

void AnalogClock::PrintAligned(double x1,
    double y1,
    double x2,
    double y2,
    const QString& text,
    const QString& align,
    double vFactor,
    std::optional<OleColor> color)
{
    placeAligned(x1, y1, x2, y2, text, align, vFactor);
    if (color)
        picClock->setForeColor(*color);
    picClock->print(text);
}

void AnalogClock::placeAligned(double x1,
    double y1,
    double x2,
    double y2,
    const QString& text,
    const QString& align,
    double vFactor)
{
    const QString how = align.toLower();
    const double width = picClock->textWidth(text);
    const double height = picClock->textHeight(text);
    const double y = (y2 - y1) * vFactor - height * vFactor + y1;
    if (how == u"left")
        picClock->setCurrentPoint(x1, y);
    else if (how == u"right")
        picClock->setCurrentPoint(x2 - width, y);
    else if (how == u"center")
        picClock->setCurrentPoint((x2 - x1) / 2 - width / 2 + x1, y);
}

void AnalogClock::onMouseDown(int button, int, float x, float y)
{
    m_lastDownX = x;
    m_lastDownY = y;
    HandleMouseDown(x, y, button);
}

void AnalogClock::onDblClick()
{
    // The second click of a double click repeats the last press as a left press.
    if (!timerRunning())
        HandleMouseDown(m_lastDownX, m_lastDownY, 1);
}

void AnalogClock::onMouseMove(int button, int, float x, float y)
{
    if (timerRunning()) {
        picClock->unsetCursor();
        return;
    }
    const int b = m_clockBevelWidth;
    const double top = m_titleShow ? m_titleHeight + b + 1 : b;
    const bool overFace =
        x >= b && x <= surfaceWidth() - b - 1 && y >= top && y <= surfaceHeight() - b - 1;
    if (overFace)
        picClock->setCursor(pointingHandCursor());
    else
        picClock->unsetCursor();
    if (m_isDragging) {
        SetTimeFromPoint(x, y, button);
        refreshFace();
    }
}

void AnalogClock::onMouseUp(int button, int, float x, float y)
{
    // Cleared first, so the released hand is drawn in its own colour.
    m_dragButton = 0;
    if (!timerRunning() && m_isDragging) {
        SetTimeFromPoint(x, y, button);
        refreshFace();
    }
    m_isDragging = false;
}

void AnalogClock::HandleMouseDown(float x, float y, int button)
{
    if (timerRunning()) {
        m_isDragging = false;
        m_dragButton = 0;
        return;
    }
    m_dragButton = 0;
    const int w = surfaceWidth();
    const int h = surfaceHeight();
    const int b = m_clockBevelWidth;
    const int t = m_titleShow ? m_titleHeight : 0;
    if (!(b + 1 < x && x < w - b - 1 && t + b + 1 < y && y < h - b - 1))
        return;
    if (y < t + m_ampmHeight && m_ampmShow) {
        const bool inAm = b + 2 < x && x < m_ampmWidth + b;
        const bool inPm = w - m_ampmWidth - b - 2 < x && x < w - b - 4;
        if (inAm || inPm) {
            // A click on a box cancels a drag and moves the time into that half of the day.
            m_isDragging = false;
            const bool pm = m_seconds >= 12 * 3600;
            if (inAm ? pm : !pm) {
                m_seconds += inAm ? -12 * 3600 : 12 * 3600;
                DrawAMPM();
                DrawTime(true);
                refreshFace();
            }
            return;
        }
    }
    m_isDragging = true;
    m_dragButton = button;
}

void AnalogClock::SetTimeFromPoint(float x, float y, int button)
{
    if (timerRunning() || (button != 1 && button != 2))
        return;
    int hour = 0;
    int minute = 0;
    if (button == 1) {
        const int dx = rounded(x - m_geometry.centreX);
        const int dy = rounded(y - m_geometry.centreY);
        minute = minuteAtAngle(pointerAngle(dx, dy));
        hour = m_seconds / 3600;
    }
    m_seconds = hour * 3600 + minute * 60;
    DrawTime(true);
}
