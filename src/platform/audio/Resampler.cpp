#include "platform/audio/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace {

constexpr int kZeroCrossings = 16;
constexpr std::int64_t kMaxTabulatedPhases = 4096;

double sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

double blackman(double x) // x in [-1, 1]
{
    const double phase = std::numbers::pi * (x + 1.0);
    return 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
}

void computeWeights(
    double fraction, double cutoff, int halfWidth, std::size_t taps, double* weights)
{
    double total = 0.0;
    for (std::size_t k = 0; k < taps; ++k) {
        const double distance = (static_cast<double>(k) - halfWidth + 1) - fraction;
        const double window = blackman(std::clamp(distance / halfWidth, -1.0, 1.0));
        weights[k] = cutoff * sinc(cutoff * distance) * window;
        total += weights[k];
    }
    // Unity gain at DC whatever the phase: no ripple on steady levels.
    for (std::size_t k = 0; k < taps; ++k)
        weights[k] /= total;
}

} // namespace

StereoResampler::StereoResampler(int fromRate, int toRate)
{
    m_passThrough = fromRate <= 0 || toRate <= 0 || fromRate == toRate;
    if (m_passThrough)
        return;
    m_from = fromRate;
    m_to = toRate;
    // Going down in rate, the filter's pass band narrows to the new Nyquist frequency and the
    // filter widens in input samples by the same factor.
    m_cutoff = std::min(1.0, static_cast<double>(toRate) / fromRate);
    m_halfWidth = static_cast<int>(std::ceil(kZeroCrossings / m_cutoff));
    m_taps = static_cast<std::size_t>(2 * m_halfWidth);

    // The fractions repeat with period to / gcd(from, to): for the usual rates (22050, 48000)
    // that is a few hundred phases, computed once.
    m_step = std::gcd(m_from, m_to);
    const std::int64_t phases = m_to / m_step;
    m_tabulated = phases <= kMaxTabulatedPhases;
    if (m_tabulated) {
        m_table.resize(static_cast<std::size_t>(phases) * m_taps);
        for (std::int64_t phase = 0; phase < phases; ++phase)
            computeWeights(static_cast<double>(phase * m_step) / m_to, m_cutoff, m_halfWidth,
                m_taps, m_table.data() + static_cast<std::size_t>(phase) * m_taps);
    }
    m_scratch.resize(m_taps);
}

std::int64_t StereoResampler::outputFrames(std::int64_t inputFrames) const
{
    if (m_passThrough)
        return inputFrames;
    return (inputFrames * m_to + m_from / 2) / m_from;
}

std::pair<std::int64_t, std::int64_t> StereoResampler::inputSpan(
    std::int64_t firstOut, std::int64_t count) const
{
    if (m_passThrough)
        return { firstOut, firstOut + count };
    const std::int64_t firstIndex = firstOut * m_from / m_to;
    const std::int64_t lastIndex =
        (firstOut + std::max<std::int64_t>(count, 1) - 1) * m_from / m_to;
    return { firstIndex - m_halfWidth + 1, lastIndex + m_halfWidth + 1 };
}

const double* StereoResampler::weightsFor(std::int64_t remainder)
{
    if (m_tabulated)
        return m_table.data() + static_cast<std::size_t>(remainder / m_step) * m_taps;
    computeWeights(
        static_cast<double>(remainder) / m_to, m_cutoff, m_halfWidth, m_taps, m_scratch.data());
    return m_scratch.data();
}

void StereoResampler::render(const float* in,
    std::int64_t inFirst,
    std::int64_t inputFrames,
    std::int64_t firstOut,
    std::int64_t count,
    float* out)
{
    if (m_passThrough) {
        std::copy_n(in + (firstOut - inFirst) * 2, count * 2, out);
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        // The input position of output frame n is n * from / to, split exactly into an index
        // and a fraction.
        const std::int64_t numerator = (firstOut + i) * m_from;
        const std::int64_t index = numerator / m_to;
        const double* weights = weightsFor(numerator % m_to);
        double left = 0.0;
        double right = 0.0;
        for (std::size_t k = 0; k < m_taps; ++k) {
            const std::int64_t source = index + static_cast<std::int64_t>(k) - m_halfWidth + 1;
            if (source < 0 || source >= inputFrames)
                continue;
            const std::size_t at = static_cast<std::size_t>(source - inFirst) * 2;
            left += weights[k] * in[at];
            right += weights[k] * in[at + 1];
        }
        out[i * 2] = static_cast<float>(left);
        out[i * 2 + 1] = static_cast<float>(right);
    }
}

std::vector<float> resampleStereo(const std::vector<float>& in, int fromRate, int toRate)
{
    StereoResampler resampler(fromRate, toRate);
    if (resampler.passesThrough())
        return in;
    const std::int64_t inFrames = static_cast<std::int64_t>(in.size() / 2);
    const std::int64_t outFrames = resampler.outputFrames(inFrames);
    std::vector<float> out(static_cast<std::size_t>(outFrames) * 2, 0.0f);
    resampler.render(in.data(), 0, inFrames, 0, outFrames, out.data());
    return out;
}
