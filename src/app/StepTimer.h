#pragma once

#include "app/ClickRate.h"
#include "platform/basic/WakeTimer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class AudioEngine;

// One of the engine form's step timers (`Timer1`, `Timer2`, `Timer3`): while enabled it runs its
// step function once per step, each with the sample at which that step is due on the audio
// clock. Due samples come from the run's start and the step count in exact arithmetic, so they
// never drift; the wake-ups that run the steps come a little ahead (kLeadSamples), which leaves
// the audio thread time to start the click on its very sample.
//
// A run starts when a disabled timer is enabled: its first step is due kStartSamples later. A
// new interval applies from the next step not yet run, counted from the last step run. When the
// UI thread was held up past several due steps, only the latest of them runs (at once) and the
// run goes on on its grid. UI thread only.
class StepTimer
{
public:
    // A run's first step is due this long after the timer is enabled: soon enough to feel
    // immediate, late enough for the audio thread to start it on its sample.
    static constexpr std::int64_t kStartSamples = 1764; // 40 ms
    // Wake-ups come this far ahead of a step; a step runs once it is due within kLeadSamples
    // plus kSlackSamples, which covers a clock read between two audio blocks. The lead is what a
    // busy desktop may hold the UI thread up for before a click comes late.
    static constexpr std::int64_t kLeadSamples = 6615; // 150 ms
    static constexpr std::int64_t kSlackSamples = 1323; // 30 ms

    using Step = std::function<void(std::int64_t due)>;

    // Runs when the timer is disabled; `stepsAhead` tells that a step it ran is due later than
    // the audio clock has rendered, so its click has yet to start.
    using Disabled = std::function<void(bool stepsAhead)>;

    // `interval` is the form's step interval, read at every step; no step runs while it is
    // empty. A timer without `step` only keeps its enabled flag.
    StepTimer(const AudioEngine& engine,
        const std::optional<ExactInterval>& interval,
        std::unique_ptr<WakeTimer> wake,
        Step step,
        Disabled disabled);

    bool isEnabled() const { return m_enabled; }

    void setEnabled(bool enabled);

    // The form's step interval changed.
    void intervalChanged();

private:
    void pump();
    std::int64_t dueOf(std::int64_t step) const;

    const AudioEngine& m_engine;
    const std::optional<ExactInterval>& m_interval;
    std::unique_ptr<WakeTimer> m_wake;
    Step m_step;
    Disabled m_disabled;

    bool m_enabled = false;
    // Step k of the current stretch is due at m_anchor + interval.offsetOfStep(k); a new
    // interval starts a new stretch at the last step run.
    std::int64_t m_anchor = 0;
    std::int64_t m_next = 0;
    std::optional<std::int64_t> m_lastDue;
};

// Milliseconds until `samples` of the audio clock will have passed, rounded up and at least 1, so
// that a wake-up whose clock has not moved on yet does not spin.
int wakeMsForSamples(std::int64_t samples);
