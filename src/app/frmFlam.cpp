#include "app/frmFlam.h"

#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/Conversions.h"

#include <algorithm>
#include <limits>

namespace {

// A light changes once its click is due within this many samples of leaving the speakers: a
// millisecond, well inside a display frame, so that a poll a hair early needs no second one.
constexpr std::int64_t kLightEarlySamples = 44;

} // namespace

frmFlam::frmFlam(Platform& platform,
    BeatLights& lights,
    ClickSounds& sounds,
    const WakeTimerFactory& timers,
    QObject* parent)
    : QObject(parent)
    , Timer1(
          *platform.audio,
          StepInterval,
          timers(),
          [this](std::int64_t due) {
              Timer1_Timer(due);
          },
          [this](bool stepsAhead) {
              timerDisabled(stepsAhead, false);
          })
    , Timer2(
          *platform.audio,
          StepInterval,
          timers(),
          [this](std::int64_t due) {
              Timer2_Timer(due);
          },
          [this](bool stepsAhead) {
              timerDisabled(stepsAhead, true);
          })
    , Timer3(*platform.audio, StepInterval, timers(), {}, {})
    , m_platform(platform)
    , m_lights(lights)
    , m_sounds(sounds)
    , m_lightWake(timers())
{
    m_lightWake->onWake = [this] {
        showDueLights();
    };
}

frmFlam::~frmFlam()
{
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

void frmFlam::Label3_Change()
{
    const auto interval = ExactInterval::forRateText(m_Label3);
    if (!interval)
        return;
    StepInterval = interval;
    Timer1.intervalChanged();
    Timer2.intervalChanged();
}

void frmFlam::txtRit_Change()
{
    Timer1.setEnabled(false);
}

void frmFlam::txtBB_Change()
{
    const double value = Val(m_txtBB);
    // An empty pattern has no last position; 1 stands for its silent steps.
    const qsizetype last = std::max<qsizetype>(m_txtRit.size(), 1);
    QString clamped = m_txtBB;
    if (value < 1)
        clamped = QStringLiteral("1");
    else if (value > static_cast<double>(last))
        clamped = QString::number(last);
    m_clampingTxtBB = true;
    setTxtBB(clamped);
    m_clampingTxtBB = false;
}

void frmFlam::Flamenko(const QString& Pattern)
{
    StepPattern = Pattern;
    // txtBB is a number after any change; before the first one there is no start to honour.
    StepPosition = CInt(m_txtBB).value_or(1);
    Timer1.setEnabled(true);
}

void frmFlam::SvirajNormal(const QString& Pattern)
{
    StepPattern = Pattern;
    StepPosition = 1;
}

void frmFlam::Timer1_Timer(std::int64_t due)
{
    Play(StepPosition, due);
    ++StepPosition;
}

void frmFlam::Timer2_Timer(std::int64_t due)
{
    PlayNormal(StepPosition, due);
    ++StepPosition;
}

QChar frmFlam::letterAt(std::int16_t Position) const
{
    if (Position < 1 || Position > StepPattern.size())
        return QChar();
    return StepPattern[Position - 1];
}

void frmFlam::wrapAfterStep(std::int16_t& Position) const
{
    // Past the end too (a start beyond a shorter pattern, an empty pattern): the next step is
    // the first. The tick's increment then never overflows.
    if (Position >= StepPattern.size() || Position == std::numeric_limits<std::int16_t>::max())
        Position = 0;
}

void frmFlam::Play(std::int16_t& Position, std::int64_t due)
{
    const QChar letter = letterAt(Position);
    const QString resType = QStringLiteral("RESTYPE");
    if (letter == u'F')
        m_sounds.PlayResWav(m_sounds.FirstBeatSound, resType, due);
    else if (letter == u'U')
        m_sounds.PlayResWav(m_sounds.UpBeatSound, resType, due);
    else if (letter == u'D')
        m_sounds.PlayResWav(m_sounds.DownBeatSound, resType, due);
    else if (letter == u'A')
        m_sounds.PlayResWav(m_sounds.AccentBeatSound, resType, due);
    else if (letter == u'P')
        m_sounds.PlayResWav(ClickSounds::kPauseClipId, resType, due);
    wrapAfterStep(Position);
}

void frmFlam::PlayNormal(std::int16_t& Position, std::int64_t due)
{
    const QChar letter = letterAt(Position);
    const QString resType = QStringLiteral("RESTYPE");
    std::optional<double> sound;
    if (letter == u'U')
        sound = m_sounds.UpBeatSound;
    else if (letter == u'D')
        sound = m_sounds.DownBeatSound;
    else if (letter == u'A')
        sound = m_sounds.AccentBeatSound;
    if (letter == u'U' || letter == u'D' || letter == u'A') {
        m_sounds.PlayResWav(sound, resType, due);
        m_pendingLights.push_back({ due, letter });
        if (m_pendingLights.size() == 1)
            showDueLights();
    }
    wrapAfterStep(Position);
}

void frmFlam::timerDisabled(bool stepsAhead, bool withLights)
{
    // A click placed ahead belongs to a step the stopped timer would not have reached yet.
    if (stepsAhead)
        m_sounds.StopSound();
    if (withLights) {
        m_pendingLights.clear();
        m_lightWake->cancel();
    }
}

void frmFlam::showDueLights()
{
    const std::int64_t sounding = m_platform.audio->soundingSample();
    while (
        !m_pendingLights.empty() && m_pendingLights.front().due <= sounding + kLightEarlySamples) {
        const QChar letter = m_pendingLights.front().letter;
        m_pendingLights.pop_front();
        if (letter == u'D') {
            m_lights.setImage5Visible(false);
            zeleno(m_lights);
        } else {
            m_lights.setImage5Visible(true);
            m_lights.setImzVisible(false);
            m_lights.setImage4Visible(false);
        }
    }
    if (!m_pendingLights.empty())
        m_lightWake->wakeAfter(
            wakeMsForSamples(m_pendingLights.front().due - kLightEarlySamples - sounding));
}
