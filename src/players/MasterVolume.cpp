#include "players/MasterVolume.h"

#include "platform/basic/MessageBoxService.h"

#include <algorithm>

MasterVolume::MasterVolume(MixerService& mixer, MessageBoxService& boxes)
    : m_mixer(mixer)
    , m_boxes(boxes)
{}

long MasterVolume::levelValue(std::int32_t level, const MixerControl& control)
{
    const long long share = std::clamp<std::int32_t>(level, 0, kTopLevel);
    const long long span = static_cast<long long>(control.maximum) - control.minimum;
    // In integers, half a step up: the map and its checks stay exact on every range.
    return static_cast<long>(control.minimum + (share * span + kTopLevel / 2) / kTopLevel);
}

bool MasterVolume::OpenMixer()
{
    if (m_mixer.state() == MixerService::State::NotOpened && !m_mixer.open()) {
        m_boxes.msgBox(QStringLiteral("Couldn't open the mixer."));
        return false;
    }
    m_control = m_mixer.masterControl();
    return m_mixer.state() == MixerService::State::Open;
}

template <typename ValueFor> void MasterVolume::setFollowing(ValueFor valueFor)
{
    if (m_control && setOnControl(valueFor(*m_control)))
        return;
    // A message at every slider move would be worse than none: the slider simply follows again
    // once the mixer is back.
    m_mixer.reopen();
    m_control = m_mixer.masterControl();
    if (m_control)
        setOnControl(valueFor(*m_control));
}

void MasterVolume::DajJako(std::int32_t Level)
{
    setFollowing([Level](const MixerControl& control) {
        return levelValue(Level, control);
    });
}

void MasterVolume::CD_IncVolumeProc()
{
    setFollowing([from = m_masterValue](const MixerControl&) {
        return from + kStep;
    });
}

void MasterVolume::CD_DecVolumeProc()
{
    setFollowing([from = m_masterValue](const MixerControl&) {
        return from - kStep;
    });
}

float MasterVolume::volumeBarValue(int barMaximum) const
{
    if (!m_control || m_control->maximum <= m_control->minimum)
        return 0.0f;
    const double span = static_cast<double>(m_control->maximum) - m_control->minimum;
    return static_cast<float>(
        static_cast<double>(barMaximum) * (m_masterValue - m_control->minimum) / span);
}

bool MasterVolume::setOnControl(long value)
{
    const long kept = std::clamp(value, m_control->minimum, m_control->maximum);
    m_masterValue = kept;
    return m_mixer.setMasterVolume(kept);
}
