#pragma once

#include <cstdint>
#include <functional>

// The PCM format of a recorded wave: what the device is asked for and what the recording holds.
struct CaptureFormat
{
    int sampleRate = 44100;
    int channels = 1;
    int bitsPerSample = 16; // 8 (unsigned) or 16 (signed, little-endian)

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }

    int bytesPerSecond() const { return bytesPerFrame() * sampleRate; }

    bool operator==(const CaptureFormat&) const = default;
};

// A sound input that delivers blocks of PCM bytes in exactly the format it was started with (the
// backend converts from what the hardware gives).
//
// Lifecycle: made stopped; start() (UI thread) begins the deliver calls; stop() (UI thread)
// returns only after the last deliver call has returned. Deliver calls come one at a time from
// the device's own thread, always whole frames, and must not block or allocate.
// Errors: start() returns false when no input opens in that format; nothing throws.
class CaptureDevice
{
public:
    using DeliverFunction = std::function<void(const std::uint8_t* bytes, int count)>;

    virtual ~CaptureDevice() = default;

    virtual bool start(const CaptureFormat& format, DeliverFunction deliver) = 0;
    virtual void stop() = 0;
};
