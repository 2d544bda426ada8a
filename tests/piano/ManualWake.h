#pragma once

#include "platform/basic/WakeTimer.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A wake-up the test fires by hand: `ms` holds the delay asked for, empty when none is armed.
struct ManualWake : WakeTimer
{
    explicit ManualWake(std::optional<int>& armed)
        : ms(armed)
    {}

    void wakeAfter(int after) override { ms = after; }

    void cancel() override { ms.reset(); }

    std::optional<int>& ms;
};

// A virtual sound clock in samples and the one wake-up that runs on it.
struct ManualClock
{
    std::function<std::int64_t()> now()
    {
        return [this] {
            return clock;
        };
    }

    std::unique_ptr<WakeTimer> makeWake()
    {
        auto made = std::make_unique<ManualWake>(armed);
        wake = made.get();
        return made;
    }

    // Fires each wake-up when the clock reaches it, until `sample` or until nothing is armed.
    void runTo(std::int64_t sample)
    {
        while (armed && clock + *armed * 441 / 10 <= sample) {
            clock += *armed * 441 / 10;
            armed.reset();
            wake->onWake();
        }
        clock = std::max(clock, sample);
    }

    std::int64_t clock = 1000;
    std::optional<int> armed;
    ManualWake* wake = nullptr;
};
