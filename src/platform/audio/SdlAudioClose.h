#pragma once

#include <SDL2/SDL.h>

// Closes an SDL audio device (output or capture), then shuts down the audio subsystem when the
// caller was the one that started it. Returns after the callback in progress, if any, has
// returned. Only the SDL backends include this.
inline void closeSdlAudio(SDL_AudioDeviceID& device, bool& audioInitialised)
{
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    if (audioInitialised) {
        SDL_AudioQuit();
        audioInitialised = false;
    }
}
