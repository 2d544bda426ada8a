#include "platform/audio/OutputOpener.h"

#include "platform/audio/AudioDevice.h"

#include <algorithm>

OutputOpener::OutputOpener()
    : m_thread([this] {
        run();
    })
{}

OutputOpener::~OutputOpener()
{
    stop();
}

void OutputOpener::stop()
{
    {
        const std::scoped_lock lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    // Closed here, outside the lock.
    m_ready.device.reset();
}

void OutputOpener::setPlan(const Plan& plan)
{
    Opened stale;
    {
        const std::scoped_lock lock(m_mutex);
        m_plan = plan;
        ++m_generation;
        m_nextGrowth = std::chrono::steady_clock::now();
        m_nextRetry = m_nextGrowth + kRetryInterval;
        stale = std::move(m_ready);
        m_ready = {};
        m_waiting.store(false, std::memory_order_release);
    }
    m_wake.notify_all();
}

OutputOpener::Opened OutputOpener::take()
{
    const std::scoped_lock lock(m_mutex);
    Opened taken = std::move(m_ready);
    m_ready = {};
    m_waiting.store(false, std::memory_order_release);
    return taken;
}

void OutputOpener::run()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        const bool watching = m_plan.watched && m_plan.growTo > 0;
        if (m_ready.device || (!watching && !m_plan.lost)) {
            m_wake.wait(lock);
        } else {
            Clock::time_point wake = Clock::time_point::max();
            if (watching)
                wake = std::max(Clock::now() + kWatchInterval, m_nextGrowth);
            if (m_plan.lost)
                wake = std::min(wake, m_nextRetry);
            m_wake.wait_until(lock, wake);
        }
        if (m_stopping || m_ready.device)
            continue;

        const AudioDevice* maker = nullptr;
        int block = 0;
        Reason reason = Reason::Growth;
        const Clock::time_point now = Clock::now();
        if (m_plan.watched && m_plan.growTo > 0 && now >= m_nextGrowth
            && m_plan.watched->lateBlocks() > 0) {
            maker = m_plan.watched;
            block = m_plan.growTo;
            // Should it fail to open, the next try waits its turn.
            m_nextGrowth = now + kRetryInterval;
        } else if (m_plan.lost && now >= m_nextRetry) {
            maker = m_plan.lost;
            block = m_plan.retryBlock;
            reason = Reason::Return;
            m_nextRetry = now + kRetryInterval;
        }
        if (!maker)
            continue;
        std::unique_ptr<AudioDevice> device = maker->another(block);
        const std::uint64_t generation = m_generation;

        lock.unlock();
        if (device && !device->open()) {
            // Its server still gone: the output of another kind, where it names one.
            device = reason == Reason::Return ? device->instead() : nullptr;
            if (device && !device->open())
                device.reset();
        }
        lock.lock();

        if (device && generation == m_generation && !m_stopping) {
            m_ready = Opened { std::move(device), reason };
            m_waiting.store(true, std::memory_order_release);
        } else if (device) {
            lock.unlock();
            device.reset();
            lock.lock();
        }
    }
}
