#pragma once

#include "platform/audio/AudioDevice.h"

#include <cstdint>
#include <memory>

// The real output: one SDL2 audio stream, 44100 Hz stereo float, whose callback renders the mix.
// SDL_AUDIODRIVER chooses the driver as usual ("disk" writes the output to the file that
// SDL_DISKAUDIOFILE names). start() fails when no device opens (no sound card) and also on SDL's
// "dummy" driver, whose clock runs fast: the engine then runs on its own paced silent device.
class SdlAudioDevice : public AudioDevice
{
public:
    // Frames per callback asked for: about 5.8 ms, so that a piano key sounds within 7 ms of its
    // press, as a player expects of an instrument. A device that grants a larger block is run with
    // what it granted.
    static constexpr int kRequestedBlockFrames = 256;

    SdlAudioDevice();
    ~SdlAudioDevice() override;

    bool start(RenderFunction render) override;
    void stop() override;
    bool silentFallback() const override;
    std::int64_t latencyFrames() const override;
    int blockFrames() const override;
    bool rendersOnOwnThread() const override;
    bool lost() const override;
    std::int64_t clockNanos() const override;

    // The SDL driver in use ("pulseaudio", "alsa", "disk", ...), empty before start().
    const char* driverName() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
