#include "app/StepTimer.h"

#include "platform/audio/AudioEngine.h"

#include <algorithm>

StepTimer::StepTimer(Switched switched)
    : m_switched(std::move(switched))
{}

void StepTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (m_switched)
        m_switched(enabled);
}

int wakeMsForSamples(std::int64_t samples)
{
    const std::int64_t ms =
        (samples * 1000 + AudioEngine::kSampleRate - 1) / AudioEngine::kSampleRate;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 1, 24 * 60 * 60 * 1000));
}
