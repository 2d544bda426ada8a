#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QTimer>

// A one-shot wake-up on the UI thread: the step engine's timers ask to be woken a little before
// a step is due and then read the audio clock, so the wake-up's own precision only decides how
// early a click is placed, never where it sounds. Tests hand the engine wake-ups they fire
// themselves against the offline audio clock.
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

// Milliseconds until `samples` of the audio clock will have passed, rounded up and at least 1, so
// that a wake-up whose clock has not moved on yet does not spin.
int wakeMsForSamples(std::int64_t samples);
