#include "platform/audio/SdlAudioDevice.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/SdlAudioClose.h"

#include <chrono>
#include <cstring>
#include <string>

#include <SDL2/SDL.h>

struct SdlAudioDevice::State
{
    RenderFunction render;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained {};
    std::string driver;
    bool audioInitialised = false;
    bool running = false;
};

namespace {

void SDLCALL audioCallback(void* userData, Uint8* stream, int length)
{
    auto& render = *static_cast<AudioDevice::RenderFunction*>(userData);
    const int frames = length / static_cast<int>(sizeof(float) * AudioEngine::kChannels);
    render(reinterpret_cast<float*>(stream), frames);
}

} // namespace

SdlAudioDevice::SdlAudioDevice()
    : m_state(std::make_unique<State>())
{}

SdlAudioDevice::~SdlAudioDevice()
{
    stop();
}

bool SdlAudioDevice::start(RenderFunction render)
{
    if (m_state->device != 0)
        return true;
    m_state->render = std::move(render);

    SDL_AudioSpec wanted {};
    wanted.freq = AudioEngine::kSampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = AudioEngine::kChannels;
    wanted.samples = kRequestedBlockFrames;
    wanted.callback = audioCallback;
    wanted.userdata = &m_state->render;

    // SDL converts rate, format and channels itself when the hardware differs, so the callback
    // always sees exactly the format the mixer renders.
    auto open = [&](const char* driver) {
        if (SDL_AudioInit(driver) != 0)
            return false;
        m_state->audioInitialised = true;
        m_state->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &m_state->obtained, 0);
        if (m_state->device != 0)
            return true;
        SDL_AudioQuit();
        m_state->audioInitialised = false;
        return false;
    };
    // nullptr: SDL_AUDIODRIVER or SDL's own order of drivers. SDL's "dummy" driver is refused:
    // it paces itself with whole-millisecond sleeps per block (5 ms for 5.8 ms of sound) and so
    // runs fast; the engine's own paced fallback keeps true time instead.
    if (!open(nullptr))
        return false;
    if (const char* driver = SDL_GetCurrentAudioDriver();
        driver && std::strcmp(driver, "dummy") == 0) {
        stop();
        return false;
    }

    const char* driver = SDL_GetCurrentAudioDriver();
    m_state->driver = driver ? driver : "";
    SDL_PauseAudioDevice(m_state->device, 0);
    m_state->running = true;
    return true;
}

void SdlAudioDevice::stop()
{
    closeSdlAudio(m_state->device, m_state->audioInitialised);
    m_state->running = false;
}

bool SdlAudioDevice::silentFallback() const
{
    return false; // the dummy driver is never kept (see start)
}

std::int64_t SdlAudioDevice::latencyFrames() const
{
    // The block being rendered waits behind one block already handed to the system.
    return m_state->obtained.samples;
}

int SdlAudioDevice::blockFrames() const
{
    return m_state->obtained.samples;
}

bool SdlAudioDevice::rendersOnOwnThread() const
{
    return m_state->running;
}

bool SdlAudioDevice::lost() const
{
    // SDL stops calling back once the device is gone, and reports the stream stopped.
    return m_state->running && SDL_GetAudioDeviceStatus(m_state->device) == SDL_AUDIO_STOPPED;
}

std::int64_t SdlAudioDevice::clockNanos() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

const char* SdlAudioDevice::driverName() const
{
    return m_state->driver.c_str();
}
