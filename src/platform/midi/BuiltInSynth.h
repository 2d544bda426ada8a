#pragma once

#include "platform/audio/AudioSource.h"
#include "platform/audio/SpscQueue.h"
#include "platform/midi/MidiSynth.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>

// The synthesizer behind MIDI output device 0 and the mapper: messages from the UI thread sound
// on the engine's clock, either at the start of the next block or on a given sample.
//
// Threads: post() and purge() on the UI thread only; render() on the audio thread. The queue
// between them is lock-free, and nothing on the audio side allocates.
class BuiltInSynth : public AudioSource
{
public:
    // Capacity of the queue and of the list of messages waiting for their sample.
    static constexpr int kCapacity = 4096;
    // A message time meaning "as soon as possible".
    static constexpr std::int64_t kNow = INT64_MIN;

    explicit BuiltInSynth(std::unique_ptr<MidiSynth> synth);

    // Queues `message` for sample `at` (kNow: the next block). `tag` names the sender for
    // purge(). False when the queue is full: the message is dropped.
    bool post(std::uint32_t message, std::int64_t at, std::uint32_t tag);

    // Drops every message of `tag` still waiting for its sample (those posted before this call).
    bool purge(std::uint32_t tag);

    void render(float* mix, int frames, std::int64_t firstSample) override;

private:
    struct Command
    {
        std::int64_t at = 0;
        std::uint32_t message = 0;
        std::uint32_t tag = 0;
        bool purge = false;
    };

    // Messages taken from the queue, waiting for their sample: sorted latest first (equal times
    // in arrival order), so the next due one is at the back.
    class Waiting
    {
    public:
        bool full() const { return m_count == kCapacity; }

        void insert(const Command& command);
        void removeTag(std::uint32_t tag);

        // The renderTimed() view.
        bool next(std::int64_t before, std::uint32_t& message);

        std::int64_t nextTime() const { return m_count ? m_items[m_count - 1].at : INT64_MAX; }

    private:
        std::array<Command, kCapacity> m_items {};
        int m_count = 0;
    };

    // Audio thread: moves what the UI posted into m_waiting.
    void drain();

    std::unique_ptr<MidiSynth> m_synth;
    SpscQueue<Command, kCapacity> m_queue;
    Waiting m_waiting;
    // A command popped from the queue while m_waiting was full, kept for the next block.
    bool m_hasHeld = false;
    Command m_held;
};
