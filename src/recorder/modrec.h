#pragma once

#include <cstdint>

#include <QString>

class MciSender;
class MessageBoxService;
class SettingsStore;

// The recorder's engine: drives the waveaudio device under the alias "capture" through command
// strings, holds the recording format and the texts the recorder window shows. A failing command
// shows its box and the procedure goes on with its next step. One object for the whole program,
// shared by the recorder window and its settings dialog. UI thread only.
class modrec
{
public:
    modrec(MciSender& mci, MessageBoxService& boxes);

    std::int32_t RecordRate = 0;
    std::int16_t RecordChannels = 0;
    std::int16_t RecordBits = 0;
    // "Recorder - " and the device's mode word: the recorder window's caption.
    QString WaveModeText;
    // Two lines, each ending in CR LF: the length, then the format.
    QString WaveInfoText;
    // Set by the window's Play, cleared by its Stop, New, Options... and load.
    bool WavePlaying = false;

    void OpenNewWave();
    void SetWaveFormat();
    // After a format the device refused, records nothing and says so.
    void StartRecording();
    void StopRecording();
    // Writes the wave to FileName (blanks allowed) through the atomic writer. False, after its
    // box, when nothing was written: the old file is then untouched.
    bool SaveWave(const QString& FileName);
    // For a recording found stopped that nobody stopped: when the device says its storage ended
    // it (a full disk, the most a WAV file holds, a failing disk), shows the one box that says so
    // and returns true; what was recorded up to there stays in the wave.
    bool RecordingCutShort();
    void GetWaveMode();
    void GetWaveInfo();
    void CloseWave();
    std::int32_t GetWavePosition();
    void PlayWaveFrom(std::int32_t Milliseconds);

    // Reads Rate, Channels and Resolution into the format variables. A stored value that is not
    // a whole number from 1 to the variable's largest reads as its default (44100, 1, 16), as a
    // missing one does.
    void readFormat(SettingsStore& settings);
    // Writes them as decimal text.
    void writeFormat(SettingsStore& settings) const;

private:
    // Sends `command`; on failure shows `failure` (an information box unless `plain`).
    bool send(const QString& command, const QString& failure, bool plain = false);
    // A status query of the 200 ms poll; the callers show its failure once until it clears.
    bool query(const QString& command, QString* reply);

    MciSender& m_mci;
    MessageBoxService& m_boxes;
    // The last SetWaveFormat's format command failed.
    bool m_formatRefused = false;
    // The queries of GetWaveInfo (one bit each, in order) and of GetWaveMode failing at the
    // last poll.
    std::uint8_t m_infoFailing = 0;
    bool m_modeFailing = false;
};
