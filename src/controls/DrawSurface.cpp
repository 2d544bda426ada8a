#include "controls/DrawSurface.h"

#include "controls/Guarded.h"

#include <QMouseEvent>
#include <QPainter>

DrawSurface::DrawSurface(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The canvas paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawSurface::refresh()
{
    update();
}

void DrawSurface::setSeeThrough(bool seeThrough)
{
    Canvas::setSeeThrough(seeThrough);
    setAttribute(Qt::WA_OpaquePaintEvent, !seeThrough);
}

int DrawSurface::buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int DrawSurface::buttonMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    for (Qt::MouseButton b : { Qt::LeftButton, Qt::RightButton, Qt::MiddleButton }) {
        if (buttons.testFlag(b))
            mask |= buttonCode(b);
    }
    // A side button held too must not read as the left button alone.
    if (buttons & ~(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton))
        mask |= kOtherButtons;
    return mask;
}

int DrawSurface::shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0)
        | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0)
        | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

void DrawSurface::paintEvent(QPaintEvent* event)
{
    guarded("DrawSurface::paintEvent", [&] {
        QPainter painter(this);
        painter.drawImage(event->rect(), image(), event->rect());
    });
}

void DrawSurface::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    guarded("DrawSurface::mouseDown", [&] {
        emit mouseDown(buttonCode(event->button()), shiftMask(event->modifiers()),
            static_cast<float>(p.x()), static_cast<float>(p.y()));
    });
}

void DrawSurface::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    guarded("DrawSurface::mouseMove", [&] {
        emit mouseMove(buttonMask(event->buttons()), shiftMask(event->modifiers()),
            static_cast<float>(p.x()), static_cast<float>(p.y()));
    });
}

void DrawSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    guarded("DrawSurface::mouseUp", [&] {
        emit mouseUp(buttonCode(event->button()), shiftMask(event->modifiers()),
            static_cast<float>(p.x()), static_cast<float>(p.y()));
    });
}

void DrawSurface::mouseDoubleClickEvent(QMouseEvent*)
{
    // Widgets get no press for the click that makes a double click (Qt sends this event in its
    // place), which is exactly the order the controls expect.
    guarded("DrawSurface::dblClick", [&] {
        emit dblClick();
    });
}

void DrawSurface::focusInEvent(QFocusEvent* event)
{
    guarded("DrawSurface::gotFocus", [&] {
        emit gotFocus();
    });
    QWidget::focusInEvent(event);
}

void DrawSurface::focusOutEvent(QFocusEvent* event)
{
    guarded("DrawSurface::lostFocus", [&] {
        emit lostFocus();
    });
    QWidget::focusOutEvent(event);
}
