#include "platform/audio/SdlAudioSubsystem.h"

#include <SDL2/SDL.h>

bool SdlAudioSubsystem::acquire()
{
    if (m_users == 0 && !SDL_GetCurrentAudioDriver()) {
        if (SDL_AudioInit(nullptr) != 0)
            return false;
        m_started = true;
    }
    ++m_users;
    return true;
}

void SdlAudioSubsystem::release()
{
    if (m_users == 0 || --m_users > 0)
        return;
    if (m_started) {
        SDL_AudioQuit();
        m_started = false;
    }
}

std::string SdlAudioSubsystem::driver() const
{
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver ? driver : "";
}

void SdlAudioSubsystem::close(std::uint32_t& device, bool& acquired)
{
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    if (acquired) {
        release();
        acquired = false;
    }
}
