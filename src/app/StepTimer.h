#pragma once

#include <functional>

// One of the engine form's step timers (`Timer1`, `Timer2`, `Timer3`) as the program switches
// it: an enabled flag that tells the step engine's audio side when it changes (StepWalker ticks
// the timer there). UI thread only.
class StepTimer
{
public:
    using Switched = std::function<void(bool enabled)>;

    // A timer without `switched` only keeps its flag.
    explicit StepTimer(Switched switched = {});

    bool isEnabled() const { return m_enabled; }

    // Enabling an enabled timer (or disabling a disabled one) changes nothing.
    void setEnabled(bool enabled);

private:
    Switched m_switched;
    bool m_enabled = false;
};
