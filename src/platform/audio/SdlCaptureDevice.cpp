#include "platform/audio/SdlCaptureDevice.h"

#include "platform/audio/SdlAudioSubsystem.h"

#include <SDL2/SDL.h>

struct SdlCaptureDevice::State
{
    DeliverFunction deliver;
    SDL_AudioDeviceID device = 0;
    bool acquired = false;
};

namespace {

void SDLCALL captureCallback(void* userData, Uint8* stream, int length)
{
    auto& deliver = *static_cast<CaptureDevice::DeliverFunction*>(userData);
    deliver(stream, length);
}

} // namespace

SdlCaptureDevice::SdlCaptureDevice(std::shared_ptr<SdlAudioSubsystem> audio)
    : m_audio(audio ? std::move(audio) : std::make_shared<SdlAudioSubsystem>())
    , m_state(std::make_unique<State>())
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

    const auto lock = m_audio->lock();
    if (!m_audio->acquire())
        return false;
    m_state->acquired = true;

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
        m_audio->release();
        m_state->acquired = false;
        return false;
    }
    SDL_PauseAudioDevice(m_state->device, 0);
    return true;
}

void SdlCaptureDevice::stop()
{
    const auto lock = m_audio->lock();
    m_audio->close(m_state->device, m_state->acquired);
}
