#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// The click rate (steps per minute, as the engine form's rate label holds it) turned into the
// exact distance between steps on the audio clock. The distance is 60 / rate seconds held as a
// fraction of samples, so that step k of a run is due at exactly floor(k * 2646000 / rate) samples
// after the first: no rounding to whole milliseconds and no sum of rounded intervals, which would
// drift over a long run.

// The rates the engine can time: one step a minute up to one every 7.5 ms, which is the fastest
// typed tempo (2000) in sixteenth notes. Slower steps would leave the player silent for over a
// minute.
inline constexpr double kMinClickRate = 1;
inline constexpr double kMaxClickRate = 8000;

bool clickRateTimeable(double rate);

class ExactInterval
{
public:
    // The interval for a rate given as text, read as the runtime's Val reads it (" 120", "252",
    // "133.3"); the decimal digits of the rate are kept, so "133.3" is exactly 1333/10. nullopt
    // for 0, a text that is not a number and any rate outside the timeable range.
    static std::optional<ExactInterval> forRateText(const QString& rate);

    // Samples from a run's first step to its step k: floor(k * 2646000 / rate).
    std::int64_t offsetOfStep(std::int64_t k) const;

    // For messages and tests: the interval in milliseconds, unrounded.
    double milliseconds() const;

    friend bool operator==(const ExactInterval&, const ExactInterval&) = default;

private:
    // samples = m_numerator / m_denominator, in lowest terms. The numerator can pass 64 bits
    // for a rate with many decimals (2646000 * 10^14), so both are 128-bit.
    __extension__ using Int128 = __int128;

    ExactInterval(Int128 numerator, Int128 denominator);

    Int128 m_numerator;
    Int128 m_denominator;
};
