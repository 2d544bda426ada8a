#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Clicks heard in a recording laid against the exact grid of their rate, for the tests and
// benchmarks that play the metronome through a real sound server. A server that runs out of
// sound plays silence and then goes on with the stream where it was, so every click after that
// moment comes late by the same amount: a jump. A click off the grid on its own, with the next
// one back on it, is a click placed wrong. Nothing here needs Qt.

// Frames where a click starts in interleaved stereo (16-bit or float): the first frame whose left
// sample reaches `threshold` after more than `minGap` frames without one. Clicks must start at
// full level (a sharp attack), so that the frame found is the frame the click was placed on.
template <typename Sample>
std::vector<std::int64_t> findClickOnsets(
    const std::vector<Sample>& stereo, Sample threshold, std::int64_t minGap)
{
    std::vector<std::int64_t> onsets;
    std::int64_t lastLoud = -minGap - 1;
    const auto frames = static_cast<std::int64_t>(stereo.size() / 2);
    for (std::int64_t n = 0; n < frames; ++n) {
        const Sample left = stereo[static_cast<std::size_t>(2 * n)];
        if (left < threshold && -left < threshold)
            continue;
        if (n - lastLoud > minGap)
            onsets.push_back(n);
        lastLoud = n;
    }
    return onsets;
}

// The same for clicks that a server resampled on the way (PipeWire's graph runs at 48000 Hz): a
// band-limited step rings ahead of itself (some 4 % of its height), so a loud click crosses a
// fixed threshold a few frames early. Each click found as above is moved to the first frame, within
// kRiseFrames, that reaches half of the click's peak there: the middle of the step, which the
// resampling keeps in place.
template <typename Sample>
std::vector<std::int64_t> findResampledClickOnsets(
    const std::vector<Sample>& stereo, Sample threshold, std::int64_t minGap)
{
    constexpr std::int64_t kRiseFrames = 16;
    std::vector<std::int64_t> onsets = findClickOnsets(stereo, threshold, minGap);
    const auto frames = static_cast<std::int64_t>(stereo.size() / 2);
    auto level = [&](std::int64_t n) {
        return std::abs(static_cast<double>(stereo[static_cast<std::size_t>(2 * n)]));
    };
    for (std::int64_t& onset : onsets) {
        const std::int64_t end = std::min(frames, onset + kRiseFrames);
        double peak = 0;
        for (std::int64_t n = onset; n < end; ++n)
            peak = std::max(peak, level(n));
        while (onset + 1 < end && level(onset) < peak / 2)
            ++onset;
    }
    return onsets;
}

// A rate's exact step grid: step k lies floor(k * numerator / denominator) frames after step 0,
// as the step engine places its steps (60 s at 44100 Hz over the rate in steps per minute).
struct StepGrid
{
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;

    // `rate` steps a minute at `sampleRate` (tempo 400 in quarters: 6615 frames a step at
    // 44100 Hz, 7200 at 48000).
    static StepGrid forRate(std::int64_t rate, std::int64_t sampleRate = 44100)
    {
        return { 60 * sampleRate, rate };
    }

    std::int64_t offsetOfStep(std::int64_t k) const
    {
        const std::int64_t product = k * numerator;
        // Floor, for negative steps too.
        return product / denominator - (product % denominator < 0 ? 1 : 0);
    }

    // The step nearest to `frames` after step 0.
    std::int64_t nearestStep(std::int64_t frames) const
    {
        return static_cast<std::int64_t>(std::floor(
            (static_cast<double>(frames) * static_cast<double>(denominator) + numerator / 2.0)
            / static_cast<double>(numerator)));
    }
};

struct GridJump
{
    std::size_t click = 0; // the first click that moved
    std::int64_t at = 0; // its onset frame
    std::int64_t frames = 0; // how far it and the clicks after it moved (positive: later)
};

struct GridFit
{
    std::size_t clicks = 0;
    std::vector<GridJump> jumps;
    // The largest distance of a click from the grid of its stretch (between jumps), in frames.
    std::int64_t largestOffGrid = 0;
    // Steps between the first and the last click that no click was heard on.
    std::int64_t missingSteps = 0;
    // Clicks heard on a step that already had one (a stretch played twice).
    std::int64_t extraClicks = 0;

    // All the jumps added up: how late the last click is against the grid of the first.
    std::int64_t lateness() const
    {
        std::int64_t sum = 0;
        for (const GridJump& jump : jumps)
            sum += jump.frames;
        return sum;
    }
};

// Which way a jump may go. A server that runs out of sound only ever adds silence, so with
// Later a jump that looks early by less than half a step is read as a late one by the rest of
// the step (no click is lost); Either reads each jump as the smaller move.
enum class JumpsGo { Either, Later };

// Lays `onsets` (in order) on `grid` from the first one on. A click more than `tolerance` frames
// off is a jump when the click after it is off the same grid too (the last click of all counts
// as a jump); the grid then moves with it. A jump is told modulo the step (a server gone for
// seconds).
inline GridFit fitToGrid(const std::vector<std::int64_t>& onsets,
    const StepGrid& grid,
    std::int64_t tolerance = 0,
    JumpsGo jumpsGo = JumpsGo::Either)
{
    GridFit fit;
    fit.clicks = onsets.size();
    if (onsets.empty())
        return fit;
    std::int64_t shift = onsets.front();
    auto distance = [&](std::size_t i, std::int64_t* step) {
        const std::int64_t since = onsets[i] - shift;
        *step = grid.nearestStep(since);
        return since - grid.offsetOfStep(*step);
    };
    std::int64_t expected = 0;
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        std::int64_t step = 0;
        std::int64_t off = distance(i, &step);
        if (std::llabs(off) > tolerance) {
            std::int64_t nextStep = 0;
            if (i + 1 == onsets.size() || std::llabs(distance(i + 1, &nextStep)) > tolerance) {
                if (off < 0 && jumpsGo == JumpsGo::Later) {
                    off += grid.offsetOfStep(step) - grid.offsetOfStep(step - 1);
                    --step;
                }
                fit.jumps.push_back({ i, onsets[i], off });
                shift += off;
                off = 0;
            }
        }
        fit.largestOffGrid = std::max<std::int64_t>(fit.largestOffGrid, std::llabs(off));
        if (step > expected)
            fit.missingSteps += step - expected;
        if (step < expected)
            ++fit.extraClicks;
        expected = std::max(expected, step + 1);
    }
    return fit;
}
