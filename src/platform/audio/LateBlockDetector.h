#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// Tells, from the arrival times of an output's callbacks alone, when the output has fallen
// behind. A sound server that gets a block after its headroom has run out plays silence, and
// from then on its requests come later, by that silence, against the frames delivered: every
// later click moves.
//
// A callback's offset is its arrival time less the play time of the frames delivered before it.
// On a steady output the offsets keep to a baseline, scattered by the server's own rhythm (it
// asks a little early or late, or for two blocks at once). The baseline is the lower fifth of
// the last window of kWindowBlocks offsets: one early callback does not move it, and a device
// clock a little slow against the monotonic one is followed window by window. A block is late
// when its callback comes more than half a block period (at least kMinLateNanos) behind the
// baseline, or when a window's baseline has moved later than the last one's by more than a
// quarter period (at least kMinSlipNanos): the server played silence in between. The first
// second of frames is not judged: a server just connected to may take several blocks at once,
// or wait for seconds before asking again.
//
// Threads: onBlock() on the audio thread only (no allocation, no lock); lateBlocks() from any.
class LateBlockDetector
{
public:
    static constexpr int kWindowBlocks = 16;
    static constexpr std::int64_t kMinLateNanos = 2'000'000;
    static constexpr std::int64_t kMinSlipNanos = 1'000'000;

    // `rate`: frames per second.
    explicit LateBlockDetector(int rate);

    // At the start of each callback: `nanos` its arrival on the monotonic clock, `delivered` the
    // frames handed to the output before this block, `frames` the block's length.
    void onBlock(std::int64_t nanos, std::int64_t delivered, int frames);

    // A new stream from the same device: judged and counted afresh from its first second.
    void restart();

    // Late blocks seen so far: each late callback, and each moved baseline that no late callback
    // in its window or the one before explains.
    std::int64_t lateBlocks() const { return m_late.load(std::memory_order_acquire); }

private:
    std::int64_t playNanos(std::int64_t frames) const;

    int m_rate;
    std::array<std::int64_t, kWindowBlocks> m_window {};
    int m_filled = 0;
    bool m_haveBaseline = false;
    std::int64_t m_baseline = 0;
    int m_windowsExcused = 0;
    std::atomic<std::int64_t> m_late { 0 };
};
