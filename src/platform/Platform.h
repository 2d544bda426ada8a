#pragma once

#include <memory>

#include <QString>

class AudioEngine;
class MessageBoxService;
class SettingsStore;
class FileStore;
class InstanceGuard;
class MixerService;
class MediaEngine;
class MidiOut;
class MidiFiles;
class MciCommandInterpreter;
class HtmlHelp;

// Every operating-system service the program reaches, in one object: built once in main by
// makeRealPlatform(), or from fakes by FakePlatform in tests, and handed to each window.
// The program never calls the services' libraries any other way.
struct Platform
{
    Platform();
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The folder of the executable: data files beside it (pattern file, reference notes).
    QString programFolder;
    // The executable's name without extension, as messages show it.
    QString programName;
    // $XDG_DATA_HOME/kadentor: takes the data files the program would keep beside itself when
    // its own folder is not writable (an installed copy).
    QString userDataFolder;
    // $XDG_CACHE_HOME/kadentor: where the recorder keeps a take while it is recorded, and where a
    // take that a crash left behind is found at the next start.
    QString takeFolder;

    // Where to read a data file (`Pattern.dat`, `test.wav`): the per-user copy when there is one,
    // else the one in the program folder.
    QString dataFileToRead(const QString& name) const;
    // Where to write one: the per-user copy when there is one (so that what is written is what
    // is read next), else the program folder when it is writable, else the per-user data folder,
    // which is created here when missing.
    QString dataFileToWrite(const QString& name) const;

    // Declared before the other services so that it is destroyed after them: every service and
    // window that places sounds on it or registers a source with it is gone before it stops.
    std::unique_ptr<AudioEngine> audio;
    std::unique_ptr<MessageBoxService> boxes;
    // Every file the program writes goes through it. Declared before the settings, which keep it.
    std::unique_ptr<FileStore> files;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<InstanceGuard> instance;
    // The system's master volume.
    std::unique_ptr<MixerService> mixer;
    // Audio and video files for the media player class.
    std::unique_ptr<MediaEngine> media;
    // MIDI output devices (device 0 the built-in synthesizer) and MIDI-file players; both mix
    // into `audio`.
    std::unique_ptr<MidiOut> midiOut;
    std::unique_ptr<MidiFiles> midiFiles;
    // The help viewer (a window of the program's own, in tests too).
    std::unique_ptr<HtmlHelp> help;
    // The MCI command strings: the recorder's waveaudio device, recording through `audio` and
    // saving through `files`.
    std::unique_ptr<MciCommandInterpreter> mci;
};

// The real services. Needs a QApplication.
std::unique_ptr<Platform> makeRealPlatform();
