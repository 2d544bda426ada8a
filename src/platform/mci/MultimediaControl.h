#pragma once

#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>
#include <QTimer>

class MidiFiles;
class MidiFilePlayer;

// Error numbers of the multimedia control, as its users show them (0 is success).
inline constexpr int kMciInvalidDeviceId = 30257; // no device open for the command
inline constexpr int kMciUnknownDevice = 30263;
inline constexpr int kMciDriverMissing = 30266; // no SoundFont for the synthesizer
inline constexpr int kMciNotAvailable = 30274;
inline constexpr int kMciFileNotFound = 30275; // missing or unreadable
inline constexpr int kMciDeviceNotReady = 30276; // a CD drive without a disc
inline constexpr int kMciInvalidFile = 30296; // not a MIDI file the sequencer can read

enum class MciDevice { None, Sequencer, CDAudio };

// The multimedia control of a player window: one device at a time, opened from the device type
// and file name set before open(), with times in milliseconds and a status notification every
// updateInterval() milliseconds (0: none).
//
// "Sequencer" plays a MIDI file on a MIDI-file player made from `files`. "CDAudio" stands for
// the machine's CD drive, which never holds a disc here: opening it gives kMciDeviceNotReady.
// Commands return an error number and never throw; a command with no device open gives
// kMciInvalidDeviceId and changes nothing. UI thread only.
class MultimediaControl : public QObject
{
    Q_OBJECT

public:
    explicit MultimediaControl(MidiFiles& files, QObject* parent = nullptr);
    ~MultimediaControl() override;

    void setDeviceType(MciDevice type) { m_type = type; }

    void setFileName(const QString& path) { m_fileName = path; }

    // Closes the device open before.
    int open();
    int close();
    int play();
    int pause();
    int seek(std::int64_t toMs);

    bool isOpen() const { return m_open != MciDevice::None; }

    // The open file's length and position; 0 with no device open.
    std::int32_t length() const;
    std::int32_t position() const;

    // Where a seek to the start goes.
    std::int32_t start() const { return 0; }

    void setUpdateInterval(int ms);

    int updateInterval() const { return m_interval; }

Q_SIGNALS:
    void statusUpdate();

private:
    MidiFiles& m_files;
    std::unique_ptr<MidiFilePlayer> m_sequencer;
    MciDevice m_type = MciDevice::None;
    MciDevice m_open = MciDevice::None;
    QString m_fileName;
    int m_interval = 0;
    QTimer m_timer;
};
