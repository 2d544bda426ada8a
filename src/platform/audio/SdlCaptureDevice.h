#pragma once

#include "platform/audio/CaptureDevice.h"

#include <memory>

class SdlAudioSubsystem;

// The real input: the system's default SDL2 capture device, opened at the wave's format (SDL
// converts). SDL_AUDIODRIVER chooses the driver as usual: "dummy" records silence, "disk" reads
// the raw file that SDL_DISKAUDIOFILEIN names (in the wave's format). It shares SDL's audio
// subsystem with the output (SdlAudioSubsystem), so that neither ends the other's driver.
class SdlCaptureDevice : public CaptureDevice
{
public:
    // `audio`: SDL's audio subsystem as shared with the output (null: one of its own).
    explicit SdlCaptureDevice(std::shared_ptr<SdlAudioSubsystem> audio = nullptr);
    ~SdlCaptureDevice() override;

    bool start(const CaptureFormat& format, DeliverFunction deliver) override;
    void stop() override;

private:
    struct State;
    std::shared_ptr<SdlAudioSubsystem> m_audio;
    std::unique_ptr<State> m_state;
};
