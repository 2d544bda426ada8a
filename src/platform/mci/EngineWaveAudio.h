#pragma once

#include "platform/mci/WaveAudioBackend.h"

#include <memory>

class AudioEngine;
class WavePlayback;

// The program's waveaudio backend: records through the engine's capture stream into a take file
// in `takeFolder`, and plays the take, streamed from its file, as a source of the engine's one
// output stream.
class EngineWaveAudio : public WaveAudioBackend
{
public:
    EngineWaveAudio(AudioEngine& engine, const QString& takeFolder);
    ~EngineWaveAudio() override;

    bool startRecording(const CaptureFormat& format) override;
    void stopRecording() override;
    std::int64_t recordedBytes() const override;
    bool readRecording(std::int64_t fromByte, char* into, std::int64_t count) const override;
    void clearRecording() override;
    TakeFault recordingFault() const override;
    void recordingSavedAs(const QString& path) override;
    bool startPlayback(const CaptureFormat& format, std::int64_t fromByte) override;
    void stopPlayback() override;
    std::int64_t playedBytes() const override;
    bool playbackFinished() const override;

private:
    AudioEngine& m_engine;
    std::unique_ptr<WavePlayback> m_playback;
    CaptureFormat m_playFormat;
};
