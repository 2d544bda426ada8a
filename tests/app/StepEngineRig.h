#pragma once

// What the step engine's tests share: wake-ups fired on a virtual clock that the offline audio
// device's rendering follows, beat lights that record when they change, and a folder of test
// clips, each a short burst of its own level.

#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "app/WakeTimer.h"
#include "app/frmFlam.h"
#include "platform/FakePlatform.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include <QString>
#include <QTemporaryDir>

class OfflineAudioDevice;

// A virtual wall clock in samples. The device renders whole blocks as far as the wall clock has
// come (one block ahead, as a real device renders before it plays), and each wake-up runs when
// the wall clock reaches the milliseconds it asked for.
class VirtualTimeline
{
public:
    explicit VirtualTimeline(OfflineAudioDevice& device);
    ~VirtualTimeline();

    WakeTimerFactory factory();

    void advanceTo(std::int64_t sample);

    std::int64_t wall() const { return m_wall; }

private:
    class FakeWake;

    struct Armed
    {
        FakeWake* timer;
        std::int64_t deadline;
        std::uint64_t order;
    };

    void arm(FakeWake* timer, int ms);
    void disarm(FakeWake* timer);
    void renderThrough(std::int64_t sample);

    OfflineAudioDevice& m_device;
    std::int64_t m_wall = 0;
    std::uint64_t m_order = 0;
    std::vector<Armed> m_armed;
};

class FakeBeatLights : public BeatLights
{
public:
    explicit FakeBeatLights(const AudioEngine& engine);

    void setImage5Visible(bool visible) override;
    void setImzVisible(bool visible) override;
    void setImage4Visible(bool visible) override;

    bool imzVisible() const override { return m_imz; }

    // "A" for the accent light, "z" for imz, "4" for Image4, "-" for each one out: "-z-".
    QString state() const;

    // The sounding sample at every change of a light, in order.
    const std::vector<std::int64_t>& changedAt() const { return m_changedAt; }

private:
    void changed();

    const AudioEngine& m_engine;
    bool m_image5 = true; // the accent light at rest, as the main window leaves it
    bool m_imz = false;
    bool m_image4 = false;
    std::vector<std::int64_t> m_changedAt;
};

// Writes NAME.wav for all 24 clips into `folder`: `frames` frames of 16-bit mono at 44100 Hz,
// all at the level clipLevel(id).
void writeTestClips(const QString& folder, int frames = 220);
float clipLevel(int id);

// The engine form on the fake platform with test clips, default click choices and virtual time.
struct StepEngineRig
{
    explicit StepEngineRig(std::int64_t latencyFrames = 0);
    ~StepEngineRig();

    AudioEngine& engine() { return *fake.platform.audio; }

    OfflineAudioDevice& device();

    // The clips that started since the last call, as (clip id, sample).
    struct Start
    {
        int id;
        std::int64_t sample;
        friend bool operator==(const Start&, const Start&) = default;

        friend void PrintTo(const Start& start, std::ostream* out)
        {
            *out << start.id << "@" << start.sample;
        }
    };

    std::vector<Start> takeStarts();

    FakePlatform fake;
    QTemporaryDir clipFolder;
    std::unique_ptr<ClickSounds> sounds;
    std::unique_ptr<FakeBeatLights> lights;
    std::unique_ptr<VirtualTimeline> timeline;
    std::unique_ptr<frmFlam> flam;
};
