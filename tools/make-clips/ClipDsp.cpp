#include "ClipDsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Frames of lead-in kept before the first loud sample: enough for the attack's own rise, far
// below the millisecond within which the click must start.
constexpr int kLeadIn = 8;

// The attack starts at the first sample reaching this share of the clip's peak (-20 dB).
constexpr double kOnsetShare = 0.1;

double decay(double t, double tauSeconds)
{
    return std::exp(-t / tauSeconds);
}

// The cookbook's common terms: the frequency's cosine and the bandwidth term.
struct Terms
{
    double cosW;
    double alpha;
};

Terms termsOf(double frequency, double q)
{
    const double w = kTwoPi * frequency / kRate;
    return { std::cos(w), std::sin(w) / (2 * q) };
}

} // namespace

Biquad Biquad::normalised(double b0, double b1, double b2, double a0, double a1, double a2)
{
    Biquad f;
    f.m_b0 = b0 / a0;
    f.m_b1 = b1 / a0;
    f.m_b2 = b2 / a0;
    f.m_a1 = a1 / a0;
    f.m_a2 = a2 / a0;
    return f;
}

Biquad Biquad::lowPass(double frequency, double q)
{
    const auto [c, alpha] = termsOf(frequency, q);
    return normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::highPass(double frequency, double q)
{
    const auto [c, alpha] = termsOf(frequency, q);
    return normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

// Constant peak gain of 1 at the centre frequency.
Biquad Biquad::bandPass(double frequency, double q)
{
    const auto [c, alpha] = termsOf(frequency, q);
    return normalised(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

float Biquad::process(float x)
{
    const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return static_cast<float>(y);
}

Channel Biquad::apply(const Channel& in)
{
    Channel out(in.size());
    std::transform(in.begin(), in.end(), out.begin(), [this](float x) {
        return process(x);
    });
    return out;
}

Channel withRoom(const Channel& dry, const Room& room)
{
    // Impulse response: discrete early reflections, then noise whose level falls by 60 dB over
    // rt60 and which swells in over a few milliseconds instead of starting with a step.
    const int length = framesForSeconds(room.rt60Seconds);
    Channel response(length, 0.0f);
    Noise noise(room.seed);
    Biquad tone = Biquad::lowPass(room.toneHz, 0.7);
    const double tailStart = 0.012;
    double noiseEnergy = 0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float n = tone.process(noise.white());
        noiseEnergy += double(n) * n;
        if (t >= tailStart) {
            const double swell = 1 - decay(t - tailStart, 0.006);
            response[i] =
                static_cast<float>(n * swell * std::pow(10.0, -3.0 * t / room.rt60Seconds));
        }
    }
    // Reflections a few times louder than the tail where it begins: the walls nearest the source.
    // Their times move by up to a millisecond with the seed, so two sides of a room differ.
    const double tailLevel = std::sqrt(noiseEnergy / length);

    const struct
    {
        double ms;
        double gain;
    } reflections[] = { { 5.3, 0.9 }, { 7.9, -0.7 }, { 11.2, 0.6 }, { 14.6, -0.5 }, { 19.1, 0.4 } };

    for (const auto& r : reflections) {
        const double ms = r.ms + noise.white();
        response[framesForSeconds(ms / 1000.0)] += static_cast<float>(r.gain * tailLevel * 3);
    }

    double energy = 0;
    for (float v : response)
        energy += double(v) * v;
    const float scale = static_cast<float>(room.wet / std::sqrt(energy));
    for (float& v : response)
        v *= scale;

    // Direct convolution, costly: the dry sound's inaudible end (below -100 dB) is left out.
    float dryPeak = 0;
    for (float x : dry)
        dryPeak = std::max(dryPeak, std::fabs(x));
    std::size_t audible = dry.size();
    while (audible > 0 && std::fabs(dry[audible - 1]) < dryPeak * 1e-5f)
        --audible;
    Channel out(dry.size() + response.size(), 0.0f);
    std::copy(dry.begin(), dry.end(), out.begin());
    for (std::size_t n = 0; n < audible; ++n) {
        const float x = dry[n];
        float* o = out.data() + n;
        for (std::size_t k = 0; k < response.size(); ++k)
            o[k] += x * response[k];
    }
    return out;
}

Channel glassPing(int frames)
{
    // A struck glass rings with inharmonic modes; the upper ones die first.
    const struct
    {
        double hz;
        double amplitude;
        double tauSeconds;
    } modes[] = {
        { 2637.0, 1.00, 0.019 },
        { 2648.0, 0.30, 0.016 }, // a slightly mistuned twin of the first mode: the glass's shimmer
        { 2637.0 * 2.76, 0.60, 0.012 },
        { 2637.0 * 5.40, 0.22, 0.005 },
    };

    Channel out(frames, 0.0f);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, i / 6.0);
        double v = 0;
        for (const auto& m : modes)
            v += m.amplitude * decay(t, m.tauSeconds) * std::sin(kTwoPi * m.hz * t);
        out[i] = static_cast<float>(attack * v);
    }
    return out;
}

Channel fingerSnap(int frames, Noise& noise)
{
    // A hiss burst centred near 2.6 kHz, the skin's pop below it and a brittle top, all with a
    // sharp attack and gone within a few milliseconds.
    Biquad hiss = Biquad::bandPass(2600, 0.9);
    Biquad pop = Biquad::bandPass(1250, 4.0);
    Biquad top = Biquad::highPass(7000, 0.7);
    Channel out(frames, 0.0f);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, i / 6.0);
        const float n = noise.white();
        const double v = hiss.process(n) * decay(t, 0.0022)
            + 0.6 * pop.process(n) * decay(t, 0.0035) + 0.4 * top.process(n) * decay(t, 0.0008);
        out[i] = static_cast<float>(attack * v);
    }
    return out;
}

Channel quietTick(int frames, Noise& noise)
{
    // A short 3 kHz blip over triangular dither of about a hundredth of its peak: scaled to a peak
    // of a few hundred steps, the dither is one step and the blip barely there.
    Channel out(frames, 0.0f);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double blip = std::sin(kTwoPi * 3000 * t) * decay(t, 0.0004) * std::min(1.0, i / 3.0);
        const double dither = (noise.white() + noise.white()) * 0.5 / 190.0;
        out[i] = static_cast<float>(blip + dither);
    }
    return out;
}

void removeDc(Clip& clip)
{
    // One-pole high-pass at about 10 Hz: takes out the offset some samples carry, leaves a kick's
    // fundamental alone.
    const double r = 1 - kTwoPi * 10 / kRate;
    for (Channel& c : clip.channels) {
        double x1 = 0, y1 = 0;
        for (float& v : c) {
            const double y = v - x1 + r * y1;
            x1 = v;
            y1 = y;
            v = static_cast<float>(y);
        }
    }
}

double peakOf(const Clip& clip)
{
    double peak = 0;
    for (const Channel& c : clip.channels)
        for (float v : c)
            peak = std::max(peak, double(std::fabs(v)));
    return peak;
}

void trimToOnset(Clip& clip)
{
    const double threshold = kOnsetShare * peakOf(clip);
    std::size_t onset = clip.frames();
    for (const Channel& c : clip.channels) {
        const auto loud = std::find_if(c.begin(), c.end(), [&](float v) {
            return std::fabs(v) >= threshold;
        });
        onset = std::min(onset, static_cast<std::size_t>(loud - c.begin()));
    }
    const std::size_t start = onset > kLeadIn ? onset - kLeadIn : 0;
    const std::size_t lead = onset - start;
    for (Channel& c : clip.channels) {
        c.erase(c.begin(), c.begin() + start);
        for (std::size_t i = 0; i < lead; ++i)
            c[i] *= static_cast<float>(i) / lead;
    }
}

void fitLength(Clip& clip, std::size_t frames)
{
    for (Channel& c : clip.channels)
        c.resize(frames, 0.0f);
}

void fadeOut(Clip& clip, std::size_t frames)
{
    for (Channel& c : clip.channels) {
        const std::size_t first = c.size() - frames;
        for (std::size_t k = 0; k < frames; ++k)
            c[first + k] *=
                static_cast<float>(0.5 * (1 + std::cos(std::numbers::pi * (k + 1) / frames)));
    }
}

void normalisePeak(Clip& clip, double peak)
{
    const float scale = static_cast<float>(peak / peakOf(clip));
    for (Channel& c : clip.channels)
        for (float& v : c)
            v *= scale;
}
