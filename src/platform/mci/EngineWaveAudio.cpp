#include "platform/mci/EngineWaveAudio.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/WaveCapture.h"
#include "platform/audio/WavePlayback.h"

EngineWaveAudio::EngineWaveAudio(AudioEngine& engine, const QString& takeFolder)
    : m_engine(engine)
{
    m_engine.capture().setTakeFolder(takeFolder);
}

EngineWaveAudio::~EngineWaveAudio()
{
    stopPlayback();
    // The take's file goes with the program's last use of it.
    m_engine.capture().clear();
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

bool EngineWaveAudio::readRecording(std::int64_t fromByte, char* into, std::int64_t count) const
{
    const std::shared_ptr<const TakeFile> take = m_engine.capture().take();
    if (!take)
        return count == 0 && fromByte == 0;
    return count >= 0 && take->read(fromByte, into, static_cast<std::size_t>(count));
}

void EngineWaveAudio::clearRecording()
{
    m_engine.capture().clear();
}

TakeFault EngineWaveAudio::recordingFault() const
{
    return m_engine.capture().fault();
}

void EngineWaveAudio::recordingSavedAs(const QString& path)
{
    m_engine.capture().takeSavedAs(path);
}

bool EngineWaveAudio::startPlayback(const CaptureFormat& format, std::int64_t fromByte)
{
    stopPlayback();
    m_playFormat = format;
    m_playback = std::make_unique<WavePlayback>(m_engine.capture().take(), fromByte);
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
