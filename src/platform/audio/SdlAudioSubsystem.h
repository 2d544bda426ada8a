#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// SDL's audio subsystem as the program's SDL devices share it. SDL runs one driver for the whole
// process: SDL_AudioInit starts it (shutting down one already running) and SDL_AudioQuit closes
// every device opened on it, the capture's too; neither, nor opening or closing a device, may run
// on two threads at once. So the output and the capture hold the same subsystem: the driver
// starts with its first user and ends with its last, and every SDL call that starts, ends, opens,
// closes or asks about a device is made under lock().
//
// Threads: any but an audio callback's. Errors: acquire() returns false when no driver starts.
class SdlAudioSubsystem
{
public:
    SdlAudioSubsystem() = default;
    SdlAudioSubsystem(const SdlAudioSubsystem&) = delete;
    SdlAudioSubsystem& operator=(const SdlAudioSubsystem&) = delete;

    // Held around every SDL audio call but those of a running device's own thread.
    std::unique_lock<std::mutex> lock() { return std::unique_lock(m_mutex); }

    // The lock when it is free now; a lock that owns nothing when another thread holds it.
    std::unique_lock<std::mutex> tryLock() { return std::unique_lock(m_mutex, std::try_to_lock); }

    // Under lock(): counts a user, starting the driver for the first (SDL_AUDIODRIVER, else
    // SDL's own order); a driver already running is joined, never restarted.
    bool acquire();

    // Under lock(): the last user's release ends the driver it started.
    void release();

    // Under lock(): closes `device` if open (returning once its callback in progress, if any, has
    // returned) and, when `acquired`, releases the user's hold; both are cleared.
    void close(std::uint32_t& device, bool& acquired);

    // Under lock(): the driver running ("pulseaudio", "alsa", "disk", ...), empty when none.
    std::string driver() const;

private:
    std::mutex m_mutex;
    int m_users = 0;
    bool m_started = false;
};
