#pragma once

#include "platform/audio/FadeTail.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct AudioClip;

// One clip at a time, as the click player plays them: a clip started cuts off the one sounding,
// which fades out over kCutRampFrames instead of stopping mid-wave, so the cut makes no click of
// its own while the new clip still starts on its sample.
//
// Render side only (the audio callback, or whoever holds its owner's render gate); allocates
// nothing. The owner keeps each clip alive until the voice hands its tag back through `release`.
class ClipVoice
{
public:
    static constexpr int kCutRampFrames = FadeTail::kFrames;

    // Receives the tag of a clip the voice no longer reads: played to its end, faded out, or
    // given up because more cuts came within one ramp than there are fading slots.
    using Release = void (*)(void* owner, void* tag);

    ClipVoice(Release release, void* owner);

    // Cuts the clip sounding and starts `clip` with the next frame mixed. `tag` must not be null.
    void start(const AudioClip& clip, void* tag);

    // Fades out the clip sounding.
    void cut();

    // The tag of the clip sounding (not one fading out); null when none sounds.
    void* tag() const { return m_voice.tag; }

    // Adds frames [from, to) of the sounding and fading clips into `out` (interleaved stereo).
    void mix(float* out, int from, int to);

    // Stops everything at once and releases every tag (for an owner about to go away).
    void releaseAll();

private:
    struct Voice
    {
        void* tag = nullptr;
        const float* samples = nullptr;
        std::int64_t frames = 0;
        std::int64_t position = 0;
        int fadeLeft = 0; // fading voices only: frames of the ramp still to play
    };

    static constexpr std::size_t kFadingCapacity = 4;

    void release(Voice& voice);

    Release m_release;
    void* m_owner;
    Voice m_voice;
    std::array<Voice, kFadingCapacity> m_fading {};
};
