#include "app/StepTimer.h"

StepTimer::StepTimer(Switched switched)
    : m_switched(std::move(switched))
{}

void StepTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (m_switched)
        m_switched(enabled);
}
