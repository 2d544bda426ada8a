#pragma once

#include "platform/audio/CaptureDevice.h"

#include <cstdint>

#include <QByteArray>

// What the waveaudio device of the MCI interpreter records into and plays from: the engine's
// capture stream and output in the program, known samples on a manual clock in tests.
//
// UI thread only. Units: bytes of PCM in the wave's format.
class WaveAudioBackend
{
public:
    virtual ~WaveAudioBackend() = default;

    // Starts appending to the recording; a recording in another format is dropped first. False
    // when no input opens in that format.
    virtual bool startRecording(const CaptureFormat& format) = 0;
    // Returns once everything recorded so far is in the recording.
    virtual void stopRecording() = 0;
    virtual std::int64_t recordedBytes() const = 0;
    virtual QByteArray recording() const = 0;
    virtual void clearRecording() = 0;

    // Plays the recording from byte `fromByte` (a frame boundary) to its end. False when it
    // cannot play.
    virtual bool startPlayback(const CaptureFormat& format, std::int64_t fromByte) = 0;
    virtual void stopPlayback() = 0;
    // Bytes played since startPlayback, and whether the end has been reached.
    virtual std::int64_t playedBytes() const = 0;
    virtual bool playbackFinished() const = 0;
};
