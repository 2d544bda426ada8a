#pragma once

#include <vector>

#include <QObject>
#include <QPointer>

class QWidget;

// While it lives the program takes no user input, as while a sound plays synchronously: mouse,
// wheel, key and touch events to any window are dropped (not kept for later, so a click on a
// button meanwhile runs nothing), and a window's close is held and asked for again when the hold
// ends. Windows still repaint and timers still run. UI thread only; holds may nest.
class InputHold : public QObject
{
public:
    InputHold();
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> m_heldCloses;
};
