#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QTimer>

// A one-shot wake-up on the UI thread, for whatever waits on time: the step engine's timers (woken
// a little before a step is due, they read the audio clock, so the wake-up's precision never
// decides where a click sounds) and the delays of the balloon tips. Tests hand in wake-ups they
// fire themselves.
class WakeTimer
{
public:
    virtual ~WakeTimer() = default;

    // Runs `onWake` once, `ms` milliseconds from now (0: at the next turn of the event loop). A
    // new call replaces the wake-up still pending.
    virtual void wakeAfter(int ms) = 0;
    virtual void cancel() = 0;

    std::function<void()> onWake;
};

using WakeTimerFactory = std::function<std::unique_ptr<WakeTimer>()>;

// The real wake-up: a precise single-shot QTimer.
class QtWakeTimer : public WakeTimer
{
public:
    QtWakeTimer();

    void wakeAfter(int ms) override;
    void cancel() override;

private:
    QTimer m_timer;
};

std::unique_ptr<WakeTimer> makeQtWakeTimer();

// Milliseconds until `samples` of the audio clock will have passed, rounded up (a wake-up never
// comes before its step is due) and at least 1, so that a wake-up whose clock has not moved on
// yet does not spin.
int wakeMsForSamples(std::int64_t samples);
