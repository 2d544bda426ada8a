#include "app/ClickSounds.h"

#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/WavFilePlayer.h"
#include "platform/audio/WavReader.h"
#include "platform/basic/Conversions.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"

namespace {

// The sound flags as callers pass them; only the asynchronous bit changes what happens here.
constexpr std::int32_t kSndAsync = 0x1;
constexpr std::int32_t kSndNoDefault = 0x2;

const QString kResType = QStringLiteral("RESTYPE");

} // namespace

const std::array<const char*, ClickSounds::kClipCount>& ClickSounds::clipNames()
{
    static const std::array<const char*, kClipCount> names { "ACCENT1", "ACCENT2", "BONGO",
        "COWBALL1", "COWBALL2", "GLASS", "HANDCLAP1", "HANDCLAP2", "HANDCLAP3", "HANDCLAP4",
        "HATTITE", "HIHAT1", "HIHAT2", "HIHAT3", "KICK", "PAUSE", "SIDE", "SNAP", "SNARE1",
        "SNARE2", "SNARE3", "SOFTTAMB", "STICKS", "TAMBOURIN" };
    return names;
}

ClickSounds::ClickSounds(Platform& platform, QString clipFolder)
    : m_platform(platform)
    , m_clipFolder(std::move(clipFolder))
{
    m_platform.audio->addSource(&m_steps);
}

ClickSounds::~ClickSounds()
{
    m_platform.audio->removeSource(&m_steps);
}

const std::array<ClickSounds::SoundChoice, 4>& ClickSounds::soundChoices()
{
    static const std::array<SoundChoice, 4> choices { {
        { StoredValues::Zv1, &ClickSounds::FirstBeatSound },
        { StoredValues::Zv2, &ClickSounds::UpBeatSound },
        { StoredValues::Zv3, &ClickSounds::DownBeatSound },
        { StoredValues::Zv4, &ClickSounds::AccentBeatSound },
    } };
    return choices;
}

void ClickSounds::LoadClickSoundIds()
{
    // Each value on its own: one that is not a number must not leave the others unloaded.
    for (const SoundChoice& choice : soundChoices())
        this->*choice.variable = m_platform.settings->numberOrDefault(choice.value);
}

std::shared_ptr<const AudioClip> ClickSounds::clip(int id)
{
    const int index = id - kFirstClipId;
    if (index < 0 || index >= kClipCount || m_clipFailed[index])
        return nullptr;
    if (!m_clips[index]) {
        const auto read = WavReader::readFile(
            m_clipFolder + u'/' + QString::fromLatin1(clipNames()[index]) + QStringLiteral(".wav"));
        // A clip that cannot be read stays silent for the rest of the run instead of being
        // read again at every step.
        m_clipFailed[index] = !read;
        m_clips[index] = read.clip;
    }
    return m_clips[index];
}

void ClickSounds::PlayResWav(
    std::optional<double> Id, const QString& ResType, std::optional<std::int64_t> at)
{
    if (ResType != kResType)
        return;
    const AudioClip* sound = clipOf(Id);
    if (!sound)
        return;
    AudioEngine& engine = *m_platform.audio;
    engine.playClip(clip(*CInt(*Id)), at.value_or(engine.now()));
}

const AudioClip* ClickSounds::clipOf(std::optional<double> Id)
{
    const auto id = Id ? CInt(*Id) : std::nullopt;
    return id ? clip(*id).get() : nullptr;
}

void ClickSounds::StopSound()
{
    m_platform.audio->purge();
    m_steps.purge();
}

bool ClickSounds::PlayWavFile(
    const QString& FileName, bool Async, std::int32_t Flags1, std::int32_t Flags2)
{
    const std::int32_t flags =
        (Async ? kSndAsync | kSndNoDefault : kSndNoDefault) | Flags1 | Flags2;
    WavFilePlayer player(*m_platform.audio);
    if (flags & kSndAsync)
        return player.play(FileName);
    return player.playAndWait(FileName);
}
