#pragma once

#include "platform/audio/CaptureDevice.h"

#include <memory>

// The real input: the system's default SDL2 capture device, opened at the wave's format (SDL
// converts). SDL_AUDIODRIVER chooses the driver as usual: "dummy" records silence, "disk" reads
// the raw file that SDL_DISKAUDIOFILEIN names (in the wave's format). It shares SDL's audio
// subsystem with SdlAudioDevice: it starts the subsystem only when the output has not.
class SdlCaptureDevice : public CaptureDevice
{
public:
    SdlCaptureDevice();
    ~SdlCaptureDevice() override;

    bool start(const CaptureFormat& format, DeliverFunction deliver) override;
    void stop() override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
