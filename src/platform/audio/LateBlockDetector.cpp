#include "platform/audio/LateBlockDetector.h"

#include <algorithm>

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

} // namespace

LateBlockDetector::LateBlockDetector(int rate)
    : m_rate(std::max(rate, 1))
{}

std::int64_t LateBlockDetector::playNanos(std::int64_t frames) const
{
    // Split so that no length of run overflows.
    return frames / m_rate * kNanosPerSecond + frames % m_rate * kNanosPerSecond / m_rate;
}

void LateBlockDetector::restart()
{
    m_filled = 0;
    m_haveBaseline = false;
    m_windowsExcused = 0;
    m_late.store(0, std::memory_order_release);
}

void LateBlockDetector::onBlock(std::int64_t nanos, std::int64_t delivered, int frames)
{
    if (delivered < m_rate)
        return;
    const std::int64_t period = playNanos(frames);
    const std::int64_t offset = nanos - playNanos(delivered);
    if (m_haveBaseline && offset - m_baseline > std::max(period / 2, kMinLateNanos)) {
        // The blocks after it come on its schedule when the server played silence: they are
        // judged against it, and the baseline its silence moves is not counted again.
        m_baseline = offset;
        m_windowsExcused = 2;
        m_late.fetch_add(1, std::memory_order_release);
    }

    m_window[static_cast<std::size_t>(m_filled++)] = offset;
    if (m_filled < kWindowBlocks)
        return;
    m_filled = 0;
    auto fifth = m_window.begin() + kWindowBlocks / 5;
    std::nth_element(m_window.begin(), fifth, m_window.end());
    const std::int64_t baseline = *fifth;
    if (m_haveBaseline && m_windowsExcused == 0
        && baseline - m_baseline > std::max(period / 4, kMinSlipNanos))
        m_late.fetch_add(1, std::memory_order_release);
    m_baseline = baseline;
    m_haveBaseline = true;
    m_windowsExcused = std::max(m_windowsExcused - 1, 0);
}
