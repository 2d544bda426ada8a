#include "app/StepTimer.h"

#include "platform/audio/AudioEngine.h"

#include <algorithm>

StepTimer::StepTimer(const AudioEngine& engine,
    const std::optional<ExactInterval>& interval,
    std::unique_ptr<WakeTimer> wake,
    Step step,
    Disabled disabled)
    : m_engine(engine)
    , m_interval(interval)
    , m_wake(std::move(wake))
    , m_step(std::move(step))
    , m_disabled(std::move(disabled))
{
    m_wake->onWake = [this] {
        pump();
    };
}

void StepTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!m_step)
        return;
    if (enabled) {
        m_anchor = m_engine.now() + kStartSamples;
        m_next = 0;
        m_lastDue.reset();
        // The first step runs from the event loop, as a timer tick would: the caller may still
        // be handing over the pattern.
        m_wake->wakeAfter(0);
        return;
    }
    m_wake->cancel();
    if (m_disabled)
        m_disabled(m_lastDue && *m_lastDue >= m_engine.now());
}

void StepTimer::intervalChanged()
{
    if (!m_enabled || !m_step)
        return;
    if (m_lastDue) {
        m_anchor = *m_lastDue;
        m_next = 1;
    } else {
        m_anchor = std::max(m_anchor, m_engine.now() + kStartSamples);
        m_next = 0;
    }
    m_wake->wakeAfter(0);
}

std::int64_t StepTimer::dueOf(std::int64_t step) const
{
    return m_anchor + m_interval->offsetOfStep(step);
}

void StepTimer::pump()
{
    if (!m_enabled || !m_interval)
        return;
    const std::int64_t now = m_engine.now();
    // Held up past several steps: keep only the latest one that is already late.
    while (dueOf(m_next + 1) < now)
        ++m_next;
    while (m_enabled && m_interval && dueOf(m_next) <= now + kLeadSamples + kSlackSamples) {
        const std::int64_t due = dueOf(m_next);
        ++m_next;
        m_lastDue = due;
        m_step(due);
    }
    if (m_enabled && m_interval)
        m_wake->wakeAfter(wakeMsForSamples(dueOf(m_next) - kLeadSamples - m_engine.now()));
}

int wakeMsForSamples(std::int64_t samples)
{
    const std::int64_t ms =
        (samples * 1000 + AudioEngine::kSampleRate - 1) / AudioEngine::kSampleRate;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 1, 24 * 60 * 60 * 1000));
}
