#pragma once

#include "platform/Platform.h"

#include <QTemporaryDir>

class FakeMessageBoxService;
class FakeFileStore;
class FakeInstanceGuard;
class OfflineAudioDevice;
class FakeMixerService;
class FakeMediaEngine;
class FakeMidiOut;
class FakeMidiFiles;

// A platform for tests: the program folder, the per-user data folder ("user-data" inside the
// program folder, made on demand), the take folder ("cache/kadentor", which nothing records into
// unless a test sets a real waveaudio backend) and the settings file in a temporary folder that
// goes away with it, boxes answered from a script, and every device a recording fake.
struct FakePlatform
{
    FakePlatform();
    ~FakePlatform();

    QTemporaryDir dir;
    Platform platform;

    // Typed views of the fakes inside `platform`.
    FakeMessageBoxService& boxes();
    // Writes into the temporary folder for real and records each write.
    FakeFileStore& files();
    FakeInstanceGuard& instance();
    // The engine's device: renders on demand, on a virtual clock, in the blocks the sound device
    // asks for, and keeps what it rendered.
    OfflineAudioDevice& audioDevice();
    FakeMixerService& mixer();
    FakeMediaEngine& media();
    // MIDI output devices that record what reaches them, and MIDI-file players with scripted
    // files.
    FakeMidiOut& midiOut();
    FakeMidiFiles& midiFiles();
};
