#include "players/MasterVolume.h"

#include "platform/basic/MessageBoxService.h"

#include <algorithm>

MasterVolume::MasterVolume(MixerService& mixer, MessageBoxService& boxes)
    : m_mixer(mixer)
    , m_boxes(boxes)
{}

bool MasterVolume::OpenMixer()
{
    if (m_mixer.state() == MixerService::State::NotOpened && !m_mixer.open()) {
        m_boxes.msgBox(QStringLiteral("Couldn't open the mixer."));
        return false;
    }
    m_control = m_mixer.masterControl();
    return m_mixer.state() == MixerService::State::Open;
}

void MasterVolume::DajJako(std::int32_t Level)
{
    // In 64 bits: a level beyond the slider's range must clamp, not overflow.
    setClamped(static_cast<long long>(Level) * 1000);
}

void MasterVolume::CD_IncVolumeProc()
{
    setClamped(static_cast<long long>(m_masterValue) + kStep);
}

void MasterVolume::CD_DecVolumeProc()
{
    setClamped(static_cast<long long>(m_masterValue) - kStep);
}

float MasterVolume::volumeBarValue(int barMaximum) const
{
    if (!m_control || m_control->maximum == 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(barMaximum) * m_masterValue / m_control->maximum);
}

void MasterVolume::setClamped(long long value)
{
    if (!m_control)
        return;
    const long clamped =
        static_cast<long>(std::clamp<long long>(value, m_control->minimum, m_control->maximum));
    m_mixer.setMasterVolume(clamped);
    m_masterValue = clamped;
}
