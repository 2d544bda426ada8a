#pragma once

#include "platform/audio/AudioDevice.h"

#include <cstdint>
#include <memory>

class SdlAudioSubsystem;

// The real output: one SDL2 audio stream, 44100 Hz stereo float, whose callback renders the mix.
// SDL_AUDIODRIVER chooses the driver as usual ("disk" writes the output to the file that
// SDL_DISKAUDIOFILE names). start() fails when no device opens (no sound card) and also on SDL's
// "dummy" driver, whose clock runs fast: the engine then runs on its own paced silent device.
//
// Each callback's arrival is timed against the frames delivered before it (LateBlockDetector),
// so that lateBlocks() tells when the output falls behind. Not on the disk driver, which writes
// a file and cannot be late.
class SdlAudioDevice : public AudioDevice
{
public:
    // Frames per callback asked for at first: about 5.8 ms, so that a piano key sounds within
    // 7 ms of its press, as a player expects of an instrument. A device that grants a larger block
    // is run with what it granted.
    static constexpr int kRequestedBlockFrames = 256;

    // `audio`: SDL's audio subsystem as shared with the program's other SDL devices (null: one
    // of its own). `blockFrames`: the block to ask for.
    explicit SdlAudioDevice(std::shared_ptr<SdlAudioSubsystem> audio = nullptr,
        int blockFrames = kRequestedBlockFrames);
    ~SdlAudioDevice() override;

    bool open() override;
    bool start(RenderFunction render) override;
    void stop() override;
    bool silentFallback() const override;
    std::int64_t latencyFrames() const override;
    int blockFrames() const override;
    bool rendersOnOwnThread() const override;
    bool lost() const override;
    std::int64_t clockNanos() const override;
    std::unique_ptr<AudioDevice> another(int blockFrames) const override;
    std::int64_t lateBlocks() const override;

    // The SDL driver in use ("pulseaudio", "alsa", "disk", ...), empty before start().
    const char* driverName() const;

private:
    struct State;
    static void callback(void* state, std::uint8_t* stream, int length);

    std::shared_ptr<SdlAudioSubsystem> m_audio;
    std::unique_ptr<State> m_state;
};
