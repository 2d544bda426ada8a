#pragma once

#include <array>
#include <cstdint>

// How much sound an output asks its sound server to keep queued: when it asks for more, and when
// it goes back to less.
//
// A server that runs out of a stream's sound plays silence until the sound comes: a dropout, and
// the sound that came late is lost (the output asks the server to drop it, so that what follows
// keeps its place). One such dropout costs a few milliseconds of sound once; a larger queue costs
// every piano key its latency for as long as it is kept. So:
// - The output starts with the smallest queue (a piano key sounds soon).
// - A lone underrun grows nothing. The machine now and then holds up the server's own threads for
//   longer than the smallest queue lasts (measured: 5 to 7 ms a few times a minute, even for a
//   real-time thread), and one dropout says nothing about the minutes after it.
// - An underrun within kRepeatNanos of the last one counted grows the queue one step
//   (kQueueFrames), up to the largest: underruns that repeat are a load the queue must ride out.
// - After quietNanos at a step with no underrun, the queue goes back one step, and again after
//   each further quietNanos, down to the smallest: a burst of load costs latency only while it
//   lasts. Whether the load has gone shows only at the smaller queue: what a larger queue's
//   requests find queued did not tell (measured: a step at 1536 frames found no more shortfall
//   under two busy loops per core than in quiet, while 512 frames ran dry within 2 s), so a load
//   that stays grows the queue again after two dropouts.
// - The server may report one underrun more than once (it tells each time the queue is found
//   empty, and the queue stays empty until the next block arrives): an underrun within
//   kSameUnderrunNanos of the last one counted is the same one, neither counted nor grown for.
// - An underrun in a stream's first kSettleNanos is counted but grows nothing and is not the first
//   of a repeat: the stream's own start runs it dry now and then (within its first 0.4 s, as
//   measured), and the program's other connections to the server are made then (the mixer's
//   30 ms after it).
// - A new stream of the same output (restart()) keeps the step reached, counts afresh, and waits
//   quietNanos before its first step down.
// A larger queue is filled by rendering ahead, and a smaller one by rendering nothing until the
// server has played the queue down to it, so the samples stay continuous either way: only the
// latency changes, and the clicks never move for it.
//
// Threads: one at a time (the output's own thread); nothing here allocates or locks. Units:
// frames at 44100 Hz, monotonic nanoseconds.
class BufferGrowth
{
public:
    // The queue asked for at each step, the whole way to the speakers. Of the first a PulseAudio
    // server keeps 448 frames (10.2 ms) in the stream's own buffer and the rest in its sink
    // (PA_STREAM_ADJUST_LATENCY); it asks for more each time a request's worth (192 frames) has
    // played, so the smallest queue runs dry when the server's threads are held up for about
    // 6 ms.
    static constexpr std::array<int, 3> kQueueFrames { 512, 1536, 3072 };
    static constexpr int kLargestStep = static_cast<int>(kQueueFrames.size()) - 1;
    static constexpr std::int64_t kSameUnderrunNanos = 200'000'000;
    static constexpr std::int64_t kRepeatNanos = 10'000'000'000;
    static constexpr std::int64_t kSettleNanos = 1'000'000'000;
    static constexpr std::int64_t kQuietNanos = 15'000'000'000;

    // `step`: the step to start on (one of an output this one replaces), clamped to the steps.
    // `quietNanos`: the quiet time before each step down.
    explicit BufferGrowth(int step = 0, std::int64_t quietNanos = kQuietNanos);

    struct Answer
    {
        bool counted = false; // a new underrun, not a repeat
        int growTo = 0; // the queue to ask for now, in frames; 0: keep the one asked for
    };

    // An underrun reported at `nanos`.
    Answer onUnderrun(std::int64_t nanos);

    // The server asked for more sound at `nanos`. Returns the queue to ask for now (a step
    // down), in frames; 0: keep it.
    int onRequest(std::int64_t nanos);

    // A new stream, started at `nanos`: nothing counted yet, the step reached kept. Called as each
    // stream starts, before its first report.
    void restart(std::int64_t nanos);

    int queueFrames() const { return kQueueFrames[static_cast<std::size_t>(m_step)]; }

    int step() const { return m_step; }

    // Underruns counted, growths and steps down made since the last restart().
    std::int64_t underruns() const { return m_underruns; }

    int growths() const { return m_growths; }

    int shrinks() const { return m_shrinks; }

private:
    int m_step;
    std::int64_t m_quietNanos;
    std::int64_t m_settledAt = 0;
    std::int64_t m_quietSince = 0;
    bool m_counted = false; // an underrun has been counted since restart()
    std::int64_t m_lastCounted = 0;
    bool m_lastSettled = false; // the last one counted may start a repeat
    std::int64_t m_underruns = 0;
    int m_growths = 0;
    int m_shrinks = 0;
};
