#include "platform/Platform.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFilePlayer.h"
#include "platform/mixer/AlsaMixerService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/InstanceGuard.h"

#include <QCoreApplication>
#include <QFileInfo>

Platform::Platform() = default;

Platform::~Platform() = default;

std::unique_ptr<Platform> makeRealPlatform()
{
    auto platform = std::make_unique<Platform>();
    platform->programFolder = QCoreApplication::applicationDirPath();
    platform->programName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    platform->audio = std::make_unique<AudioEngine>(std::make_unique<SdlAudioDevice>());
    platform->boxes = std::make_unique<QtMessageBoxService>();
    platform->settings = std::make_unique<SettingsStore>(SettingsStore::defaultFilePath());
    platform->instance =
        std::make_unique<LockFileInstanceGuard>(LockFileInstanceGuard::defaultLockPath());
    platform->mixer = std::make_unique<AlsaMixerService>();
    platform->media = std::make_unique<MpvMediaEngine>();
    const SoundFontSource fonts = sharedSoundFont();
    platform->midiOut = makeMidiOut(*platform->audio, fonts);
    platform->midiFiles = std::make_unique<SynthMidiFiles>(*platform->audio, fonts);
    return platform;
}
