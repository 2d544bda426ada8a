#include "platform/audio/OutputDevice.h"

#include "platform/audio/PulseAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"

#include <cstdlib>
#include <string_view>

bool playsThroughPulseAudio(const char* sdlDriver)
{
    if (!sdlDriver || *sdlDriver == '\0')
        return true;
    const std::string_view driver(sdlDriver);
    return driver == "pulseaudio" || driver == "pipewire";
}

std::unique_ptr<AudioDevice> makeOutputDevice(std::shared_ptr<SdlAudioSubsystem> sdlAudio)
{
    if (!playsThroughPulseAudio(std::getenv("SDL_AUDIODRIVER")))
        return std::make_unique<SdlAudioDevice>(std::move(sdlAudio));
    return std::make_unique<PulseAudioDevice>([sdlAudio]() -> std::unique_ptr<AudioDevice> {
        return std::make_unique<SdlAudioDevice>(sdlAudio);
    });
}
