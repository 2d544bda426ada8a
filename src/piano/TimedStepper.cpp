#include "piano/TimedStepper.h"

#include "platform/audio/AudioEngine.h"
#include "platform/basic/WakeTimer.h"

#include <algorithm>

TimedStepper::TimedStepper(
    MidiOut& midi, std::function<std::int64_t()> now, std::unique_ptr<WakeTimer> wake)
    : m_midi(midi)
    , m_now(std::move(now))
    , m_wake(std::move(wake))
{
    m_wake->onWake = [this] {
        placeDue();
    };
}

TimedStepper::~TimedStepper()
{
    m_wake->cancel();
}

std::int64_t TimedStepper::dueOf(std::size_t index) const
{
    // ms * 44100 / 1000 samples a step, kept as a fraction until the step count multiplies it.
    const auto steps = static_cast<std::int64_t>(index - m_anchorIndex);
    return m_anchorDue + steps * m_intervalMs * AudioEngine::kSampleRate / 1000;
}

void TimedStepper::start(MidiHandle handle, std::vector<Step> steps, int intervalMs)
{
    stop();
    m_handle = handle;
    m_steps = std::move(steps);
    m_endless = false;
    begin(intervalMs);
}

void TimedStepper::startEndless(int intervalMs)
{
    stop();
    m_steps.clear();
    m_endless = true;
    begin(intervalMs);
}

void TimedStepper::begin(int intervalMs)
{
    ++m_run;
    m_intervalMs = std::max(intervalMs, 1);
    m_anchorDue = m_now() + kLeadSamples;
    m_anchorIndex = 0;
    m_next = 0;
    m_running = true;
    placeDue();
}

void TimedStepper::setIntervalMs(int ms)
{
    ms = std::max(ms, 1);
    if (ms == m_intervalMs)
        return;
    if (m_next > 0) {
        m_anchorDue = dueOf(m_next - 1);
        m_anchorIndex = m_next - 1;
    }
    m_intervalMs = ms;
}

std::optional<std::int64_t> TimedStepper::stop()
{
    if (!m_running)
        return std::nullopt;
    ++m_run;
    m_running = false;
    m_wake->cancel();
    if (m_next == 0)
        return std::nullopt;
    return dueOf(m_next - 1);
}

void TimedStepper::placeDue()
{
    const std::uint64_t run = m_run;
    while (m_running && hasStep(m_next) && dueOf(m_next) <= m_now() + kLeadSamples) {
        const std::size_t index = m_next++;
        const std::int64_t due = dueOf(index);
        if (onStep)
            onStep(index, due);
        if (run != m_run)
            return; // onStep ended this run or started another
        if (!m_endless) {
            for (const std::uint32_t message : m_steps[index].messages)
                m_midi.shortMsgAt(m_handle, message, due);
        }
    }
    if (!m_running)
        return;
    if (!hasStep(m_next)) {
        m_running = false;
        return;
    }
    m_wake->wakeAfter(wakeMsForSamples(dueOf(m_next) - kLeadSamples - m_now()));
}
