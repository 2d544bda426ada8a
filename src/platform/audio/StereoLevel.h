#pragma once

#include <cmath>

// Levels in hundredths of a decibel, as the media players take them: 0 is full volume, -10000
// (or less) silence.
constexpr int kSilentHundredthsOfDb = -10000;

inline double amplitudeOf(int hundredthsOfDb)
{
    return hundredthsOfDb <= kSilentHundredthsOfDb ? 0.0 : std::pow(10.0, hundredthsOfDb / 2000.0);
}

// The factors for the two sides of a stereo sound at `volume`, with `balance` lowering the
// other side: -10000 left only, 0 both at the volume, 10000 right only.
struct SideGains
{
    double left = 1.0;
    double right = 1.0;

    static SideGains of(int volume, int balance)
    {
        const double level = amplitudeOf(volume);
        return { balance > 0 ? level * amplitudeOf(-balance) : level,
            balance < 0 ? level * amplitudeOf(balance) : level };
    }
};

// Applies side gains to a sound as it is mixed in. A new gain is reached over kFrames frames
// (about 1.5 ms) in even steps, however the blocks fall, so a change never clicks. Plain data:
// the audio callback may use it freely.
class LevelRamp
{
public:
    static constexpr int kFrames = 64;

    // At `gains` from the next frame on, with no ramp (nothing sounds yet).
    void snap(SideGains gains)
    {
        m_now = m_target = gains;
        m_left = 0;
    }

    // Adds `frames` frames of interleaved stereo `from`, scaled, to `mix`, heading for `target`.
    void mixInto(const float* from, float* mix, int frames, SideGains target)
    {
        if (target.left != m_target.left || target.right != m_target.right) {
            m_start = m_now;
            m_target = target;
            m_left = kFrames;
        }
        for (int i = 0; i < frames; ++i) {
            if (m_left > 0) {
                --m_left;
                const double t = double(kFrames - m_left) / kFrames;
                m_now = { m_start.left + (m_target.left - m_start.left) * t,
                    m_start.right + (m_target.right - m_start.right) * t };
            }
            mix[2 * i] += static_cast<float>(from[2 * i] * m_now.left);
            mix[2 * i + 1] += static_cast<float>(from[2 * i + 1] * m_now.right);
        }
    }

private:
    SideGains m_now;
    SideGains m_start;
    SideGains m_target;
    int m_left = 0;
};
