#pragma once

#include <cstdint>

// A General MIDI sound generator fed short messages and rendered block by block. Both calls come
// from one thread (the audio callback once the synth is in use); neither allocates.
class MidiSynth
{
public:
    virtual ~MidiSynth() = default;

    // A channel message: status byte in the lowest byte, then the data bytes.
    virtual void send(std::uint32_t message) = 0;

    // Adds `frames` stereo frames (interleaved L, R) to `mix`.
    virtual void renderAdd(float* mix, int frames) = 0;

    // Releases every note and the sustain pedal on all channels (a pause).
    virtual void releaseAll() = 0;

    // Back to the power-on state: no sound, programs and controllers reset (before a seek).
    virtual void reset() = 0;
};

// Renders `frames` frames of `synth` into `mix`, the first one being sample `firstSample`,
// and hands each due event to the synth on its sample: the block is cut at every event time.
// `events` has `bool next(std::int64_t before, std::uint32_t& message)`, which gives the earliest
// pending message due before sample `before`, and `std::int64_t nextTime()`, the sample of the
// earliest pending message (INT64_MAX when none). Events already past are sent at the block start.
template <typename Events>
void renderTimed(MidiSynth& synth, Events& events, float* mix, int frames, std::int64_t firstSample)
{
    int done = 0;
    while (done < frames) {
        std::uint32_t message = 0;
        while (events.next(firstSample + done + 1, message))
            synth.send(message);
        const std::int64_t due = events.nextTime();
        const std::int64_t limit = firstSample + frames;
        const int until = static_cast<int>((due < limit ? due : limit) - firstSample);
        synth.renderAdd(mix + 2 * done, until - done);
        done = until;
    }
}
