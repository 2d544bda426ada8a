#pragma once

#include "platform/mci/WaveAudioBackend.h"

#include <algorithm>

#include <QByteArray>

// Known samples on a manual clock: advance() records (byte i of a take is knownByte(i)) or plays
// for that many milliseconds, advanceFrames() for that many frames, so that a take can end
// between two milliseconds as real ones do. Like a real device it moves in whole frames. It can
// be told to refuse recording (no input device), and to have only so much room on the disk: a
// take that reaches it ends at its last whole frame there with a DiskFull fault.
class FakeWaveAudio : public WaveAudioBackend
{
public:
    static char knownByte(std::int64_t index)
    {
        return static_cast<char>((index * 37 + 11) & 0xFF);
    }

    void advance(std::int64_t ms) { advanceFrames(ms * m_format.sampleRate / 1000); }

    void advanceFrames(std::int64_t frames)
    {
        const std::int64_t bytes = frames * m_format.bytesPerFrame();
        if (m_recording && m_fault == TakeFault::None) {
            std::int64_t take = bytes;
            if (diskRoom >= 0 && m_wave.size() + take > diskRoom) {
                take = diskRoom - m_wave.size();
                take -= take % m_format.bytesPerFrame();
                m_fault = TakeFault::DiskFull;
            }
            for (std::int64_t i = 0; i < take; ++i)
                m_wave.append(knownByte(m_wave.size()));
        }
        if (m_playing)
            m_played = std::min<std::int64_t>(m_played + bytes, m_wave.size() - m_playFrom);
    }

    bool startRecording(const CaptureFormat& format) override
    {
        if (refuseRecording)
            return false;
        if (!(format == m_format))
            m_wave.clear();
        m_format = format;
        m_recording = true;
        m_fault = TakeFault::None;
        return true;
    }

    void stopRecording() override { m_recording = false; }

    std::int64_t recordedBytes() const override { return m_wave.size(); }

    bool readRecording(std::int64_t fromByte, char* into, std::int64_t count) const override
    {
        if (fromByte < 0 || count < 0 || fromByte + count > m_wave.size())
            return false;
        std::copy_n(m_wave.constData() + fromByte, count, into);
        return true;
    }

    void clearRecording() override
    {
        m_recording = false;
        m_wave.clear();
        m_fault = TakeFault::None;
    }

    TakeFault recordingFault() const override { return m_fault; }

    void recordingSavedAs(const QString& path) override { savedAs = path; }

    bool startPlayback(const CaptureFormat& format, std::int64_t fromByte) override
    {
        m_format = format;
        m_playing = true;
        m_playFrom = fromByte;
        m_played = 0;
        return true;
    }

    void stopPlayback() override { m_playing = false; }

    std::int64_t playedBytes() const override { return m_played; }

    bool playbackFinished() const override { return m_playFrom + m_played >= m_wave.size(); }

    bool recordingNow() const { return m_recording; }

    bool playingNow() const { return m_playing; }

    bool refuseRecording = false;
    // Bytes a take may hold before the disk is full; negative: room without end.
    std::int64_t diskRoom = -1;
    // The last path recordingSavedAs() was told.
    QString savedAs;

private:
    CaptureFormat m_format;
    QByteArray m_wave;
    TakeFault m_fault = TakeFault::None;
    bool m_recording = false;
    bool m_playing = false;
    std::int64_t m_playFrom = 0;
    std::int64_t m_played = 0;
};
