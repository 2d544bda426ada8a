#pragma once

#include "platform/audio/AudioSource.h"
#include "platform/audio/FadeTail.h"
#include "platform/audio/ReturnQueue.h"
#include "platform/audio/StereoLevel.h"
#include "platform/midi/MidiFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class MidiSynth;

// Plays a MidiSequence on a synth of its own, inside the sound engine's callback: each message
// reaches the synth on its sample, and the position advances with the samples rendered.
//
// Threads: load() on the UI thread while the sequencer is not mixed (before addSource or after
// removeSource), since the audio thread walks the sequence without a lock. play(), pause(),
// seek() and the position are for the UI thread at any time: they pass through atomics and
// take effect at the start of the next block. A seek's work on the file is done on the UI
// thread; the audio thread only sends what it prepared. render() runs on the audio thread.
// Units: samples at the engine's rate, counted from the start of the file (at speed 1 a file
// sample lasts one engine sample; at speed 2, half of one).
class MidiFileSequencer : public AudioSource
{
public:
    explicit MidiFileSequencer(std::unique_ptr<MidiSynth> synth);
    ~MidiFileSequencer() override;

    // Stopped at the start of `sequence`, with the synth reset.
    void load(std::shared_ptr<const MidiSequence> sequence);

    void play();
    // Stops the sequence where it is and releases its notes.
    void pause();
    // Moves to `sample` (kept within the file); what sounds is ramped out, the synth is reset
    // and the programs and controllers set before that point are sent again, so the music goes
    // on as it would have.
    void seek(std::int64_t sample);

    // The sound's level and balance in hundredths of a decibel (as the media players take them),
    // reached over a short ramp from the next block on.
    void setLevel(int volume, int balance);
    // How many file samples pass per engine sample, from the next block on: 1 is the file's own
    // pace. Kept within kSlowest to kFastest.
    void setSpeed(double speed);
    static constexpr double kSlowest = 0.01;
    static constexpr double kFastest = 100.0;

    bool playing() const;
    std::int64_t position() const;
    std::int64_t length() const;

    void render(float* mix, int frames, std::int64_t firstSample) override;

    // The messages that bring a reset synth to the state the file's messages before event
    // `end` leave it in: the programs and controllers in their order, less every controller
    // value, pressure and bend that a later one of the same kind on its channel overwrites
    // anyway. Notes are left out. (UI thread; a long file's sweeps shrink to a few messages.)
    static std::vector<std::uint32_t> settingsBefore(
        const std::vector<TimedMessage>& events, std::size_t end);

private:
    // A seek prepared on the UI thread. Made and deleted there: the audio thread takes it,
    // sends its messages and gives it back.
    struct Replay
    {
        std::int64_t sample = 0;
        std::size_t index = 0; // the first event at or after `sample`
        std::vector<std::uint32_t> messages;
    };

    // The renderTimed() view of the events ahead of the cursor, on the engine's clock.
    struct Cursor
    {
        const MidiSequence* sequence = nullptr;
        std::size_t index = 0;
        // Engine sample `origin` played file sample `from`, and `speed` file samples pass per
        // engine sample.
        std::int64_t origin = 0;
        double from = 0.0;
        double speed = 1.0;

        bool next(std::int64_t before, std::uint32_t& message);
        std::int64_t nextTime() const;
        // Engine samples from `origin` until file sample `sample`, rounded up: nothing goes out
        // before its time. Exact at speed 1.
        std::int64_t framesUntil(double sample) const;
    };

    // The sequencer's own sound, before its level: up to kChunkFrames frames.
    void renderUnscaled(float* mix, int frames, std::int64_t firstSample);
    void applyRequests();
    void restartPace(double speed);
    void moveTo(const Replay& replay);
    // Renders the synth into `mix`, handing it the file's events when `playing`; the frames
    // after a seek rise over the ramp while the old sound's fade falls.
    void renderSynth(float* mix, int frames, std::int64_t firstSample, bool playing);
    // UI thread.
    void releaseReplays();

    std::unique_ptr<MidiSynth> m_synth;
    std::shared_ptr<const MidiSequence> m_sequence;

    // UI to audio: the wanted state, and a count that changes with every request.
    std::atomic<bool> m_wantPlaying { false };
    std::atomic<std::int64_t> m_wantSeek { -1 };
    std::atomic<Replay*> m_seek { nullptr };
    // Replays the audio thread is done with. Each seek() empties it before it hands over one
    // more, so it never holds more than two.
    ReturnQueue<Replay, 4, 4> m_spent { "seek replays" };
    std::atomic<std::uint32_t> m_requests { 0 };
    // The left side's factor in the high half, the right one's in the low one (float bits).
    std::atomic<std::uint64_t> m_wantGains;
    std::atomic<double> m_speed { 1.0 };
    // Audio to UI: where the file is, whether it plays, and the last request taken in.
    std::atomic<std::int64_t> m_position { 0 };
    std::atomic<bool> m_playing { false };
    std::atomic<std::uint32_t> m_handled { 0 };

    // Audio thread only (and load(), while the audio thread does not use the sequencer).
    static constexpr int kChunkFrames = 1024;
    std::array<float, 2 * kChunkFrames> m_unscaled {};
    LevelRamp m_level;
    double m_at = 0.0; // the file sample playing, a fraction when the speed is not 1
    // m_at is counted from the last seek or change of speed, never summed block by block: the
    // file sample there, the speed since, and the frames played at it.
    double m_paceFrom = 0.0;
    double m_pace = 1.0;
    std::int64_t m_paceFrames = 0;
    bool m_running = false;
    Cursor m_cursor;
    FadeTail m_cut;
    int m_riseLeft = 0;
};
