#include "platform/mci/EngineWaveAudio.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/WavReader.h"
#include "platform/audio/WavWriter.h"
#include "platform/audio/WaveCapture.h"
#include "platform/audio/WavePlayback.h"

#include <span>

EngineWaveAudio::EngineWaveAudio(AudioEngine& engine)
    : m_engine(engine)
{}

EngineWaveAudio::~EngineWaveAudio()
{
    stopPlayback();
    m_engine.capture().stop();
}

bool EngineWaveAudio::startRecording(const CaptureFormat& format)
{
    return m_engine.capture().start(format);
}

void EngineWaveAudio::stopRecording()
{
    m_engine.capture().stop();
}

std::int64_t EngineWaveAudio::recordedBytes() const
{
    return m_engine.capture().recordedBytes();
}

QByteArray EngineWaveAudio::recording() const
{
    return m_engine.capture().recording();
}

void EngineWaveAudio::clearRecording()
{
    m_engine.capture().stop();
    m_engine.capture().clear();
}

bool EngineWaveAudio::startPlayback(const CaptureFormat& format, std::int64_t fromByte)
{
    stopPlayback();
    m_playFormat = format;
    const QByteArray pcm = recording().mid(fromByte);
    std::shared_ptr<const AudioClip> clip;
    if (!pcm.isEmpty()) {
        // Converted here, on the UI thread, to the engine's rate and channels.
        const QByteArray file =
            wavFileBytes(format.channels, format.sampleRate, format.bitsPerSample, pcm);
        const WavReader::Result decoded = WavReader::decode(std::span(
            reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
        if (!decoded)
            return false;
        clip = decoded.clip;
    }
    m_playback = std::make_unique<WavePlayback>(std::move(clip));
    m_engine.addSource(m_playback.get());
    return true;
}

void EngineWaveAudio::stopPlayback()
{
    if (!m_playback)
        return;
    m_engine.removeSource(m_playback.get());
    m_playback.reset();
}

std::int64_t EngineWaveAudio::playedBytes() const
{
    if (!m_playback)
        return 0;
    const std::int64_t frames =
        m_playback->framesPlayed() * m_playFormat.sampleRate / AudioEngine::kSampleRate;
    return frames * m_playFormat.bytesPerFrame();
}

bool EngineWaveAudio::playbackFinished() const
{
    return !m_playback || m_playback->finished();
}
