#include "platform/audio/BufferGrowth.h"

#include <algorithm>

namespace {

// How far one request moves what is usual at a step: enough to follow a new step within a second
// or two of requests, too little for one late request to count.
constexpr std::int64_t kLearnFrames = 4;

} // namespace

BufferGrowth::Reports::Seen BufferGrowth::Reports::see(std::int64_t nanos, bool arms)
{
    if (have && nanos - last < kSameUnderrunNanos)
        return Seen::Repeat;
    const bool again = armed && nanos - last <= kRepeatNanos;
    have = true;
    last = nanos;
    armed = arms;
    return again ? Seen::Again : Seen::Lone;
}

BufferGrowth::BufferGrowth(int step, std::int64_t quietNanos)
    : m_step(std::clamp(step, 0, kLargestStep))
    , m_quietNanos(quietNanos)
{
    // A start for what is usual until the output has played at a step: a request finds about
    // half the queue asked for still queued (on PulseAudio 250 of 512 frames, 890 of 1536, 1560
    // of 3072).
    for (std::size_t i = 0; i < kQueueFrames.size(); ++i)
        m_usualAhead[i] = kQueueFrames[i] / 2;
}

BufferGrowth::Answer BufferGrowth::onUnderrun(std::int64_t nanos)
{
    const bool settled = nanos >= m_settledAt;
    const Reports::Seen seen = m_underrunReports.see(nanos, settled);
    if (seen == Reports::Seen::Repeat)
        return {};
    ++m_underruns;
    quietFrom(nanos);
    if (!settled || seen == Reports::Seen::Lone || m_step == kLargestStep)
        return { true, 0 };
    ++m_step;
    ++m_growths;
    return { true, queueFrames() };
}

int BufferGrowth::onRequest(std::int64_t nanos, std::int64_t aheadFrames)
{
    if (nanos >= m_steadyFrom) {
        std::int64_t& usual = m_usualAhead[static_cast<std::size_t>(m_step)];
        usual += std::clamp(aheadFrames - usual, -kLearnFrames, kLearnFrames);
        if (m_step > 0 && usual - aheadFrames > m_usualAhead[static_cast<std::size_t>(m_step - 1)]
            && m_shortfalls.see(nanos, true) == Reports::Seen::Again)
            m_quietSince = nanos;
    }
    if (m_step == 0 || nanos - m_quietSince < m_quietNanos)
        return 0;
    --m_step;
    ++m_shrinks;
    quietFrom(nanos);
    return queueFrames();
}

void BufferGrowth::restart(std::int64_t nanos)
{
    m_settledAt = nanos + kSettleNanos;
    m_underrunReports.forget();
    quietFrom(nanos);
    m_steadyFrom = m_settledAt;
    m_underruns = 0;
    m_growths = 0;
    m_shrinks = 0;
}

void BufferGrowth::quietFrom(std::int64_t nanos)
{
    m_quietSince = nanos;
    m_steadyFrom = nanos + kSteadyNanos;
    m_shortfalls.forget();
}
