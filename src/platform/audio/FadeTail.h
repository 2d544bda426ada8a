#pragma once

#include <algorithm>
#include <array>

// The last moments of a sound that is cut off, so that the cut makes no click of its own: the
// sound's next kFrames frames, rendered ahead, ramped down to silence and mixed in from the next
// sample on, while whatever replaces the sound starts at once. Several cuts close together add
// up. Plain data: nothing here allocates, so the audio callback may use it freely.
class FadeTail
{
public:
    // About 1.5 ms at the engine's rate.
    static constexpr int kFrames = 64;

    // The ramp's gain with `left` of its frames still to play (kFrames at its first frame, 1 at
    // its last): falls in even steps and reaches silence on the frame after the ramp.
    static constexpr float gain(int left) { return static_cast<float>(left) / (kFrames + 1); }

    // Takes in the cut sound: `render(float* zeroed, int frames)` adds its next kFrames frames
    // of interleaved stereo to `zeroed`.
    template <typename Render> void capture(Render&& render)
    {
        m_scratch.fill(0.0f);
        render(m_scratch.data(), kFrames);
        for (int i = 0; i < kFrames; ++i) {
            const float g = gain(kFrames - i);
            m_pending[2 * i] += m_scratch[2 * i] * g;
            m_pending[2 * i + 1] += m_scratch[2 * i + 1] * g;
        }
        m_frames = kFrames;
    }

    // Adds the next `frames` frames of the tails taken in (as many as are left) to `mix`.
    void mixInto(float* mix, int frames)
    {
        const int count = std::min(frames, m_frames);
        if (count == 0)
            return;
        for (int i = 0; i < 2 * count; ++i)
            mix[i] += m_pending[i];
        // What is left moves to the front; the freed end is silence again for the next capture.
        std::copy(m_pending.begin() + 2 * count, m_pending.end(), m_pending.begin());
        std::fill(m_pending.end() - 2 * count, m_pending.end(), 0.0f);
        m_frames -= count;
    }

private:
    std::array<float, 2 * kFrames> m_scratch {};
    std::array<float, 2 * kFrames> m_pending {};
    int m_frames = 0;
};
