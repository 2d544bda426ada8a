#pragma once

#include <cstdint>
#include <random>
#include <vector>

// Float samples at kRate, full scale +-1.0.
using Channel = std::vector<float>;

// One clip: one channel (mono) or two (left, right), all of the same length.
struct Clip
{
    std::vector<Channel> channels;

    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

constexpr int kRate = 44100;

// Clip lengths are given in whole milliseconds; 44.1 frames each, halves rounded up, in integers
// so that 15 ms and 165 ms (661.5 and 7276.5 frames) cannot fall on either side by float error.
constexpr int framesForMs(int ms)
{
    return (ms * 441 + 5) / 10;
}

constexpr int framesForSeconds(double seconds)
{
    return static_cast<int>(seconds * kRate + 0.5);
}

// White noise in [-1, 1) from a fixed seed. Built on mt19937's words, whose sequence the
// standard fixes, so that every machine renders the same clips.
class Noise
{
public:
    explicit Noise(std::uint32_t seed)
        : m_engine(seed)
    {}

    float white() { return static_cast<float>(m_engine() >> 8) / 8388608.0f - 1.0f; }

private:
    std::mt19937 m_engine;
};

// Second-order filter section (the usual audio cookbook shapes); frequencies in Hz.
class Biquad
{
public:
    static Biquad lowPass(double frequency, double q);
    static Biquad highPass(double frequency, double q);
    static Biquad bandPass(double frequency, double q);

    float process(float x);
    Channel apply(const Channel& in);

private:
    static Biquad normalised(double b0, double b1, double b2, double a0, double a1, double a2);

    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// Shape of a synthetic room: a few early reflections, then a decaying noise tail.
struct Room
{
    double rt60Seconds; // time for the tail to fall by 60 dB
    double wet; // tail level against the dry sound, by energy of the response
    double toneHz; // the tail is darkened above this frequency
    std::uint32_t seed; // different seeds give uncorrelated tails (the two sides of a stereo room)
};

// The dry sound followed by its room, as long as the sound plus the whole tail.
Channel withRoom(const Channel& dry, const Room& room);

// Sounds the SoundFont has none of.
Channel glassPing(int frames);
Channel fingerSnap(int frames, Noise& noise);
Channel quietTick(int frames, Noise& noise);

// Finishing steps, in this order: removeDc, trimToOnset, fitLength, fadeOut, normalisePeak.
void removeDc(Clip& clip);
// Cuts the lead-in so the attack starts within the first few samples; a short fade-in over the
// kept lead-in makes the first sample zero.
void trimToOnset(Clip& clip);
void fitLength(Clip& clip, std::size_t frames);
// Raised-cosine fade over the last `frames` frames, ending at exactly zero.
void fadeOut(Clip& clip, std::size_t frames);
void normalisePeak(Clip& clip, double peak);

double peakOf(const Clip& clip);
