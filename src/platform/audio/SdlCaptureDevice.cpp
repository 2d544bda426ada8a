#include "platform/audio/SdlCaptureDevice.h"

#include "platform/audio/SdlAudioClose.h"

#include <SDL2/SDL.h>

struct SdlCaptureDevice::State
{
    DeliverFunction deliver;
    SDL_AudioDeviceID device = 0;
    bool audioInitialised = false;
};

namespace {

void SDLCALL captureCallback(void* userData, Uint8* stream, int length)
{
    auto& deliver = *static_cast<CaptureDevice::DeliverFunction*>(userData);
    deliver(stream, length);
}

} // namespace

SdlCaptureDevice::SdlCaptureDevice()
    : m_state(std::make_unique<State>())
{}

SdlCaptureDevice::~SdlCaptureDevice()
{
    stop();
}

bool SdlCaptureDevice::start(const CaptureFormat& format, DeliverFunction deliver)
{
    stop();
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return false;
    m_state->deliver = std::move(deliver);

    // SDL_AudioInit would shut down an output already running, so it is called only when no
    // driver is up yet (the output fell back to the paced silent device).
    if (!SDL_GetCurrentAudioDriver()) {
        if (SDL_AudioInit(nullptr) != 0)
            return false;
        m_state->audioInitialised = true;
    }

    SDL_AudioSpec wanted {};
    wanted.freq = format.sampleRate;
    wanted.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = 1024;
    wanted.callback = captureCallback;
    wanted.userdata = &m_state->deliver;
    SDL_AudioSpec obtained {};
    // No allowed changes: SDL converts whatever the hardware records into the wave's format.
    m_state->device = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (m_state->device == 0) {
        stop();
        return false;
    }
    SDL_PauseAudioDevice(m_state->device, 0);
    return true;
}

void SdlCaptureDevice::stop()
{
    closeSdlAudio(m_state->device, m_state->audioInitialised);
}
