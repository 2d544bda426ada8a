#include "platform/audio/WavePlayback.h"

#include "platform/audio/AudioClip.h"

#include <algorithm>

WavePlayback::WavePlayback(std::shared_ptr<const AudioClip> clip)
    : m_clip(std::move(clip))
{}

void WavePlayback::render(float* mix, int frames, std::int64_t)
{
    const std::int64_t played = m_played.load(std::memory_order_relaxed);
    const std::int64_t total = m_clip ? m_clip->frames() : 0;
    const std::int64_t count = std::min<std::int64_t>(frames, total - played);
    if (count <= 0)
        return;
    const float* from = m_clip->samples.data() + played * 2;
    for (std::int64_t i = 0; i < count * 2; ++i)
        mix[i] += from[i];
    m_played.store(played + count, std::memory_order_release);
}

bool WavePlayback::finished() const
{
    return framesPlayed() >= (m_clip ? m_clip->frames() : 0);
}
