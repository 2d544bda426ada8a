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

} // namespace

std::vector<float> resampleStereo(const std::vector<float>& in, int fromRate, int toRate)
{
    if (fromRate <= 0 || toRate <= 0 || fromRate == toRate)
        return in;
    const std::int64_t inFrames = static_cast<std::int64_t>(in.size() / 2);
    const std::int64_t outFrames = (inFrames * toRate + fromRate / 2) / fromRate;
    std::vector<float> out(static_cast<std::size_t>(outFrames) * 2, 0.0f);

    // Going down in rate, the filter's pass band narrows to the new Nyquist frequency and the
    // filter widens in input samples by the same factor.
    const double cutoff = std::min(1.0, static_cast<double>(toRate) / fromRate);
    const int halfWidth = static_cast<int>(std::ceil(kZeroCrossings / cutoff));
    const std::size_t taps = static_cast<std::size_t>(2 * halfWidth);
    auto computeWeights = [&](double fraction, double* weights) {
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
    };

    // The fractions repeat with period to / gcd(from, to): for the usual rates (22050, 48000)
    // that is a few hundred phases, computed once.
    const std::int64_t step = std::gcd(fromRate, toRate);
    const std::int64_t phases = toRate / step;
    const bool tabulated = phases <= kMaxTabulatedPhases;
    std::vector<double> table;
    if (tabulated) {
        table.resize(static_cast<std::size_t>(phases) * taps);
        for (std::int64_t phase = 0; phase < phases; ++phase)
            computeWeights(static_cast<double>(phase * step) / toRate,
                table.data() + static_cast<std::size_t>(phase) * taps);
    }
    std::vector<double> scratch(taps);

    for (std::int64_t n = 0; n < outFrames; ++n) {
        // The input position of output frame n is n * from / to, split exactly into an index
        // and a fraction.
        const std::int64_t numerator = n * fromRate;
        const std::int64_t index = numerator / toRate;
        const std::int64_t remainder = numerator % toRate;
        const double* weights = nullptr;
        if (tabulated) {
            weights = table.data() + static_cast<std::size_t>(remainder / step) * taps;
        } else {
            computeWeights(static_cast<double>(remainder) / toRate, scratch.data());
            weights = scratch.data();
        }
        double left = 0.0;
        double right = 0.0;
        for (std::size_t k = 0; k < taps; ++k) {
            const std::int64_t source = index + static_cast<std::int64_t>(k) - halfWidth + 1;
            if (source < 0 || source >= inFrames)
                continue;
            left += weights[k] * in[static_cast<std::size_t>(source) * 2];
            right += weights[k] * in[static_cast<std::size_t>(source) * 2 + 1];
        }
        out[static_cast<std::size_t>(n) * 2] = static_cast<float>(left);
        out[static_cast<std::size_t>(n) * 2 + 1] = static_cast<float>(right);
    }
    return out;
}
