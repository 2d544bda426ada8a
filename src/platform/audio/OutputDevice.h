#pragma once

#include <memory>

class AudioDevice;
class SdlAudioSubsystem;

// The program's sound output as the system offers it. Where SDL would play through a PulseAudio
// server (SDL_AUDIODRIVER unset, "pulseaudio" or "pipewire"), the output talks to the server
// itself (PulseAudioDevice): its stream keeps a short queue that grows without a gap, rendered on
// a real-time thread, which SDL's driver gives neither. When no server answers, and for every
// other driver ("alsa", "disk", "dummy"), SDL's output (SdlAudioDevice) on `sdlAudio`.
//
// Threads: any. The device is made unopened; nothing here connects.
std::unique_ptr<AudioDevice> makeOutputDevice(std::shared_ptr<SdlAudioSubsystem> sdlAudio);

// True when SDL_AUDIODRIVER (null: unset) leaves the output to a PulseAudio server.
bool playsThroughPulseAudio(const char* sdlDriver);
