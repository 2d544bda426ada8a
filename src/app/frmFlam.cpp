#include "app/frmFlam.h"

#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "app/PatternFile.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/Conversions.h"

#include <algorithm>
#include <cmath>

namespace {

// A light changes once its click is due within this many samples of leaving the speakers: a
// millisecond, well inside a display frame, so that a wake-up a hair early needs no second one.
constexpr std::int64_t kLightEarlySamples = 44;
// While a command that may bring the metronome player's next step nearer is on its way to the
// audio side, the lights look for that step this often: well inside a display frame.
constexpr std::int64_t kLightPollSamples = 353; // 8 ms
// Displays that report no usable refresh rate are taken to show 60 frames a second.
constexpr double kDefaultRefreshRate = 60;
// What a wake-up may come after its time: its rounding up to whole milliseconds and the timer's
// own lateness. The lights change at most once in a display frame less this, so that a light held
// back to the next change still shows within one frame of its click.
constexpr std::int64_t kLightWakeSlackSamples = 88; // 2 ms

} // namespace

frmFlam::frmFlam(Platform& platform,
    std::unique_ptr<ClickSounds> sounds,
    const WakeTimerFactory& timers,
    QObject* parent)
    : QObject(parent)
    , Timer1([this](bool enabled) {
        m_sounds->steps().setEnabled(StepWalker::Player::Pattern, enabled, m_platform.audio->now());
    })
    , Timer2([this](bool enabled) {
        metronomeSwitched(enabled);
    })
    , m_platform(platform)
    , m_sounds(std::move(sounds))
    , m_lightWake(timers())
{
    m_lightWake->onWake = [this] {
        showDueLights();
    };
    m_sounds->setChoicesListener([this] {
        handOverClips();
    });
}

frmFlam::~frmFlam()
{
    m_sounds->setChoicesListener({});
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    Timer3.setEnabled(false);
}

void frmFlam::setLabel3(const QString& caption)
{
    if (caption == m_Label3)
        return;
    m_Label3 = caption;
    Label3_Change();
}

void frmFlam::setTxtRit(const QString& text)
{
    if (text == m_txtRit)
        return;
    m_txtRit = text;
    txtRit_Change();
}

void frmFlam::setTxtBB(const QString& text)
{
    if (text == m_txtBB)
        return;
    m_txtBB = text;
    // The clamp's own write must not clamp again: with an empty pattern the two bounds
    // contradict each other and the writes would never end.
    if (!m_clampingTxtBB)
        txtBB_Change();
}

void frmFlam::setLights(BeatLights* lights, double refreshRate)
{
    m_lights = lights;
    if (!(refreshRate >= 20 && refreshRate <= 1000))
        refreshRate = kDefaultRefreshRate;
    m_lightChangeGapSamples =
        std::llround(AudioEngine::kSampleRate / refreshRate) - kLightWakeSlackSamples;
}

void frmFlam::Label3_Change()
{
    const auto interval = ExactInterval::forRateText(m_Label3);
    if (!interval)
        return;
    StepInterval = interval;
    m_sounds->steps().setInterval(*interval);
    // A run still waiting for its first step may now get it sooner than the lights expect.
    if (Timer2.isEnabled())
        showDueLights();
}

void frmFlam::txtRit_Change()
{
    Timer1.setEnabled(false);
}

void frmFlam::txtBB_Change()
{
    const QString clamped = clampedPatternStart(m_txtBB, m_txtRit.size());
    m_clampingTxtBB = true;
    setTxtBB(clamped);
    m_clampingTxtBB = false;
}

void frmFlam::Flamenko(const QString& Pattern)
{
    StepPattern = Pattern;
    // txtBB is a number after any change; before the first one there is no start to honour.
    StepPosition = CInt(m_txtBB).value_or(1);
    handOver();
    Timer1.setEnabled(true);
}

void frmFlam::SvirajNormal(const QString& Pattern)
{
    StepPattern = Pattern;
    StepPosition = 1;
    handOver();
}

std::unique_ptr<StepWalker::Pattern> frmFlam::stepsOf(const QString& Pattern)
{
    auto steps = std::make_unique<StepWalker::Pattern>();
    steps->pattern.reserve(static_cast<std::size_t>(Pattern.size()));
    steps->metronome.reserve(static_cast<std::size_t>(Pattern.size()));
    for (QChar letter : Pattern) {
        steps->pattern.push_back(Play(letter));
        steps->metronome.push_back(PlayNormal(letter));
    }
    return steps;
}

void frmFlam::handOver()
{
    m_sounds->steps().setPattern(stepsOf(StepPattern), StepPosition);
}

void frmFlam::handOverClips()
{
    // Handing the pattern over again would start it from its first step: only its clips change.
    m_sounds->steps().setSteps(stepsOf(StepPattern));
}

StepWalker::Step frmFlam::Play(QChar letter)
{
    std::optional<double> sound;
    if (letter == u'F')
        sound = m_sounds->FirstBeatSound;
    else if (letter == u'U')
        sound = m_sounds->UpBeatSound;
    else if (letter == u'D')
        sound = m_sounds->DownBeatSound;
    else if (letter == u'A')
        sound = m_sounds->AccentBeatSound;
    else if (letter == u'P')
        sound = ClickSounds::kPauseClipId;
    return { m_sounds->clipOf(sound), StepWalker::Light::None };
}

StepWalker::Step frmFlam::PlayNormal(QChar letter)
{
    // The letters the metronome player sounds are those that light a beat.
    if (letter == u'U' || letter == u'A')
        return { Play(letter).clip, StepWalker::Light::Accent };
    if (letter == u'D')
        return { Play(letter).clip, StepWalker::Light::Down };
    return {};
}

void frmFlam::metronomeSwitched(bool enabled)
{
    m_sounds->steps().setEnabled(StepWalker::Player::Metronome, enabled, m_platform.audio->now());
    // Steps of an earlier run still on their way from the audio side light nothing.
    m_pendingLights.clear();
    if (enabled) {
        ++m_metronomeRun;
        showDueLights();
    } else {
        m_lightWake->cancel();
    }
}

void frmFlam::showDueLights()
{
    StepWalker& steps = m_sounds->steps();
    // Asked before the lit steps are taken: a block rendered in between can then only make the
    // next wake-up come sooner than it needs to, never miss a step.
    const std::optional<std::int64_t> next = steps.nextMetronomeStep();
    while (const auto lit = steps.takeLit()) {
        if (lit->run == m_metronomeRun && Timer2.isEnabled())
            m_pendingLights.push_back(*lit);
    }
    const std::int64_t sounding = m_platform.audio->soundingSample();
    // About one change a display frame: what comes due within it shows with the next change.
    if (sounding >= m_lastLightChange + m_lightChangeGapSamples)
        showLightsDueAt(sounding);
    if (Timer2.isEnabled())
        wakeForNextLight(next, sounding);
}

void frmFlam::showLightsDueAt(std::int64_t sounding)
{
    std::optional<ShownLights> shown;
    while (
        !m_pendingLights.empty() && m_pendingLights.front().due <= sounding + kLightEarlySamples) {
        const StepWalker::Light light = m_pendingLights.front().light;
        m_pendingLights.pop_front();
        if (!m_lights)
            continue;
        if (!shown)
            shown = ShownLights::before(*m_lights);
        if (light == StepWalker::Light::Down)
            shown->downBeat();
        else
            shown->accent();
    }
    if (!shown)
        return;
    shown->showOn(*m_lights);
    m_lastLightChange = sounding;
}

void frmFlam::wakeForNextLight(std::optional<std::int64_t> next, std::int64_t sounding)
{
    // The next step may light a beat; one already rendered is known to.
    std::int64_t due = next.value_or(StepWalker::kNoStep);
    if (!m_pendingLights.empty())
        due = std::min(due, m_pendingLights.front().due);
    std::int64_t at = StepWalker::kNoStep;
    if (due != StepWalker::kNoStep)
        at = std::max(due - kLightEarlySamples, m_lastLightChange + m_lightChangeGapSamples);
    if (!next)
        at = std::min(at, sounding + kLightPollSamples);
    if (at == StepWalker::kNoStep) {
        // Nothing comes until the rate or the switch changes, and each of those looks again.
        m_lightWake->cancel();
        return;
    }
    m_lightWake->wakeAfter(wakeMsForSamples(at - sounding));
}
