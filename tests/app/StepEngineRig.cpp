#include "StepEngineRig.h"

#include "../platform/WavBytes.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <algorithm>

#include <QFile>

#include <gtest/gtest.h>

class VirtualTimeline::FakeWake : public WakeTimer
{
public:
    explicit FakeWake(VirtualTimeline& timeline)
        : m_timeline(timeline)
    {}

    ~FakeWake() override { m_timeline.disarm(this); }

    void wakeAfter(int ms) override { m_timeline.arm(this, ms); }

    void cancel() override { m_timeline.disarm(this); }

private:
    VirtualTimeline& m_timeline;
};

VirtualTimeline::VirtualTimeline(OfflineAudioDevice& device)
    : m_device(device)
{
    renderThrough(0);
}

VirtualTimeline::~VirtualTimeline() = default;

WakeTimerFactory VirtualTimeline::factory()
{
    return [this] {
        return std::make_unique<FakeWake>(*this);
    };
}

void VirtualTimeline::arm(FakeWake* timer, int ms)
{
    disarm(timer);
    const std::int64_t deadline =
        m_wall + (std::int64_t { ms } * AudioEngine::kSampleRate + 999) / 1000;
    m_armed.push_back({ timer, deadline, m_order++ });
}

void VirtualTimeline::disarm(FakeWake* timer)
{
    std::erase_if(m_armed, [timer](const Armed& armed) {
        return armed.timer == timer;
    });
}

void VirtualTimeline::renderThrough(std::int64_t sample)
{
    while (m_device.renderedFrames() <= sample)
        m_device.renderFrames(m_device.blockFrames());
}

void VirtualTimeline::advanceTo(std::int64_t sample)
{
    // A wake-up that keeps asking for 0 ms would never let the clock move: a fault to report.
    for (int fired = 0; fired < 1'000'000; ++fired) {
        const auto next =
            std::min_element(m_armed.begin(), m_armed.end(), [](const Armed& a, const Armed& b) {
                return a.deadline != b.deadline ? a.deadline < b.deadline : a.order < b.order;
            });
        if (next == m_armed.end() || next->deadline > sample)
            break;
        FakeWake* timer = next->timer;
        m_wall = std::max(m_wall, next->deadline);
        m_armed.erase(next);
        renderThrough(m_wall);
        if (timer->onWake)
            timer->onWake();
    }
    m_wall = std::max(m_wall, sample);
    renderThrough(m_wall);
}

FakeBeatLights::FakeBeatLights(const AudioEngine& engine)
    : m_engine(engine)
{}

void FakeBeatLights::setImage5Visible(bool visible)
{
    m_image5 = visible;
    changed();
}

void FakeBeatLights::setImzVisible(bool visible)
{
    m_imz = visible;
    changed();
}

void FakeBeatLights::setImage4Visible(bool visible)
{
    m_image4 = visible;
    changed();
}

void FakeBeatLights::changed()
{
    m_changedAt.push_back(m_engine.soundingSample());
}

QString FakeBeatLights::state() const
{
    return QString(m_image5 ? u'A' : u'-') + (m_imz ? u'z' : u'-') + (m_image4 ? u'4' : u'-');
}

float clipLevel(int id)
{
    return static_cast<float>(id - 100) * 1000.0f / 32768.0f;
}

void writeTestClips(const QString& folder, int frames)
{
    for (int i = 0; i < ClickSounds::kClipCount; ++i) {
        const int id = ClickSounds::kFirstClipId + i;
        wavbytes::Bytes data;
        for (int f = 0; f < frames; ++f)
            wavbytes::put16(data, static_cast<std::uint16_t>((id - 100) * 1000));
        const auto bytes =
            wavbytes::riff({ wavbytes::chunk("fmt ", wavbytes::formatBody(1, 1, 44100, 16)),
                wavbytes::chunk("data", data) });
        QFile file(folder + u'/' + QString::fromLatin1(ClickSounds::clipNames()[i]) + ".wav");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
}

StepEngineRig::StepEngineRig(std::int64_t latencyFrames)
{
    if (latencyFrames != 0) {
        fake.platform.audio = std::make_unique<AudioEngine>(std::make_unique<OfflineAudioDevice>(
            OfflineAudioDevice::kDefaultBlockFrames, latencyFrames));
    }
    writeTestClips(clipFolder.path());
    sounds = std::make_unique<ClickSounds>(fake.platform, clipFolder.path());
    sounds->LoadClickSoundIds();
    lights = std::make_unique<FakeBeatLights>(engine());
    timeline = std::make_unique<VirtualTimeline>(device());
    flam = std::make_unique<frmFlam>(fake.platform, *lights, *sounds, timeline->factory());
}

StepEngineRig::~StepEngineRig()
{
    flam.reset();
}

OfflineAudioDevice& StepEngineRig::device()
{
    return static_cast<OfflineAudioDevice&>(engine().device());
}

std::vector<StepEngineRig::Start> StepEngineRig::takeStarts()
{
    std::vector<Start> starts;
    for (const auto& start : engine().takeClipStarts()) {
        int id = 0;
        for (int candidate = ClickSounds::kFirstClipId;
             candidate < ClickSounds::kFirstClipId + ClickSounds::kClipCount; ++candidate) {
            if (sounds->clip(candidate).get() == start.clip)
                id = candidate;
        }
        starts.push_back({ id, start.sample });
    }
    return starts;
}
