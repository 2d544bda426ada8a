#pragma once

#include "controls/CLSKNOB.h"
#include "controls/CustomControl.h"

#include <cstdint>

#include <QImage>

class DrawSurface;

// A rotary knob turned by dragging in circles over its face with the left button alone. Each
// move of such a drag counts up to two movement components (horizontal and vertical, by the half
// of the face the pointer is in): clockwise on screen counts up and turns the pointer towards 45
// degrees, the top of the range; anticlockwise turns it towards 315, the value 0. One move turns
// by at most one step, however far the pointer went, and raises Changed even when nothing turned
// (at a stop, or a diagonal move whose components cancel). A release of the left button raises
// Changed without turning. Moves and releases with other buttons do nothing. There is no press:
// a drag's first move is compared with where the previous one ended (0, 0 at first).
//
// Nothing is stored with the window and nothing survives the control: every knob starts with its
// pointer at 45 degrees, which reads 100 in the starting mode 1 (10 in mode 0, 1000 in mode 2).
//
// The face is the stock 36 x 36 knob picture, drawn at the size of the control's smaller side;
// the indicator's length follows the face's height in classes (knobSizeClass). The face is round:
// the window behind the control shows around it.
//
// Events follow DrawSurface.h: a synchronous signal, direct connections.
class Knob : public CustomControl
{
    Q_OBJECT

public:
    explicit Knob(QWidget* parent = nullptr);
    ~Knob() override;

    // The range: 0 for 0..10, 1 for 0..100, 2 for 0..1000; any other mode turns nothing and reads
    // 0. Neither turns the pointer nor raises Changed.
    void SetMode(std::int16_t Mode);
    // A multiplier of the angle step; 0 turns nothing and a negative step turns the other way.
    void SetStep(std::int16_t Step);
    std::int16_t KnobValue() const;

    // The pointer's angle in degrees, 45..315.
    float pointerAngle() const { return m_knob.Angle; }

    // The face as drawn.
    const QImage& face() const;

signals:
    void Changed();

protected:
    void initProperties() override {}

    void readProperties(const PropertyBag&) override {}

    void writeProperties(PropertyBag&) const override {}

    void controlResized() override;

private:
    void drawFace();
    void onMouseMove(int button, int shift, float x, float y);
    void onMouseUp(int button, int shift, float x, float y);
    // Redraws, raises Changed, keeps the counter within its limits and remembers the pointer.
    void afterMove(float x, float y);

    DrawSurface* Knob1 = nullptr;
    CLSKNOB m_knob;
    QImage m_stockFace;
    std::int16_t KnobCounter = 0;
    float LastX = 0;
    float LastY = 0;
    std::int16_t SizeClass = 0;
    std::int16_t KnobMode = 1;
    std::int16_t KnobStep = 1;
};

// The indicator's size class for a face this many twips high: 0 up to 495, 1 up to 615, 2 up to
// 735, 3 up to 855, else 4 (the stock 540-twip face is class 1).
std::int16_t knobSizeClass(std::int64_t heightTwips);

// The stock knob picture drawn at size x size pixels, transparent outside its round face.
QImage knobFacePicture(int size);
