#pragma once

#include "controls/CustomControl.h"
#include "controls/DialGeometry.h"
#include "controls/OleColor.h"

#include <cstdint>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QString>

class DrawSurface;
class QTimer;

// The tempo dial: a clock face with one draggable minute hand that keeps a time of day. Its
// window reads the minute of Value and takes three times it as the tempo; the face is labelled
// with those tempi (" 0" to " 165").
//
// Times are date-times (day counts, see TimeOfDay.h); the control keeps only the time of day,
// in whole seconds. Value is the default property: assigning it always raises Change before it
// returns, also for the same time and also while nothing may be drawn; assigning Time raises
// nothing. ValueText() is the time as "hh:nn:ss", two-digit hours whatever the locale.
//
// ClockBackColor is a plain store (its window keeps its custom-tempo flag there): it reads back
// exactly what was assigned, repaints the face and raises no Change.
//
// Setters draw (when Redraw is on) and report the stored key through propertyChanged; setters
// of sizes and widths ignore a refused value silently: nothing stored, drawn or reported.
// AMPMWidth, AMPMHeight and TitleHeight are seen in twips and kept in pixels.
//
// The fonts are the control's own objects: TitleFont() and the others return references, and a
// change made through one (a window scaler setting the size) shows at the next redraw.
//
// Mouse on the face: a left drag sets the minute (hour kept, seconds 0) at every move and on the
// release, each time raising Change; a right drag sets 00:00:00; clicks in the am/pm boxes move
// the time by twelve hours. While AutoUpdate follows the system clock the mouse does nothing.
// Events are synchronous signals (DrawSurface.h); a Change handler may set properties again.
class AnalogClock : public CustomControl
{
    Q_OBJECT

public:
    explicit AnalogClock(QWidget* parent = nullptr);
    ~AnalogClock() override;

    double Value() const;
    void setValue(double dateTime);

    double Time() const { return Value(); }

    void setTime(double dateTime);
    QString ValueText() const;

    QString TitleFormat() const { return m_titleFormat; }

    void setTitleFormat(const QString& picture);

    bool TitleShow() const { return m_titleShow; }

    void setTitleShow(bool show);

    bool AMPMShow() const { return m_ampmShow; }

    void setAMPMShow(bool show);

    bool HandSecondShow() const { return m_handSecondShow; }

    void setHandSecondShow(bool show);

    OleColor TitleBackColor() const { return m_titleBackColor; }

    void setTitleBackColor(OleColor color);

    OleColor TitleForeColor() const { return m_titleForeColor; }

    void setTitleForeColor(OleColor color);

    OleColor ClockBackColor() const { return m_clockBackColor; }

    void setClockBackColor(OleColor color);

    OleColor ClockForeColor() const { return m_clockForeColor; }

    void setClockForeColor(OleColor color);

    OleColor HandHourColor() const { return m_handHourColor; }

    void setHandHourColor(OleColor color);

    OleColor HandMinuteColor() const { return m_handMinuteColor; }

    void setHandMinuteColor(OleColor color);

    OleColor HandSecondColor() const { return m_handSecondColor; }

    void setHandSecondColor(OleColor color);

    OleColor HoursColor() const { return m_hoursColor; }

    void setHoursColor(OleColor color);

    OleColor MinutesColor() const { return m_minutesColor; }

    void setMinutesColor(OleColor color);

    OleColor HighliteBackColor() const { return m_highliteBackColor; }

    void setHighliteBackColor(OleColor color);

    OleColor HighliteForeColor() const { return m_highliteForeColor; }

    void setHighliteForeColor(OleColor color);

    std::int32_t TitleBoxStyle() const { return m_titleBoxStyle; }

    void setTitleBoxStyle(std::int32_t style);

    std::int16_t TitleBevelWidth() const { return m_titleBevelWidth; }

    void setTitleBevelWidth(std::int16_t pixels);

    std::int32_t AMPMBoxStyle() const { return m_ampmBoxStyle; }

    void setAMPMBoxStyle(std::int32_t style);

    std::int16_t AMPMBevelWidth() const { return m_ampmBevelWidth; }

    void setAMPMBevelWidth(std::int16_t pixels);

    std::int32_t ClockBoxStyle() const { return m_clockBoxStyle; }

    void setClockBoxStyle(std::int32_t style);

    std::int16_t ClockBevelWidth() const { return m_clockBevelWidth; }

    void setClockBevelWidth(std::int16_t pixels);

    std::int32_t HoursBoxStyle() const { return m_hoursBoxStyle; }

    void setHoursBoxStyle(std::int32_t style);

    std::int16_t HoursBevelWidth() const { return m_hoursBevelWidth; }

    void setHoursBevelWidth(std::int16_t pixels);

    std::int16_t HandHourWidth() const { return m_handHourWidth; }

    void setHandHourWidth(std::int16_t pixels);

    std::int16_t HandMinuteWidth() const { return m_handMinuteWidth; }

    void setHandMinuteWidth(std::int16_t pixels);

    std::int16_t HandSecondWidth() const { return m_handSecondWidth; }

    void setHandSecondWidth(std::int16_t pixels);

    QFont& TitleFont() { return m_titleFont; }

    void setTitleFont(const QFont& font);

    QFont& AMPMFont() { return m_ampmFont; }

    void setAMPMFont(const QFont& font);

    QFont& ClockFont() { return m_clockFont; }

    void setClockFont(const QFont& font);

    std::int16_t AMPMWidth() const;
    void setAMPMWidth(std::int16_t twips);
    std::int16_t AMPMHeight() const;
    void setAMPMHeight(std::int16_t twips);
    std::int32_t TitleHeight() const;
    void setTitleHeight(std::int32_t twips);

    bool Redraw() const { return m_redraw; }

    void setRedraw(bool redraw);

    bool AutoUpdate() const { return m_autoUpdate; }

    void setAutoUpdate(bool follow);

    // Where the face was last laid out (kept also while Redraw is off).
    DialGeometry geometry() const { return m_geometry; }

    // The system clock the AutoUpdate timer reads; tests put their own in.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

signals:
    void Change();
    void ClockGotFocus();
    void ClockLostFocus();

protected:
    void initProperties() override;
    void readProperties(const PropertyBag& bag) override;
    void writeProperties(PropertyBag& bag) const override;
    void controlResized() override;
    void controlShown() override;

private:
    // Drawing (AnalogClockDrawing.cpp).
    void DrawClock();
    void DrawTime(bool raiseChange);
    void DrawAMPM();
    void SetFontAndColor(const QFont& font, OleColor color);
    void DrawBevelBox(int x1, int y1, int x2, int y2, OleColor fill, std::int32_t style, int bevel);
    void PrintAligned(double x1,
        double y1,
        double x2,
        double y2,
        const QString& text,
        const QString& align,
        double vFactor,
        std::optional<OleColor> color = std::nullopt);
    // Puts the print position where PrintAligned would print `text`.
    void placeAligned(double x1,
        double y1,
        double x2,
        double y2,
        const QString& text,
        const QString& align,
        double vFactor);
    // Draws the am/pm boxes on the shown image; DrawAMPM draws them on the face too.
    void drawAMPMBoxes();
    void refreshFace();
    int surfaceWidth() const;
    int surfaceHeight() const;

    // Mouse (AnalogClockDrawing.cpp).
    void onMouseDown(int button, int shift, float x, float y);
    void onMouseMove(int button, int shift, float x, float y);
    void onMouseUp(int button, int shift, float x, float y);
    void onDblClick();
    void HandleMouseDown(float x, float y, int button);
    void SetTimeFromPoint(float x, float y, int button);

    template <typename Self, typename Io> static void persist(Self& control, Io&& io);
    std::int16_t surfaceWidthPixels() const;
    void applyAutoUpdate();
    void storeTime(double dateTime, bool raiseChange);
    void timerTick();
    bool timerRunning() const;
    // The redraws of the properties that show on the hand, on the am/pm boxes.
    void redrawHand();
    void redrawAMPM();

    DrawSurface* picClock = nullptr;
    QTimer* tmrAutoUpdate = nullptr;
    std::function<QDateTime()> m_now;

    // The time of day in seconds; never a stored property.
    std::int32_t m_seconds = 0;
    // Stored properties: their keys and defaults are in persist().
    QString m_titleFormat;
    bool m_titleShow {};
    std::int16_t m_titleHeight {};
    std::int16_t m_titleWidth {};
    std::int32_t m_titleBoxStyle {};
    std::int16_t m_titleBevelWidth {};
    OleColor m_titleBackColor {};
    OleColor m_titleForeColor {};
    QFont m_titleFont;
    std::int32_t m_clockBoxStyle {};
    std::int16_t m_clockBevelWidth {};
    OleColor m_clockBackColor {};
    OleColor m_clockForeColor {};
    QFont m_clockFont;
    OleColor m_handHourColor {};
    std::int16_t m_handHourWidth {};
    OleColor m_handMinuteColor {};
    std::int16_t m_handMinuteWidth {};
    OleColor m_handSecondColor {};
    std::int16_t m_handSecondWidth {};
    bool m_handSecondShow {};
    OleColor m_highliteBackColor {};
    OleColor m_highliteForeColor {};
    bool m_ampmShow {};
    std::int16_t m_ampmWidth {};
    std::int16_t m_ampmHeight {};
    std::int32_t m_ampmBoxStyle {};
    std::int16_t m_ampmBevelWidth {};
    QFont m_ampmFont;
    std::int32_t m_hoursBoxStyle {};
    std::int16_t m_hoursBevelWidth {};
    OleColor m_hoursColor {};
    OleColor m_minutesColor {};
    OleColor m_secondColor {};
    QString m_amText;
    QString m_pmText;
    bool m_autoUpdate {};

    bool m_redraw = false;

    DialGeometry m_geometry;

    // The face as DrawClock drew it, labels and am/pm boxes included but no hand or title text:
    // a hand move paints the inner disc back from it, so the labels that moved in from the bevel
    // on a small face come back whole. Drawn again with the whole face, and the am/pm boxes
    // drawn on it whenever they are drawn.
    QImage m_face;
    bool m_isDragging = false;
    int m_dragButton = 0;
    float m_lastDownX = 0;
    float m_lastDownY = 0;
    bool m_isLoaded = false;
};
