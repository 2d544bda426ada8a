#pragma once

#include "platform/audio/CaptureDevice.h"
#include "platform/audio/TakeFile.h"

#include <cstdint>

#include <QString>

// What the waveaudio device of the MCI interpreter records into and plays from: the engine's
// capture stream, a take on disk and the engine's output in the program, known samples on a
// manual clock in tests.
//
// UI thread only. Units: bytes of PCM in the wave's format.
class WaveAudioBackend
{
public:
    virtual ~WaveAudioBackend() = default;

    // Starts appending to the recording; a recording in another format is dropped first. False
    // when no input opens in that format or there is nowhere to keep the take.
    virtual bool startRecording(const CaptureFormat& format) = 0;
    // Returns once everything recorded so far is in the recording.
    virtual void stopRecording() = 0;
    virtual std::int64_t recordedBytes() const = 0;
    // `count` bytes of the recording from `fromByte`. False when they are not all there or
    // cannot be read.
    virtual bool readRecording(std::int64_t fromByte, char* into, std::int64_t count) const = 0;
    virtual void clearRecording() = 0;
    // Why the recording stopped growing by itself (a full disk, the most a WAV file holds, a
    // failing disk); None while it grows, after a stop asked for and after a new start. The
    // caller then stops the recording: what was recorded up to there is kept.
    virtual TakeFault recordingFault() const = 0;
    // The whole recording was just saved to the WAV file at `path`; the backend may read it from
    // there from now on and give up a copy of its own.
    virtual void recordingSavedAs(const QString& path) = 0;

    // Plays the recording from byte `fromByte` (a frame boundary) to its end. False when it
    // cannot play.
    virtual bool startPlayback(const CaptureFormat& format, std::int64_t fromByte) = 0;
    virtual void stopPlayback() = 0;
    // Bytes played since startPlayback, and whether the end has been reached.
    virtual std::int64_t playedBytes() const = 0;
    virtual bool playbackFinished() const = 0;
};
