#include "platform/basic/WakeTimer.h"

QtWakeTimer::QtWakeTimer()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (onWake)
            onWake();
    });
}

void QtWakeTimer::wakeAfter(int ms)
{
    m_timer.start(ms);
}

void QtWakeTimer::cancel()
{
    m_timer.stop();
}

std::unique_ptr<WakeTimer> makeQtWakeTimer()
{
    return std::make_unique<QtWakeTimer>();
}
