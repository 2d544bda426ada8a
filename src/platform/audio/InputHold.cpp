#include "platform/audio/InputHold.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

InputHold::InputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (const QPointer<QWidget>& window : m_heldCloses) {
        if (window)
            window->close();
    }
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    if (isUserInput(event->type()))
        return true;
    if (event->type() == QEvent::Close && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (std::find(m_heldCloses.begin(), m_heldCloses.end(), window) == m_heldCloses.end())
            m_heldCloses.emplace_back(window);
        // A close event is accepted unless ignored: an ignored one keeps the window open.
        event->ignore();
        return true;
    }
    return false;
}
