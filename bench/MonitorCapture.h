#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Records the monitor of the private daemon's sink ("kadentor_sink.monitor") in this process,
// through the server's own client library, together with the server's timing: after each read
// the stream's position that the sink plays at that moment (the record stream's time, which the
// library derives from the server's reports: what the server has queued, less the sink's own
// latency, interpolated on the monotonic clock between reports). So every frame of the recording
// near a reading has a moment on the steady clock at which the sink plays it, and a key pressed
// at a known moment can be set against the frame its sound starts on.
//
// Threads: the library's own thread reads; every public call is for one other thread.
// Units: frames at rate() (the sink's own rate, so that the server resamples nothing on the way
// to the recording) from the first frame recorded; times in steady-clock nanoseconds.
// Errors: start() returns false when the server cannot be reached or refuses the stream.
class MonitorCapture
{
public:
    // `server`: the server's address ("unix:<socket>"); `rate`: the rate to record at.
    MonitorCapture(std::string server, int rate);
    ~MonitorCapture();
    MonitorCapture(const MonitorCapture&) = delete;
    MonitorCapture& operator=(const MonitorCapture&) = delete;

    // Connects and starts recording; returns once the stream records (at most 5 s).
    bool start();
    // Stops recording (what was recorded stays).
    void stop();

    // The recording so far: interleaved 16-bit stereo.
    std::vector<std::int16_t> samples() const;

    int rate() const;

    // The steady-clock moment the sink plays `frame`, by the readings taken from `fromNanos` to
    // `toNanos`: their median, and their spread (largest less smallest), an upper bound of its
    // error. Only near its readings: the sink's rewinds (it renders ahead, and renders again
    // what a stream that ran late sends after all) reach the monitor twice, so the recording
    // gains frames over real time with every underrun. nullopt when no reading was taken then.
    struct PlayClock
    {
        std::int64_t frameZeroNanos = 0;
        std::int64_t spreadNanos = 0;
        // The same for the middle 80 % of the readings.
        std::int64_t middleSpreadNanos = 0;
        std::size_t readings = 0;
        int rate = 44100;

        std::int64_t nanosOf(std::int64_t frame) const
        {
            return frameZeroNanos + frame * 1'000'000'000 / rate;
        }

        std::int64_t frameAt(std::int64_t nanos) const
        {
            return (nanos - frameZeroNanos) * rate / 1'000'000'000;
        }
    };

    std::optional<PlayClock> playClockNear(std::int64_t fromNanos, std::int64_t toNanos) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
