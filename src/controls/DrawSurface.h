#pragma once

#include "controls/Canvas.h"

#include <QWidget>

// A widget showing a persistent Canvas, with the mouse and focus as the controls see them:
//
// - Button on mouseDown and mouseUp is the button that went down or up: 1 left, 2 right,
//   4 middle (0 for any other). On mouseMove it is the mask of the buttons held, with
//   kOtherButtons for any other (a side button), so that "the left button alone" is exactly 1.
// - Shift is the mask of the held modifier keys: 1 Shift, 2 Ctrl, 4 Alt.
// - X and Y are pixels from the top-left corner, fractions kept.
// - A double click arrives as mouseDown, mouseUp, dblClick, mouseUp: the second press is not
//   reported as a mouseDown of its own.
// - Moves arrive also with no button held (for pointer changes); after a press, moves and the
//   release arrive here even outside the widget until the last button comes up.
//
// Events (this signal convention holds for every control of this folder): Qt signals, emitted
// synchronously; connect them directly (the default within the UI thread), never queued, because
// a handler may read and change the control's state before the emitting code goes on, and
// arguments a handler may change are passed by non-const reference. Each emission runs guarded:
// an exception from a handler is logged and goes no further than the event that raised it.
//
// refresh() shows what has been drawn since the last refresh. The canvas always has the widget's
// size, also while the widget is hidden.
class DrawSurface : public QWidget, public Canvas
{
    Q_OBJECT

public:
    explicit DrawSurface(QWidget* parent = nullptr);

    void refresh();

    // A see-through canvas (Canvas::setSeeThrough) with the window painted under it.
    void setSeeThrough(bool seeThrough);

    static constexpr int kOtherButtons = 8;

    static int buttonCode(Qt::MouseButton button);
    static int buttonMask(Qt::MouseButtons buttons);
    static int shiftMask(Qt::KeyboardModifiers modifiers);

signals:
    void mouseDown(int Button, int Shift, float X, float Y);
    void mouseMove(int Button, int Shift, float X, float Y);
    void mouseUp(int Button, int Shift, float X, float Y);
    void dblClick();
    void gotFocus();
    void lostFocus();

protected:
    QSize targetSize() const override { return size(); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
