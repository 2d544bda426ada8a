#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>
#include <QWidget>

// Runs `open`, which shows a modal dialog and waits in its event loop, and works the dialog from
// inside that loop with `work`, which must close it. A modal window of another kind is closed, so
// that the test goes on to report it. True when the dialog was reached.
template <typename Dialog>
bool workModal(const std::function<void()>& open, const std::function<void(Dialog&)>& work)
{
    bool reached = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        reached = dialog != nullptr;
        if (dialog)
            work(*dialog);
        else if (QWidget* other = QApplication::activeModalWidget())
            other->close();
    });
    open();
    return reached;
}
