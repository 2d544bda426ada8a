#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <QString>

struct AudioClip;

// Reads RIFF WAVE files with PCM samples (8-bit unsigned or 16-bit signed, mono or stereo, any
// rate from 1000 to 768000 Hz) into clips for the engine: stereo float at 44100 Hz, mono copied
// to both channels, other rates resampled. Chunks other than "fmt " and "data" ("LIST", "fact",
// anything unknown) are skipped with their pad byte.
//
// Any thread (no shared state). Bad input never crashes or reads out of bounds: it gives a
// Result without a clip and a reason in plain words.
class WavReader
{
public:
    struct Result
    {
        std::shared_ptr<const AudioClip> clip;
        std::string error;

        explicit operator bool() const { return clip != nullptr; }
    };

    static constexpr int kMinSampleRate = 1000;
    static constexpr int kMaxSampleRate = 768000;
    // Files past this are refused instead of read into memory whole.
    static constexpr std::int64_t kMaxFileBytes = 256LL * 1024 * 1024;

    static Result decode(std::span<const std::uint8_t> bytes);
    static Result readFile(const QString& path);
};

// Turns `frames` frames of PCM samples (8-bit unsigned or 16-bit signed little-endian, mono or
// stereo) into interleaved stereo float at the same rate (2 * frames floats), mono copied to both
// channels, as the engine mixes them.
void pcmToStereo(const std::uint8_t* pcm, std::int64_t frames, int channels, int bits, float* out);
