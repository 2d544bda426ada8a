#pragma once

#include "app/MainWindowMouse.h"

#include <array>

#include <QObject>
#include <QPoint>
#include <QStringView>

class AnalogClock;
class FlamMenus;
class GGCommand;
class Metronome;
class QLabel;
class QMouseEvent;
class QWidget;
class WindowOpeners;

// The main window's controls the skin works on, as the window built them; none is null.
struct SkinControls
{
    QWidget* Picture1;
    QWidget* Image17;
    QWidget* Image10;
    QWidget* Image11;
    QWidget* Image12;
    QLabel* imKlavir;
    QWidget* Image23;
    AnalogClock* AnalogClock1;
};

// The mouse on the main window's skin: the window dragged by its background and by the frame
// around the tempo dial (the drag area), the main menu on the right button, the hover pictures
// of the subdivision buttons, the piano button, the about hot spot, and the eight gradient
// buttons it places on the skin (four menus, the recorder, the encoder, minimise and close).
//
// It works on the window's controls the window hands it and on the engine form's menus (which
// outlive it), and leaves the clicks the window handles itself alone; a press on a control never
// drags. Dragging asks the platform to move the window (which also works where a program cannot
// place its own windows) and, where the platform cannot, moves the window with the pointer itself.
// UI thread only.
class MainWindowSkin : public QObject, private SkinControls
{
    Q_OBJECT

public:
    MainWindowSkin(QWidget& window,
        const SkinControls& controls,
        Metronome& metronome,
        WindowOpeners& openers,
        FlamMenus& menus);
    ~MainWindowSkin() override;

    MainWindowMouse& mouse() { return m_mouse; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeGradientButtons();
    void openDragAreaOverTheDial();
    void GGCommand_Click(int index);
    void showMenu(QStringView name, QPoint at);
    void rightButtonMenu(MainWindowMouse::MenuSpot spot, QPoint at);

    bool picture1Event(QEvent* event);
    bool image17Event(QEvent* event);
    bool imKlavirEvent(QEvent* event);
    bool image23Event(QEvent* event);
    void beginDrag(const QMouseEvent& press);
    // True while the window follows the pointer by our own moves.
    bool followDrag(const QMouseEvent& mouse);
    void showImKlavir();

    QWidget& m_window;
    WindowOpeners& m_openers;
    FlamMenus& m_menus;
    MainWindowMouse m_mouse;

    std::array<GGCommand*, 8> m_buttons {};

    bool m_dragging = false;
    // The pointer's place relative to the window's top-left corner when the drag began.
    QPoint m_dragGrip;
    bool m_image23Pressed = false;
};
