#pragma once

#include <cstdint>
#include <vector>

// Converts interleaved stereo float frames from one sample rate to another with a windowed-sinc
// filter (Blackman window, 16 zero crossings a side, cut-off lowered when going down in rate so
// nothing folds back). The result has round(frames * to / from) frames, so length and pitch are
// kept; every output position comes from exact integer arithmetic on the frame index, so long
// files do not drift.
std::vector<float> resampleStereo(const std::vector<float>& in, int fromRate, int toRate);
