#pragma once

#include <cstdint>
#include <vector>

// Decoded sound ready for the mixer, prepared on the UI thread and then never changed: the
// audio thread reads it without locks while any shared_ptr to it lives on the UI side.
struct AudioClip
{
    // Interleaved stereo (L, R) float frames at AudioEngine::kSampleRate, nominally -1..1.
    std::vector<float> samples;

    std::int64_t frames() const { return static_cast<std::int64_t>(samples.size() / 2); }
};
