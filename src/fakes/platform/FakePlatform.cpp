#include "platform/FakePlatform.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/media/FakeMediaEngine.h"
#include "platform/midi/FakeMidiFiles.h"
#include "platform/midi/FakeMidiOut.h"
#include "platform/mixer/FakeMixerService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/FakeInstanceGuard.h"
#include "platform/shell/HtmlHelp.h"

FakePlatform::FakePlatform()
{
    platform.programFolder = dir.path();
    platform.programName = QStringLiteral("kadentor");
    platform.userDataFolder = dir.path() + QStringLiteral("/user-data");
    platform.takeFolder = dir.path() + QStringLiteral("/cache/kadentor");
    platform.audio = std::make_unique<AudioEngine>(
        std::make_unique<OfflineAudioDevice>(SdlAudioDevice::kRequestedBlockFrames));
    platform.boxes = std::make_unique<FakeMessageBoxService>();
    platform.files = std::make_unique<FakeFileStore>();
    platform.settings = std::make_unique<SettingsStore>(
        dir.path() + QStringLiteral("/settings.reg"), *platform.files);
    platform.settings->tellWriteFailuresThrough(*platform.boxes);
    platform.instance = std::make_unique<FakeInstanceGuard>();
    platform.mixer = std::make_unique<FakeMixerService>();
    platform.media = std::make_unique<FakeMediaEngine>();
    platform.midiOut = std::make_unique<FakeMidiOut>();
    platform.midiFiles = std::make_unique<FakeMidiFiles>();
    platform.mci =
        std::make_unique<MciCommandInterpreter>(std::make_unique<FakeWaveAudio>(), *platform.files);
    platform.help = std::make_unique<HtmlHelp>();
}

FakePlatform::~FakePlatform() = default;

FakeMessageBoxService& FakePlatform::boxes()
{
    return static_cast<FakeMessageBoxService&>(*platform.boxes);
}

FakeFileStore& FakePlatform::files()
{
    return static_cast<FakeFileStore&>(*platform.files);
}

FakeInstanceGuard& FakePlatform::instance()
{
    return static_cast<FakeInstanceGuard&>(*platform.instance);
}

OfflineAudioDevice& FakePlatform::audioDevice()
{
    return static_cast<OfflineAudioDevice&>(platform.audio->device());
}

FakeMixerService& FakePlatform::mixer()
{
    return static_cast<FakeMixerService&>(*platform.mixer);
}

FakeMediaEngine& FakePlatform::media()
{
    return static_cast<FakeMediaEngine&>(*platform.media);
}

FakeMidiOut& FakePlatform::midiOut()
{
    return static_cast<FakeMidiOut&>(*platform.midiOut);
}

FakeMidiFiles& FakePlatform::midiFiles()
{
    return static_cast<FakeMidiFiles&>(*platform.midiFiles);
}
