#include "platform/basic/WakeTimer.h"

#include "platform/audio/AudioEngine.h"

#include <algorithm>

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

int wakeMsForSamples(std::int64_t samples)
{
    const std::int64_t ms =
        (samples * 1000 + AudioEngine::kSampleRate - 1) / AudioEngine::kSampleRate;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 1, 24 * 60 * 60 * 1000));
}
