#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// Converts interleaved stereo float frames from one sample rate to another with a windowed-sinc
// filter (Blackman window, 16 zero crossings a side, cut-off lowered when going down in rate so
// nothing folds back). An input of N frames gives round(N * to / from) frames, so length and pitch
// are kept; every output position comes from exact integer arithmetic on the frame index, so long
// files do not drift.
//
// Output frames can be made in any runs from windows of the input, so that a reader streaming a
// long file holds only a window: each run comes out exactly as it would from the whole input.
// One object per thread (render keeps scratch space).
class StereoResampler
{
public:
    StereoResampler(int fromRate, int toRate);

    // Same rates (or a rate that is not positive): frames pass unchanged.
    bool passesThrough() const { return m_passThrough; }

    std::int64_t outputFrames(std::int64_t inputFrames) const;

    // The input frames [first, end) that output frames [firstOut, firstOut + count) are made from;
    // frames outside the input count as silence, so they need not be there.
    std::pair<std::int64_t, std::int64_t> inputSpan(
        std::int64_t firstOut, std::int64_t count) const;

    // Makes output frames [firstOut, firstOut + count) into `out` (2 * count floats) from the input
    // frames [inFirst, inFirst + inCount) at `in`, of an input `inputFrames` long in all. The
    // window must hold every frame of inputSpan() that lies inside the input.
    void render(const float* in,
        std::int64_t inFirst,
        std::int64_t inputFrames,
        std::int64_t firstOut,
        std::int64_t count,
        float* out);

private:
    const double* weightsFor(std::int64_t remainder);

    bool m_passThrough = true;
    std::int64_t m_from = 1;
    std::int64_t m_to = 1;
    int m_halfWidth = 0;
    std::size_t m_taps = 0;
    double m_cutoff = 1.0;
    std::int64_t m_step = 1;
    bool m_tabulated = false;
    std::vector<double> m_table;
    std::vector<double> m_scratch;
};

// The whole input at once.
std::vector<float> resampleStereo(const std::vector<float>& in, int fromRate, int toRate);
