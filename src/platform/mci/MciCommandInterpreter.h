#pragma once

#include "platform/audio/CaptureDevice.h"
#include "platform/mci/MciSender.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

class FileStore;
class MultimediaControl;
class WaveAudioBackend;

// Error numbers of the command strings (0 is success).
inline constexpr int kMciUnrecognizedCommand = 261;
inline constexpr int kMciAliasNotOpen = 263; // no device open under that alias
inline constexpr int kMciBadFormat = 264; // a format the device refuses
inline constexpr int kMciOutOfRange = 282;
inline constexpr int kMciAliasInUse = 289;
inline constexpr int kMciCannotRecord = 290; // no input device, or it refuses the format
inline constexpr int kMciCannotWrite = 291; // the file could not be written
inline constexpr int kMciCannotPlay = 293;

// The MCI command-string interface: one waveaudio device under the alias "capture", and "close
// all", which also closes every multimedia control added here (the MIDI-file player's).
//
// Commands: "open new type waveaudio alias capture", "close capture", "close all",
// "seek capture to start", "set capture alignment A bitspersample B samplespersec R channels C
// bytespersec Y" (any of the five, in any order; refused unless 8 or 16 bits, 1 or 2 channels,
// 1000 to 192000 Hz and a consistent alignment and byte rate), "set capture time format ms" or
// "bytes", "record capture", "stop capture" (recording and playback alike), "play capture from N",
// "status capture mode|position|length|channels|bitspersample|samplespersec|fault", and
// "save capture PATH" (the rest of the line, blanks and all, written as a canonical WAV file
// through the atomic writer: the old file stays unless the new one is complete).
// A recording whose storage fails (see WaveAudioBackend::recordingFault) is stopped by the next
// command, keeping what was recorded; "status capture fault" then says why, until the next
// recording or wave: "diskfull", "sizelimit", "writefailed", else "none".
// A new wave is 8-bit mono at 11025 Hz, in milliseconds. UI thread only; never throws.
class MciCommandInterpreter : public MciSender
{
public:
    MciCommandInterpreter(std::unique_ptr<WaveAudioBackend> backend, FileStore& files);
    ~MciCommandInterpreter() override;

    int mciSendString(const QString& command, QString* reply) override;

    // A control that "close all" closes too; remove it before it goes.
    void addOtherDevice(MultimediaControl* control);
    void removeOtherDevice(MultimediaControl* control);

    WaveAudioBackend& backend() { return *m_backend; }

private:
    enum class Mode { Stopped, Recording, Playing };

    int open(const QStringList& words);
    int set(const QStringList& words);
    int status(const QString& what, QString* reply);
    int play(const QStringList& words);
    int save(const QString& path);
    void stop();
    void closeCapture();
    void refreshMode();
    std::int64_t lengthBytes() const;
    std::int64_t toUnits(std::int64_t bytes) const;

    std::unique_ptr<WaveAudioBackend> m_backend;
    FileStore& m_files;
    std::vector<MultimediaControl*> m_others;

    bool m_open = false;
    CaptureFormat m_format { 11025, 1, 8 };
    bool m_milliseconds = true;
    Mode m_mode = Mode::Stopped;
    std::int64_t m_position = 0; // bytes
    std::int64_t m_playFrom = 0; // bytes
};
