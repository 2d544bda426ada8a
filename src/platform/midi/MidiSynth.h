#pragma once

#include <cstdint>

// A General MIDI sound generator fed short messages and rendered block by block. Every call comes
// from one thread (the audio callback once the synth is in use).
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

    // Back to the power-on state, programs and controllers reset (before a seek). Nothing that
    // sounded before follows: the sound after it starts from silence. The caller that wants
    // the old sound to end without a click renders its fade before.
    virtual void reset() = 0;

    // True when rendering would add nothing that can be heard: no voice sounds and what was last
    // rendered was silent. A message sent makes it false until the synth has rendered again.
    virtual bool silent() const { return false; }

    // A message due `frames` frames from here (1 or more) is taken in only at the start of one of
    // the synth's own blocks: the frames to render before sending it, which change nothing in the
    // sound. Rendering less first just costs one more render call.
    virtual int framesBeforeMessage(int frames) const { return frames; }
};

// Renders `frames` frames of `synth` into `mix`, the first one being sample `firstSample`,
// and hands each due event to the synth on its sample: the block is cut where the synth takes the
// next event in. A silent synth with no event due in the block is not rendered at all.
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
        int until = frames;
        if (due < firstSample + frames) {
            const int ahead = synth.framesBeforeMessage(static_cast<int>(due - firstSample - done));
            until = ahead < frames - done ? done + ahead : frames;
        } else if (synth.silent()) {
            return;
        }
        synth.renderAdd(mix + 2 * done, until - done);
        done = until;
    }
}
