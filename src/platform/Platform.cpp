#include "platform/Platform.h"

#include "platform/audio/AudioDevice.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OutputDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"
#include "platform/audio/SdlCaptureDevice.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/files/FileStore.h"
#include "platform/files/UserFolders.h"
#include "platform/mci/EngineWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/media/MpvMediaEngine.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFilePlayer.h"
#include "platform/mixer/AlsaMixerService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/HtmlHelp.h"
#include "platform/shell/InstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

Platform::Platform() = default;

Platform::~Platform() = default;

QString Platform::dataFileToRead(const QString& name) const
{
    const QString own = userDataFolder + u'/' + name;
    if (!userDataFolder.isEmpty() && QFileInfo::exists(own))
        return own;
    return programFolder + u'/' + name;
}

QString Platform::dataFileToWrite(const QString& name) const
{
    const QString own = userDataFolder + u'/' + name;
    if (!userDataFolder.isEmpty() && QFileInfo::exists(own))
        return own;
    const QFileInfo folder(programFolder);
    if (userDataFolder.isEmpty() || (folder.isDir() && folder.isWritable()))
        return programFolder + u'/' + name;
    // A folder that cannot be made shows as a failed write of the file itself.
    QDir().mkpath(userDataFolder);
    return own;
}

std::unique_ptr<Platform> makeRealPlatform()
{
    auto platform = std::make_unique<Platform>();
    platform->programFolder = QCoreApplication::applicationDirPath();
    platform->programName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    // The output and the capture run on one SDL audio driver: neither may end it under the other.
    const auto sdlAudio = std::make_shared<SdlAudioSubsystem>();
    platform->audio = std::make_unique<AudioEngine>(makeOutputDevice(sdlAudio));
    platform->audio->setCaptureDevice(std::make_unique<SdlCaptureDevice>(sdlAudio));
    platform->userDataFolder = xdgDataHome() + QStringLiteral("/kadentor");
    platform->boxes = std::make_unique<QtMessageBoxService>();
    platform->files = std::make_unique<DiskFileStore>();
    platform->settings =
        std::make_unique<SettingsStore>(SettingsStore::defaultFilePath(), *platform->files);
    platform->settings->tellWriteFailuresThrough(*platform->boxes);
    platform->instance =
        std::make_unique<LockFileInstanceGuard>(LockFileInstanceGuard::defaultLockPath());
    platform->mixer = std::make_unique<AlsaMixerService>();
    platform->media = std::make_unique<MpvMediaEngine>();
    platform->help = std::make_unique<HtmlHelp>();
    // The piano's first opening and first note never wait for the SoundFont's load.
    const SoundFontLoad load = loadSoundFontInBackground();
    platform->midiOut = makeMidiOut(*platform->audio, load.fonts, load.loaded);
    platform->midiFiles = std::make_unique<SynthMidiFiles>(*platform->audio, load.fonts);
    // A take is kept on disk while it is recorded, in the user's cache folder.
    platform->takeFolder = xdgCacheHome() + QStringLiteral("/kadentor");
    platform->mci = std::make_unique<MciCommandInterpreter>(
        std::make_unique<EngineWaveAudio>(*platform->audio, platform->takeFolder),
        *platform->files);
    return platform;
}
