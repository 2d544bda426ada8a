#include "platform/audio/BufferGrowth.h"

#include <algorithm>

BufferGrowth::BufferGrowth(int step, std::int64_t quietNanos)
    : m_step(std::clamp(step, 0, kLargestStep))
    , m_quietNanos(quietNanos)
{}

BufferGrowth::Answer BufferGrowth::onUnderrun(std::int64_t nanos)
{
    if (m_counted && nanos - m_lastCounted < kSameUnderrunNanos)
        return {};
    const bool settled = nanos >= m_settledAt;
    const bool repeated = m_counted && m_lastSettled && nanos - m_lastCounted <= kRepeatNanos;
    m_counted = true;
    m_lastCounted = nanos;
    m_lastSettled = settled;
    m_quietSince = nanos;
    ++m_underruns;
    if (!settled || !repeated || m_step == kLargestStep)
        return { true, 0 };
    ++m_step;
    ++m_growths;
    return { true, queueFrames() };
}

int BufferGrowth::onRequest(std::int64_t nanos)
{
    if (m_step == 0 || nanos - m_quietSince < m_quietNanos)
        return 0;
    --m_step;
    ++m_shrinks;
    m_quietSince = nanos;
    return queueFrames();
}

void BufferGrowth::restart(std::int64_t nanos)
{
    m_settledAt = nanos + kSettleNanos;
    m_quietSince = nanos;
    m_counted = false;
    m_underruns = 0;
    m_growths = 0;
    m_shrinks = 0;
}
