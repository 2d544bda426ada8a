#pragma once

#include "app/StepWalker.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>

struct AudioClip;
struct StoredValue;
struct Platform;

// The metronome's click sounds: the table of the 24 built-in clips, the four clip choices for
// the pattern letters, the program's three sound procedures, and the step engine's audio side,
// which plays the steps' clips on a clip voice of its own (each clip cuts off the one sounding).
// UI thread only.
class ClickSounds
{
public:
    static constexpr int kFirstClipId = 101;
    static constexpr int kClipCount = 24;
    // The near-silent clip of the letter "P", which cuts off the click still sounding.
    static constexpr int kPauseClipId = 116;

    // The clips' names in id order (101 first): the click-sound dialog lists them so.
    static const std::array<const char*, kClipCount>& clipNames();

    // `clipFolder` holds NAME.wav for every clip: the built-in resources, or a folder of test
    // clips.
    explicit ClickSounds(Platform& platform, QString clipFolder = QStringLiteral(":/clips"));
    ~ClickSounds();

    // The clip ids chosen for the letters "F", "U", "D" and "A"; empty until loaded. The
    // click-sound dialog writes them; the step engine reads them at every step.
    std::optional<double> FirstBeatSound;
    std::optional<double> UpBeatSound;
    std::optional<double> DownBeatSound;
    std::optional<double> AccentBeatSound;

    // One letter's clip choice: the settings value it is stored as, its default clip and the
    // member that holds it.
    struct SoundChoice
    {
        const StoredValue& value;
        std::optional<double> ClickSounds::*variable;
    };

    // The choices of the letters "F", "U", "D" and "A", in that order; the click-sound dialog
    // shows and stores them by this table.
    static const std::array<SoundChoice, 4>& soundChoices();

    // Whoever turns letters into clips for the step engine (the engine form) listens here; the
    // click-sound dialog calls choicesChanged() after it changed the four choices, so that a
    // running pattern sounds the new clips from its next step on.
    void setChoicesListener(std::function<void()> listener)
    {
        m_choicesListener = std::move(listener);
    }

    void choicesChanged() const
    {
        if (m_choicesListener)
            m_choicesListener();
    }

    // Reads `Zv1`..`Zv4` (section "Gitara") into the four choices. A stored value that is not a
    // number gives that letter its default (103, 106, 118, 101) and leaves the others alone.
    void LoadClickSoundIds();

    // Places clip `Id` of type "RESTYPE" to start at sample `at` of the audio clock (nullopt: at
    // once). An id that names no clip, another type or a clip that cannot be read plays nothing
    // and reports nothing.
    void PlayResWav(
        std::optional<double> Id, const QString& ResType, std::optional<std::int64_t> at = {});

    // Stops every clip and file sound: the one sounding and those placed ahead. The step engine's
    // timers tick on.
    void StopSound();

    // Plays a WAV file at once. Async returns as soon as it is placed; otherwise the call waits
    // until the file has played (or, should the clock stall, until its length has passed). True
    // when the file was read and placed. Flags1 and Flags2 are the caller's extra sound flags;
    // the file name is always a file's path.
    bool PlayWavFile(const QString& FileName, bool Async, std::int32_t Flags1, std::int32_t Flags2);

    // The decoded clip of an id 101..124, read once and kept; null when it cannot be read.
    std::shared_ptr<const AudioClip> clip(int id);
    // The clip of a click choice as PlayResWav finds it; null where it plays nothing. Kept as
    // long as this object.
    const AudioClip* clipOf(std::optional<double> Id);

    // Where the step engine's players walk their patterns; mixed into the audio engine while
    // this object lives.
    StepWalker& steps() { return m_steps; }

private:
    Platform& m_platform;
    QString m_clipFolder;
    std::array<std::shared_ptr<const AudioClip>, kClipCount> m_clips;
    std::array<bool, kClipCount> m_clipFailed {};
    std::function<void()> m_choicesListener;
    // Declared after the clips, which it plays: gone (and off the engine) before them.
    StepWalker m_steps;
};
