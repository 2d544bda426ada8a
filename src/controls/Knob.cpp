#include "controls/Knob.h"

#include "controls/DrawSurface.h"
#include "controls/Guarded.h"
#include "controls/Twips.h"

#include <algorithm>

#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr int kStockSize = 36;

} // namespace

std::int16_t knobSizeClass(std::int64_t heightTwips)
{
    const std::int64_t bounds[] = { 495, 615, 735, 855 };
    std::int16_t sizeClass = 0;
    for (const std::int64_t bound : bounds) {
        if (heightTwips <= bound)
            return sizeClass;
        ++sizeClass;
    }
    return sizeClass;
}

QImage knobFacePicture(int size)
{
    QImage picture(std::max(size, 1), std::max(size, 1), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/controls/Knob.svg"));
    if (renderer.isValid()) {
        QPainter painter(&picture);
        renderer.render(&painter, QRectF(0, 0, picture.width(), picture.height()));
    }
    return picture;
}

Knob::Knob(QWidget* parent)
    : CustomControl(parent)
    , Knob1(new DrawSurface(this))
{
    Knob1->setObjectName(QStringLiteral("Knob1"));
    Knob1->setFocusPolicy(Qt::NoFocus);
    // The face is round: around it the window shows, not a square of the button colour.
    Knob1->setSeeThrough(true);
    Knob1->setGeometry(0, 0, kStockSize, kStockSize);
    resize(kStockSize, kStockSize);
    connect(Knob1, &DrawSurface::mouseMove, this, &Knob::onMouseMove);
    connect(Knob1, &DrawSurface::mouseUp, this, &Knob::onMouseUp);
    m_knob.BuildTable();
    drawFace();
}

Knob::~Knob() = default;

void Knob::SetMode(std::int16_t Mode)
{
    KnobMode = Mode;
}

void Knob::SetStep(std::int16_t Step)
{
    KnobStep = Step;
}

std::int16_t Knob::KnobValue() const
{
    return m_knob.GetValue(KnobMode);
}

const QImage& Knob::face() const
{
    return Knob1->image();
}

void Knob::controlResized()
{
    const int side = std::max(1, std::min(width(), height()));
    if (Knob1->height() != side) {
        Knob1->setGeometry(0, 0, side, side);
        m_stockFace = QImage();
    }
    SizeClass = knobSizeClass(pixelsToTwips(Knob1->height()));
    drawFace();
}

void Knob::drawFace()
{
    guarded("Knob::drawKnob", [this] {
        if (m_stockFace.size() != Knob1->size()) {
            m_stockFace = knobFacePicture(Knob1->height());
            Knob1->setPicture(m_stockFace);
        }
        m_knob.drawKnob(*Knob1, KnobCounter, KnobMode, KnobStep, SizeClass);
        Knob1->refresh();
    });
}

void Knob::onMouseMove(int button, int, float x, float y)
{
    if (button != 1)
        return;
    const auto hh = static_cast<float>(Knob1->height() / 2.0);
    const auto hw = static_cast<float>(Knob1->width() / 2.0);
    // Clockwise on screen counts up: rightward over the upper half, leftward under it, downward
    // on the right half, upward on the left.
    if (x != LastX)
        KnobCounter += (x > LastX) == (y < hh) ? 1 : -1;
    if (y != LastY)
        KnobCounter += (y > LastY) == (x >= hw) ? 1 : -1;
    afterMove(x, y);
}

void Knob::onMouseUp(int button, int, float x, float y)
{
    if (button == 1)
        afterMove(x, y);
}

void Knob::afterMove(float x, float y)
{
    drawFace();
    guarded("Knob::Changed", [this] {
        emit Changed();
    });
    // The counter drops back towards 0 to stay far from the 16-bit limits; the last drawn value
    // drops with it, or the next move would read as a turn the other way.
    std::int16_t rebase = 0;
    if (KnobCounter > 100)
        rebase = static_cast<std::int16_t>(50 - KnobCounter);
    else if (KnobCounter < -100)
        rebase = static_cast<std::int16_t>(-50 - KnobCounter);
    KnobCounter = static_cast<std::int16_t>(KnobCounter + rebase);
    m_knob.LastValue = static_cast<std::int16_t>(m_knob.LastValue + rebase);
    LastX = x;
    LastY = y;
}
