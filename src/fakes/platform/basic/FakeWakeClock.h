#pragma once

#include "platform/basic/WakeTimer.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

// Wake-ups on a virtual clock that the test moves on, in place of QtWakeTimer, with its contract:
// a wake-up runs once, never before the milliseconds it asked for (on the first sample at or past
// them), a new wakeAfter() replaces the one pending, cancel() and the timer's end drop it, and
// onWake is read when it runs. A wake-up of 0 ms runs at the clock's next move, never inside
// wakeAfter(). Wake-ups due on the same sample run in the order they were asked for.
//
// Units: samples of the sound engine's clock (AudioEngine::kSampleRate a second), so that the
// clock can stand for it. Lifecycle: the clock outlives every wake-up it made. UI thread only.
class FakeWakeClock
{
public:
    explicit FakeWakeClock(std::int64_t start = 0);
    ~FakeWakeClock();
    FakeWakeClock(const FakeWakeClock&) = delete;
    FakeWakeClock& operator=(const FakeWakeClock&) = delete;

    std::unique_ptr<WakeTimer> make();
    WakeTimerFactory factory();

    std::int64_t now() const { return m_now; }

    // now() for what reads the sound engine's clock.
    std::function<std::int64_t()> reader() const;

    // Moves the clock to `sample` (never back), running each wake-up due on the way on its own
    // sample. False when wake-ups kept asking for 0 ms, which would never let the clock move: it
    // gives up after a million of them on one sample.
    [[nodiscard]] bool advanceTo(std::int64_t sample);

    // Moves the clock to the earliest pending wake-up and runs it, however far off it is: a test
    // that fires wake-ups by hand. False when none is pending.
    [[nodiscard]] bool fireNext();

    // A wake-up is pending.
    bool armed() const { return !m_armed.empty(); }

    // What the last wakeAfter() asked for, while that wake-up is still pending.
    std::optional<int> armedMs() const;

    // What the last wakeAfter() asked for, pending or not; -1 before the first.
    int lastMs() const { return m_lastMs; }

    // How many times wakeAfter() was called.
    int starts() const { return m_starts; }

    // Runs before each wake-up, with the clock already on its sample: a test renders its sound
    // up to there.
    std::function<void(std::int64_t sample)> beforeWake;

private:
    class Timer;

    void arm(Timer& timer, int ms);
    void disarm(const Timer& timer);
    void run(std::multimap<std::int64_t, Timer*>::iterator next);

    std::int64_t m_now;
    // By due sample; equal samples in the order they were asked for.
    std::multimap<std::int64_t, Timer*> m_armed;
    const Timer* m_last = nullptr;
    int m_lastMs = -1;
    int m_starts = 0;
    int m_alive = 0;
};
