#include "platform/audio/BufferGrowth.h"

#include <algorithm>

BufferGrowth::BufferGrowth(int step)
    : m_step(std::clamp(step, 0, kGrowths))
{}

BufferGrowth::Answer BufferGrowth::onUnderrun(std::int64_t nanos)
{
    if (m_haveLast && nanos - m_lastCounted < kSameUnderrunNanos)
        return {};
    m_haveLast = true;
    m_lastCounted = nanos;
    ++m_underruns;
    if (m_step == kGrowths || nanos < m_settledAt)
        return { true, 0 };
    ++m_step;
    ++m_growths;
    return { true, queueFrames() };
}

void BufferGrowth::restart(std::int64_t nanos)
{
    m_settledAt = nanos + kSettleNanos;
    m_haveLast = false;
    m_underruns = 0;
    m_growths = 0;
}
