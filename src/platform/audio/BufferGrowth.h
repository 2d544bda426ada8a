#pragma once

#include <array>
#include <cstdint>
#include <limits>

// How much sound an output asks its sound server to keep queued, and when it asks for more.
//
// A server that runs out of a stream's sound plays silence until the sound comes: a dropout, and
// the sound that came late is lost (the output asks the server to drop it, so that what follows
// keeps its place). The output starts with a small queue (a piano key sounds soon) and, on each
// underrun the server reports, asks for the next larger one: at most kGrowths times, never back.
// A larger queue is filled by rendering ahead, so the samples stay continuous: only the latency
// grows, and the clicks never move for it.
//
// The server may report one underrun more than once (it tells each time the stream's queue is
// found empty, and the queue stays empty until the next block arrives): an underrun within
// kSameUnderrunNanos of the last one counted is the same one, neither counted nor grown for.
// The step reached is kept across a new stream of the same output (restart()), so a run grows
// at most kGrowths times in all.
//
// An underrun in a stream's first kSettleNanos is counted but grows nothing: it comes while the
// program's other connections to the server (the mixer, the capture) are being made, and says
// nothing about the queue the rest of the run needs, which it would otherwise slow for good.
//
// Threads: one at a time (the output's own thread). Units: frames at 44100 Hz, monotonic
// nanoseconds.
class BufferGrowth
{
public:
    // The queue asked for at each step. The server grants about three quarters of the first
    // (it rounds to its own periods): 8 to 9 ms.
    static constexpr std::array<int, 3> kQueueFrames { 512, 1536, 3072 };
    static constexpr int kGrowths = static_cast<int>(kQueueFrames.size()) - 1;
    static constexpr std::int64_t kSameUnderrunNanos = 200'000'000;
    static constexpr std::int64_t kSettleNanos = 3'000'000'000;

    // `step`: the step to start on (one of an output this one replaces), clamped to the steps.
    explicit BufferGrowth(int step = 0);

    struct Answer
    {
        bool counted = false; // a new underrun, not a repeat
        int growTo = 0; // the queue to ask for now, in frames; 0: keep the one asked for
    };

    // An underrun reported at `nanos`.
    Answer onUnderrun(std::int64_t nanos);

    // A new stream, started at `nanos`: nothing counted yet, the step reached kept.
    void restart(std::int64_t nanos);

    int queueFrames() const { return kQueueFrames[static_cast<std::size_t>(m_step)]; }

    int step() const { return m_step; }

    // Underruns counted and growths made since the last restart().
    std::int64_t underruns() const { return m_underruns; }

    int growths() const { return m_growths; }

private:
    int m_step;
    // Until restart(), no settling: an underrun at any time may grow the queue.
    std::int64_t m_settledAt = std::numeric_limits<std::int64_t>::min();
    bool m_haveLast = false;
    std::int64_t m_lastCounted = 0;
    std::int64_t m_underruns = 0;
    int m_growths = 0;
};
