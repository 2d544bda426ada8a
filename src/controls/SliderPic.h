#pragma once

#include "controls/ControlError.h"
#include "controls/CustomControl.h"
#include "controls/OleColor.h"
#include "controls/SliderGeometry.h"

#include <cstdint>

#include <QImage>
#include <QString>

class DrawSurface;

// A slider drawn entirely from three pictures: a track (ImageSlider), the part of the track on
// the Min side of the pointer (ImageLeft) and the pointer (ImagePointer). They are composed off
// screen over MaskColor; with BackStyle 0 every pixel of the composed picture in MaskColor sees
// through, also for the mouse: a click there reaches the widget behind the control. The control
// sizes itself to its pictures (track plus pointer along the track, the larger of the two
// across it); a container cannot give it another size.
//
// Pictures are QImages, a null image meaning none. Transparent parts of a picture with an alpha
// channel show MaskColor and so see through as well. A control without an ImagePointer draws no
// pointer and ignores the mouse; one without an ImageLeft draws no left part.
//
// Position, bounds and errors:
// - The sets of CurPosition, Min and Max keep Min < Max and Min <= CurPosition <= Max.
//   setCurPosition clamps (150 with 0..100 stores 100) and raises no event, so a caller that
//   has no valid number (a setting that is not one) simply does not call it and the position
//   stays where it was.
// - setMin refuses a value >= Max with error 513 "Minimum must be less than Maximum", setMax a
//   value <= Min with error 514 "Maximum must be greater than Minimum", both with the source
//   "RozazuVuvadu". A refused value changes nothing (bounds, position, picture, host). Move the
//   bounds in an order that keeps Min < Max at every step: 0..10 to 20..30 sets Max first.
// - setBackStyle refuses a value outside the 16-bit range with the runtime's overflow error 6.
// - setDisabledIntense takes 0..85 and silently ignores anything else.
// - Stored properties are read as they are: bounds and position are not checked on load.
//
// Mouse (left button only, and only with a pointer picture): a press on the pointer starts a
// drag, and every move of the drag, also one that does not change the value, reports the
// position under the mouse; a press elsewhere makes the pointer jump there and reports once,
// starting no drag. Positions beyond the track's ends are held at its ends.
//
// PositionChanged(oldPosition, newPosition) is raised before the new position is stored:
// inside a handler CurPosition() still gives the previous position, which is also what
// oldPosition refers to (the stored position itself), and newPosition is the new one. A handler
// may change newPosition; what it leaves there is stored as it is (not clamped). Unless Style
// is 1 the pointer stays where the mouse put it whatever the handler leaves.
//
// Enabled is the control's stored property; setting it (or loading it) also enables or
// disables the widget. A disabled control takes no mouse input and shows its pictures lighter
// (DisabledStyle 0) or darker (1) by DisabledIntense.
//
// Setters report their stored key through propertyChanged. Events follow DrawSurface.h:
// synchronous signals, direct connections, arguments a handler may change by reference.
class SliderPic : public CustomControl
{
    Q_OBJECT

public:
    explicit SliderPic(QWidget* parent = nullptr);

    bool Enabled() const { return m_enabled; }

    // Hides QWidget::setEnabled: call it on the SliderPic, not through a QWidget pointer, so that
    // the property is stored and the picture redrawn.
    void setEnabled(bool enabled);

    std::int32_t Orientation() const { return m_orientation; }

    void setOrientation(std::int32_t orientation);

    std::int32_t CurPosition() const { return m_curPosition; }

    void setCurPosition(std::int32_t position);

    std::int32_t Min() const { return m_min; }

    [[nodiscard]] PropertyError setMin(std::int32_t min);

    std::int32_t Max() const { return m_max; }

    [[nodiscard]] PropertyError setMax(std::int32_t max);

    const QImage& ImageSlider() const { return Picture1; }

    void setImageSlider(const QImage& picture);

    const QImage& ImageLeft() const { return imLeft; }

    void setImageLeft(const QImage& picture);

    const QImage& ImagePointer() const { return imPos; }

    void setImagePointer(const QImage& picture);

    // 0: the pointer stays where the mouse put it; 1: it snaps to the value's pixel on redraw.
    std::int32_t Style() const { return m_style; }

    void setStyle(std::int32_t style);

    // 0: MaskColor sees through; any other value: the control is an opaque rectangle.
    std::int32_t BackStyle() const { return m_backStyle; }

    [[nodiscard]] PropertyError setBackStyle(std::int32_t backStyle);

    OleColor MaskColor() const { return m_maskColor; }

    void setMaskColor(OleColor color);

    std::int32_t DisabledStyle() const { return m_disabledStyle; }

    void setDisabledStyle(std::int32_t style);

    std::int32_t DisabledIntense() const { return m_disabledIntense; }

    void setDisabledIntense(std::int32_t intensity);

    // Where the track and the pointer lie now.
    const SliderGeometry& geometry() const { return m_geometry; }

    // True from a press on the pointer to the release: the user holds the pointer, so a player
    // showing its position must leave it where the mouse puts it.
    bool dragging() const { return isDraggingH || isDraggingV; }

    // The composed picture as shown.
    const QImage& picture() const;

signals:
    void PositionChanged(std::int32_t& oldPosition, std::int32_t& newPosition);

protected:
    void initProperties() override;
    void readProperties(const PropertyBag& bag) override;
    void writeProperties(PropertyBag& bag) const override;
    void controlResized() override;

private:
    template <typename Self, typename Io> static void persist(Self& control, Io&& io);
    // The state every new control starts from, without drawing or reporting.
    void setDefaults();
    void takePictureSizes();
    void placePointer();
    void store(const char* key);

    // Layout, drawing and the mask (SliderPicDrawing.cpp).
    void relayout();
    void DrawSlider();
    void redrawAndShow();
    void showPicture();
    OleColor maskRgb() const;

    // Mouse.
    void onMouseDown(int button, int shift, float x, float y);
    void onMouseMove(int button, int shift, float x, float y);
    void onMouseUp(int button, int shift, float x, float y);
    // Puts the pointer at a coordinate along the track (held at its ends) and reports it.
    void movePointerTo(float coordinate);
    void reportPosition(std::int32_t position);

    DrawSurface* picMain = nullptr;
    // The three pictures as given.
    QImage Picture1;
    QImage imLeft;
    QImage imPos;

    // Stored properties: their keys and defaults are in persist().
    bool m_enabled = true;
    std::int32_t m_orientation = 0;
    std::int32_t m_curPosition = 0;
    std::int32_t m_min = 0;
    std::int32_t m_max = 10;
    std::int32_t m_style = 0;
    std::int16_t m_backStyle = 1;
    OleColor m_maskColor = 0;
    std::int32_t m_disabledStyle = 0;
    std::int32_t m_disabledIntense = 20;
    bool isSliderLeftPicSet = true;
    bool isPointerPicSet = true;

    SliderGeometry m_geometry;
    bool isDraggingH = false;
    bool isDraggingV = false;
    bool m_inLayout = false;
};

// The colour a pixel of a disabled slider takes: each channel below 128 moves by 2.5 x delta
// (halves to even), each other channel by delta, held in 0..255; a result that would be the
// mask colour moves by one in its red channel so that the pixel stays visible. Colours are
// &H00BBGGRR.
OleColor disabledColour(OleColor colour, std::int32_t delta, OleColor maskRgb);

// The pictures a new control starts with: track and left part 100 x 4, pointer 6 x 15.
QImage builtInTrackPicture();
QImage builtInLeftPicture();
QImage builtInPointerPicture();
