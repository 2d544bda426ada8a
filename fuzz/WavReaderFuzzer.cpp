// libFuzzer entry for the WAV reader: any bytes must give a clip or a failure, never a crash, a
// read out of bounds or an unbounded allocation; a clip must hold whole finite stereo frames.
#include "platform/audio/AudioClip.h"
#include "platform/audio/WavReader.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto result = WavReader::decode(std::span(data, size));
    if (!result) {
        if (result.error.empty())
            std::abort();
        return 0;
    }
    if (result.clip->samples.size() % 2 != 0)
        std::abort();
    // Full-scale input resampled can ring past 1, but never past the sum of the filter's weight
    // magnitudes (about 2.4 at worst).
    for (float sample : result.clip->samples) {
        if (!std::isfinite(sample) || std::abs(sample) > 2.5f)
            std::abort();
    }
    return 0;
}
