#pragma once

#include "platform/audio/AudioSource.h"

#include <atomic>
#include <cstdint>
#include <memory>

struct AudioClip;

// A recorded wave played through the engine's one output stream, as a source: the clip (already
// converted to the engine's format on the UI thread) is mixed from its first frame on, once.
// The audio thread advances an atomic frame count that the UI reads for the position.
class WavePlayback : public AudioSource
{
public:
    explicit WavePlayback(std::shared_ptr<const AudioClip> clip);

    void render(float* mix, int frames, std::int64_t firstSample) override;

    // Frames of the clip played so far (any thread).
    std::int64_t framesPlayed() const { return m_played.load(std::memory_order_acquire); }

    bool finished() const;

private:
    std::shared_ptr<const AudioClip> m_clip;
    std::atomic<std::int64_t> m_played { 0 };
};
