#pragma once

#include "controls/CustomControl.h"
#include "controls/OleColor.h"
#include "platform/basic/WakeTimer.h"

#include <cstdint>
#include <functional>
#include <memory>

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>

class BalloonTip;
class DrawSurface;
class QPainter;

// The gradient command button: a drawn face (two-colour gradient or plain background), a caption
// and an optional picture, each placed by one of nine alignments plus an offset, a one-pixel
// border (flat, raised, sunken) and an optional 3-D frame around the face. While the pointer is
// over it the caption takes the hover look and, when ToolTip is not empty, a balloon tip shows
// after the usual delay (BalloonTip.h).
//
// Coded values: alignments 0 top-left, 1 middle-left, 2 bottom-left, 3 top-centre, 4 centre,
// 5 bottom-centre, 6 top-right, 7 middle-right, 8 bottom-right; GradientOrientation 0 bands from
// top to bottom, 1 lines from left to right; Border3DStyle 0 none, 1 sunken client edge, 2 dialog
// frame, 3 static edge, 4 client edge inside a dialog frame; ToolTipStyle 1 balloon, anything else
// rectangular; ToolTipIcon 0 none, 1 information, 2 warning, 3 error. An alignment, orientation or
// frame style outside its range is refused: nothing is stored, drawn or reported (and a stored
// one loads as the default), so a layout never drifts.
//
// Setters store, draw and report the stored key through propertyChanged (also for an unchanged
// value), except GradientFromColor, GradientToColor, GradientOrientation and UseGradientFill,
// which do nothing for their current value. The tooltip settings other than the text take effect
// when the tip is next made (on the next entry); a new ToolTip text shows at once.
//
// The mouse, as a state machine of (hover, armed, border): idle (pointer away, flat border),
// hover (hover look, raised border) and pressed (face shifted by one pixel, gradient inverted when
// UseGradientFill and GradientInverseOnPress, sunken border). A left release while armed raises
// Click and then MouseUp; a press dragged outside is cancelled (MouseExit, idle) unless
// DontReleaseCapture is on, which keeps it pressed so that a release outside still clicks. After
// a release, once Click and MouseUp have run (a handler may have opened a menu or a dialog), the
// button looks where the pointer is now and drops to idle when it is elsewhere. Right and middle
// presses arm the click and raise MouseDown / MouseUp but draw nothing and never click. Outside
// its rectangle the button hears the mouse only while it counts the pointer as inside. Key presses
// are ignored. Value = true raises Click and changes nothing else.
//
// Events are synchronous signals (DrawSurface.h); the mouse events pass Button, Shift, X and Y by
// reference, and the button goes on with what a handler leaves in them. A handler may delete the
// control with deleteLater() (never with delete: the event that raised it is still running).
class GGCommand : public CustomControl
{
    Q_OBJECT

public:
    explicit GGCommand(QWidget* parent = nullptr);
    ~GGCommand() override;

    std::int32_t Border3DStyle() const { return m_border3DStyle; }

    void setBorder3DStyle(std::int32_t style);
    void setDontReleaseCapture(bool keep);

    OleColor GradientFromColor() const { return m_gradientFromColor; }

    void setGradientFromColor(OleColor color);

    bool GradientInverseOnPress() const { return m_gradientInverseOnPress; }

    void setGradientInverseOnPress(bool inverse);

    std::int32_t GradientOrientation() const { return m_gradientOrientation; }

    void setGradientOrientation(std::int32_t orientation);

    OleColor GradientToColor() const { return m_gradientToColor; }

    void setGradientToColor(OleColor color);

    OleColor ToolTipBackColor() const { return m_toolTipBackColor; }

    void setToolTipBackColor(OleColor color);

    OleColor ToolTipForeColor() const { return m_toolTipForeColor; }

    void setToolTipForeColor(OleColor color);

    bool ToolTipCentered() const { return m_toolTipCentered; }

    void setToolTipCentered(bool centred);

    bool AlwaysShowBorder() const { return m_alwaysShowBorder; }

    void setAlwaysShowBorder(bool show);

    QString Caption() const { return m_caption; }

    void setCaption(const QString& caption);

    std::int32_t CaptionAlignment() const { return m_captionAlignment; }

    void setCaptionAlignment(std::int32_t alignment);

    std::int32_t CaptionXOffset() const { return m_captionXOffset; }

    void setCaptionXOffset(std::int32_t pixels);

    std::int32_t CaptionYOffset() const { return m_captionYOffset; }

    void setCaptionYOffset(std::int32_t pixels);

    bool FontBoldOnHover() const { return m_fontBoldOnHover; }

    void setFontBoldOnHover(bool bold);

    OleColor FontColorOnHover() const { return m_fontColorOnHover; }

    void setFontColorOnHover(OleColor color);

    OleColor ForeColor() const { return m_foreColor; }

    void setForeColor(OleColor color);

    std::int32_t PictureAlignment() const { return m_pictureAlignment; }

    void setPictureAlignment(std::int32_t alignment);

    std::int32_t PictureXOffset() const { return m_pictureXOffset; }

    void setPictureXOffset(std::int32_t pixels);

    std::int32_t PictureYOffset() const { return m_pictureYOffset; }

    void setPictureYOffset(std::int32_t pixels);

    // The drawing surface's window.
    QWidget* hWnd() const;

    QString ToolTip() const { return m_toolTip; }

    // Hides QWidget::setToolTip: the balloon is this control's only tip.
    void setToolTip(const QString& text);

    std::int32_t ToolTipIcon() const { return m_toolTipIcon; }

    void setToolTipIcon(std::int32_t icon);

    std::int32_t ToolTipStyle() const { return m_toolTipStyle; }

    void setToolTipStyle(std::int32_t style);

    QString ToolTipTitle() const { return m_toolTipTitle; }

    void setToolTipTitle(const QString& title);

    bool UseGradientFill() const { return m_useGradientFill; }

    void setUseGradientFill(bool use);

    bool UseHoverProperties() const { return m_useHoverProperties; }

    void setUseHoverProperties(bool use);

    void setValue(bool value);

    // 0 default, 1 arrow, 2 cross, 3 I-beam, 4 icon, 5 size, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E,
    // 10 up arrow, 11 hourglass, 12 no drop, 13 arrow and hourglass, 14 arrow and question mark,
    // 15 size all, 99 custom (no icon: the default). Another code, or one past 16 bits, is ignored
    // (the pointer stays) but still reported.
    std::int32_t MousePointer() const { return m_mousePointer; }

    void setMousePointer(std::int32_t pointer);

    OleColor BackColor() const { return m_backColor; }

    void setBackColor(OleColor color);

    // The control's own font object: a change made through the reference (a window scaler setting
    // the size) shows at the next layout. setFont hides QWidget::setFont on purpose: the caption's
    // font is this property, not the widget's.
    QFont& Font() { return m_font; }

    void setFont(const QFont& font);

    // A null image: no picture (a new control's empty picture is the same).
    const QImage& Picture() const { return m_picture; }

    void setPicture(const QImage& picture);

    bool Enabled() const { return m_enabled; }

    // Hides QWidget::setEnabled: enables the drawing surface (the whole face), reports, draws
    // nothing.
    void setEnabled(bool enabled);

    // A picture drawn in place of the caption text, for captions that were glyphs of a symbol
    // font: laid out by CaptionAlignment and the offsets at its own size, and painted through its
    // alpha in the caption's current colour (ForeColor, the hover colour), as the glyph was. A
    // null image goes back to the text. Not stored, not reported.
    void setCaptionGlyph(const QImage& glyph);

    // The one-shot timers of the tips this button makes; tests put in timers they fire by hand.
    void setTipTimerFactory(WakeTimerFactory make);

signals:
    void Click();
    void DblClick();
    void MouseEnter();
    void MouseExit();
    void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);

protected:
    void initProperties() override;
    void readProperties(const PropertyBag& bag) override;
    void writeProperties(PropertyBag& bag) const override;
    void controlResized() override;
    void controlShown() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Drawing (GGCommandDrawing.cpp).
    void CalcLayout();
    void DrawFace(int offset, bool inverse);
    void DrawBorder(std::int32_t state);
    void ApplyBorder3DStyle(std::int32_t style);
    void GradientFill(OleColor fromColor, OleColor toColor, bool inverse);
    void layOutAndRedraw();
    void redraw();
    // Draws with the caption in the hover colour and boldness, then puts the surface's text
    // colour and the font's weight back, so ForeColor and Font read back unchanged.
    void withHoverLook(const std::function<void()>& draw);
    void drawCaption(double x, double y);
    void paintFrame(QPainter& painter) const;

    // Mouse, focus and tooltip (GGCommandMouse.cpp).
    void onMouseDown(int button, int shift, float x, float y);
    void onMouseMove(int button, int shift, float x, float y);
    void onMouseUp(int button, int shift, float x, float y);
    void onGotFocus();
    void onLostFocus();
    // Each false when a handler has destroyed the control.
    bool enterHover();
    bool leaveHover();
    bool pointInside(double x, double y) const;
    bool pointerInsideNow(double x, double y) const;
    void CreateToolTip();
    void DestroyToolTip();
    // Emits a signal guarded; false when a handler has destroyed the control.
    bool emitGuarded(const char* where, const std::function<void()>& emitIt);

    template <typename Self, typename Io> static void persist(Self& control, Io&& io);
    void refuseOutOfRange();
    void applySurfaceAttributes();
    void resetRunState();

    DrawSurface* picGG = nullptr;
    QPointer<BalloonTip> m_tipWindow;
    WakeTimerFactory m_makeTipTimer;

    // Stored properties: their keys and defaults are in persist().
    QString m_caption;
    std::int32_t m_captionAlignment {};
    std::int32_t m_captionXOffset {};
    std::int32_t m_captionYOffset {};
    bool m_useHoverProperties {};
    bool m_fontBoldOnHover {};
    OleColor m_fontColorOnHover {};
    OleColor m_backColor {};
    OleColor m_foreColor {};
    QFont m_font;
    QImage m_picture;
    std::int32_t m_pictureAlignment {};
    std::int32_t m_pictureXOffset {};
    std::int32_t m_pictureYOffset {};
    bool m_alwaysShowBorder {};
    QString m_toolTip;
    QString m_toolTipTitle;
    OleColor m_toolTipBackColor {};
    OleColor m_toolTipForeColor {};
    std::int32_t m_toolTipIcon {};
    std::int32_t m_toolTipStyle {};
    std::int32_t m_border3DStyle {};
    std::int32_t m_gradientOrientation {};
    bool m_useGradientFill {};
    OleColor m_gradientFromColor {};
    OleColor m_gradientToColor {};
    bool m_gradientInverseOnPress {};
    std::int16_t m_mousePointer {};
    bool m_enabled = true;

    // Run-time switches, never stored.
    bool m_dontReleaseCapture = false;
    bool m_toolTipCentered = false;
    QImage m_captionGlyph;

    // Run-time state.
    std::int32_t m_borderState = 0;
    bool m_hoverActive = false;
    bool m_pressActive = false;
    bool m_clickArmed = false;
    float m_captionX = 0;
    float m_captionY = 0;
    float m_pictureX = 0;
    float m_pictureY = 0;
    int m_faceOffset = 0;
    int m_frameWidth = 0;
    bool m_isLoaded = false;
};
