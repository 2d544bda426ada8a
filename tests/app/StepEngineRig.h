#pragma once

// The step engine on the fake platform: wake-ups fired on a virtual clock that the offline audio
// device's rendering follows, beat lights that record when they change, and a folder of test
// clips, each a short burst of its own level.

#include "FileBytes.h"
#include "WavBytes.h"
#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "app/frmFlam.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeWakeClock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A virtual wall clock in samples. The device renders whole blocks as far as the wall clock has
// come (one block ahead, as a real device renders before it plays), its clock follows the wall
// clock (so the sample leaving the speakers moves on between blocks, as on a real output), and
// each wake-up runs when the wall clock reaches the milliseconds it asked for.
class VirtualTimeline
{
public:
    explicit VirtualTimeline(OfflineAudioDevice& device)
        : m_device(device)
    {
        m_wall.beforeWake = [this](std::int64_t sample) {
            ++m_wakes;
            renderThrough(sample);
        };
        m_device.setWallClock(m_wall.reader());
        renderThrough(0);
    }

    ~VirtualTimeline() { m_device.setWallClock({}); }

    VirtualTimeline(const VirtualTimeline&) = delete;
    VirtualTimeline& operator=(const VirtualTimeline&) = delete;

    WakeTimerFactory factory() { return m_wall.factory(); }

    // The wake-ups run so far.
    int wakes() const { return m_wakes; }

    void advanceTo(std::int64_t sample)
    {
        // A wake-up that keeps asking for 0 ms would never let the clock move: a fault to report.
        EXPECT_TRUE(m_wall.advanceTo(sample)) << "wake-ups of 0 ms without end";
        renderThrough(m_wall.now());
    }

private:
    void renderThrough(std::int64_t sample)
    {
        while (m_device.renderedFrames() <= sample)
            m_device.renderFrames(m_device.blockFrames());
    }

    OfflineAudioDevice& m_device;
    FakeWakeClock m_wall;
    int m_wakes = 0;
};

class FakeBeatLights : public BeatLights
{
public:
    explicit FakeBeatLights(const AudioEngine& engine)
        : m_engine(engine)
    {}

    void setImage5Visible(bool visible) override { changed(m_image5, visible); }

    void setImzVisible(bool visible) override { changed(m_imz, visible); }

    void setImage4Visible(bool visible) override { changed(m_image4, visible); }

    bool imzVisible() const override { return m_imz; }

    // "A" for the accent light, "z" for imz, "4" for Image4, "-" for each one out: "-z-".
    std::string state() const
    {
        return { m_image5 ? 'A' : '-', m_imz ? 'z' : '-', m_image4 ? '4' : '-' };
    }

    // The sounding sample at every change of a light, in order, and the state after it.
    std::vector<std::int64_t> changedAt;
    std::vector<std::string> statesAfter;

private:
    void changed(bool& light, bool visible)
    {
        light = visible;
        changedAt.push_back(m_engine.soundingSample());
        statesAfter.push_back(state());
    }

    const AudioEngine& m_engine;
    bool m_image5 = true; // the accent light at rest, as the main window leaves it
    bool m_imz = false;
    bool m_image4 = false;
};

// All 24 clips as NAME.wav in `folder`: `frames` frames of 16-bit mono at 44100 Hz, each at the
// level clipLevel(id).
inline float clipLevel(int id)
{
    return static_cast<float>(id - 100) * 1000.0f / 32768.0f;
}

inline void writeTestClips(const QString& folder, int frames = 220)
{
    for (int i = 0; i < ClickSounds::kClipCount; ++i) {
        const int id = ClickSounds::kFirstClipId + i;
        wavbytes::Bytes data;
        for (int f = 0; f < frames; ++f)
            wavbytes::put16(data, static_cast<std::uint16_t>((id - 100) * 1000));
        const auto bytes = wavbytes::wavFile(1, 44100, 16, data);
        ASSERT_TRUE(writeFileBytes(
            folder + u'/' + QString::fromLatin1(ClickSounds::clipNames()[i]) + ".wav", bytes));
    }
}

// The engine form with the test clips (`clipFrames` long), default click choices and virtual
// time.
struct StepEngineRig
{
    explicit StepEngineRig(std::int64_t latencyFrames = 0, int clipFrames = 220)
    {
        if (latencyFrames != 0) {
            fake.platform.audio =
                std::make_unique<AudioEngine>(std::make_unique<OfflineAudioDevice>(
                    OfflineAudioDevice::kDefaultBlockFrames, latencyFrames));
        }
        writeTestClips(clipFolder.path(), clipFrames);
        auto clips = std::make_unique<ClickSounds>(fake.platform, clipFolder.path());
        sounds = clips.get();
        sounds->LoadClickSoundIds();
        lights = std::make_unique<FakeBeatLights>(engine());
        timeline = std::make_unique<VirtualTimeline>(device());
        flam = std::make_unique<frmFlam>(fake.platform, std::move(clips), timeline->factory());
        flam->setLights(lights.get());
    }

    AudioEngine& engine() { return *fake.platform.audio; }

    // Starts a player as the main window does (the rate, the pattern from its first letter, the
    // timer) and returns the audio clock's now() at the switch.
    std::int64_t start(StepWalker::Player player, const char* rate, const QString& pattern)
    {
        flam->setLabel3(QString::fromLatin1(rate));
        const std::int64_t at = engine().now();
        if (player == StepWalker::Player::Pattern) {
            flam->setTxtRit(pattern);
            flam->setTxtBB(QStringLiteral("1"));
            flam->Flamenko(pattern);
        } else {
            flam->SvirajNormal(pattern);
            flam->Timer2.setEnabled(true);
        }
        return at;
    }

    OfflineAudioDevice& device() { return static_cast<OfflineAudioDevice&>(engine().device()); }

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

    // The clips heard since the last call, as (clip id, sample), found in the rendered sound:
    // each test clip is a burst of its own level after silence.
    std::vector<Start> takeStarts()
    {
        std::vector<Start> starts;
        const std::vector<float> heard = device().takeCaptured();
        for (std::size_t i = 0; i < heard.size(); i += 2) {
            const float level = heard[i];
            if (level != 0.0f && m_lastLevel == 0.0f) {
                const int id = 100 + static_cast<int>(std::lround(level * 32768.0f / 1000.0f));
                starts.push_back({ id, m_heardFrames + static_cast<std::int64_t>(i / 2) });
            }
            m_lastLevel = level;
        }
        m_heardFrames += static_cast<std::int64_t>(heard.size() / 2);
        return starts;
    }

    FakePlatform fake;
    QTemporaryDir clipFolder;
    ClickSounds* sounds = nullptr; // the engine form's
    std::unique_ptr<FakeBeatLights> lights;
    std::unique_ptr<VirtualTimeline> timeline;
    std::unique_ptr<frmFlam> flam;

private:
    std::int64_t m_heardFrames = 0;
    float m_lastLevel = 0.0f;
};
