#pragma once

#include "platform/audio/AudioSource.h"
#include "platform/audio/Resampler.h"
#include "platform/audio/SpscRing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TakeFile;

// A recorded take played through the engine's one output stream, as a source, once, from one of
// its frames to the end it had when playback began. A reader thread of its own reads the take's
// file ahead of the output, converts it to the engine's rate and stereo float, and keeps about
// a second and a half ready in a ring that the audio callback mixes from: the callback never
// touches the disk, and memory stays the same however long the take. The first stretch is read
// before the constructor returns, so the playback starts with its first block.
//
// Threads: made and destroyed on the UI thread; render() on the audio thread; the rest from any.
// A take that cannot be read further (a failing disk) ends the playback where reading stopped.
class WavePlayback : public AudioSource
{
public:
    // Plays `take` (null: nothing) from sample byte `fromByte`, a frame boundary.
    WavePlayback(std::shared_ptr<const TakeFile> take, std::int64_t fromByte);
    ~WavePlayback() override;
    WavePlayback(const WavePlayback&) = delete;
    WavePlayback& operator=(const WavePlayback&) = delete;

    void render(float* mix, int frames, std::int64_t firstSample) override;

    // Frames (at the engine's rate) played so far.
    std::int64_t framesPlayed() const { return m_played.load(std::memory_order_acquire); }

    bool finished() const;

    // Frames read ahead so far, played or waiting: what a test that renders faster than real time
    // waits for.
    std::int64_t framesRead() const { return m_read.load(std::memory_order_acquire); }

private:
    void fill();
    void readAhead();

    std::shared_ptr<const TakeFile> m_take;
    StereoResampler m_resampler;
    std::int64_t m_firstFrame = 0; // of the take
    std::int64_t m_inputFrames = 0; // from there to the end
    std::atomic<std::int64_t> m_total { 0 }; // frames to play, at the engine's rate

    // Reader side.
    std::int64_t m_next = 0;
    std::vector<std::uint8_t> m_bytes;
    std::vector<float> m_input;
    std::vector<float> m_output;

    SpscRing<float> m_ring;
    std::atomic<std::int64_t> m_played { 0 };
    std::atomic<std::int64_t> m_read { 0 };

    std::thread m_reader;
    std::mutex m_stopMutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
};
