#pragma once

#include "platform/audio/AudioSource.h"

#include <cstdint>
#include <memory>

class AudioDevice;

// Decoded sound ready for the mixer: interleaved stereo float frames at AudioEngine::kSampleRate.
struct AudioClip;

// The program's one sound output: a mixer with one clip voice and any number of sources, driven
// by a device's callback, and the sample clock that every timed sound is placed on.
//
// Threads: every public call but render() is for the UI thread; render() runs on the device's
// audio thread (or the test device's caller) and never allocates, locks or waits on the UI.
// Units: samples (frames) at kSampleRate since the device started.
class AudioEngine
{
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    explicit AudioEngine(std::unique_ptr<AudioDevice> device);
    ~AudioEngine();

    // The next sample the device will render: a sound placed at now() starts in the next block.
    std::int64_t now() const;

    // Places `clip` on the clip voice at sample `at` (a sample already past means at once). When
    // it starts it cuts off the clip then sounding (ramped down over a millisecond or two so the
    // cut makes no click); clips placed for later samples wait their turn in order.
    void playClip(std::shared_ptr<const AudioClip> clip, std::int64_t at);

    // Stops every clip at once: the one sounding and those placed and not yet started.
    void purge();

    // Sources are mixed from the next block on. removeSource returns once the audio thread no
    // longer uses the source, so the caller may then destroy it.
    void addSource(AudioSource* source);
    void removeSource(AudioSource* source);

    // True when no real device opened and the engine runs on the silent, paced fallback.
    bool silentFallback() const;

    // Samples between a block being rendered and its sound leaving the speakers.
    std::int64_t outputLatency() const;

    // Audio thread: mixes the next `frames` frames into `out` (interleaved stereo, overwritten)
    // and advances the clock.
    void render(float* out, int frames);
};
