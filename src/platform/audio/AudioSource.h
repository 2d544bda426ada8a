#pragma once

#include <cstdint>

// A sound mixed into the one output stream besides the click clips: the built-in synthesizer,
// the MIDI-file sequencer, a tone. All sources share the engine's sample clock.
class AudioSource
{
public:
    virtual ~AudioSource() = default;

    // Audio thread. Adds `frames` frames of interleaved stereo float samples (L, R) at the
    // engine's rate into `mix`; the first frame sounds at sample `firstSample` of the engine's
    // clock. Must not allocate, wait on a lock the UI thread may hold, log or touch Qt.
    virtual void render(float* mix, int frames, std::int64_t firstSample) = 0;
};
