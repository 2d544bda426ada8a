#include "platform/audio/WaveCapture.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// The worker looks at the ring this often: a twentieth of the ring's length, so it would have
// to stall for far longer than any UI hitch before a block is lost.
constexpr auto kDrainPeriod = std::chrono::milliseconds(100);

std::size_t powerOfTwoAtLeast(std::size_t value)
{
    std::size_t size = 1;
    while (size < value)
        size <<= 1;
    return size;
}

} // namespace

WaveCapture::WaveCapture(std::unique_ptr<CaptureDevice> device)
    : m_device(std::move(device))
{}

WaveCapture::~WaveCapture()
{
    stop();
}

bool WaveCapture::start(const CaptureFormat& format)
{
    stop();
    if (!m_device || format.bytesPerFrame() <= 0 || format.sampleRate <= 0)
        return false;
    if (!(format == m_format))
        clear();
    m_format = format;
    m_ring.assign(powerOfTwoAtLeast(static_cast<std::size_t>(format.bytesPerSecond()) * 2), 0);
    m_mask = m_ring.size() - 1;
    m_head.store(0);
    m_tail.store(0);
    m_stopWorker = false;
    m_worker = std::thread([this] {
        work();
    });
    if (!m_device->start(format, [this](const std::uint8_t* bytes, int count) {
            deliver(bytes, count);
        })) {
        stop();
        m_running = false;
        return false;
    }
    m_running = true;
    return true;
}

void WaveCapture::stop()
{
    if (m_running)
        m_device->stop();
    m_running = false;
    if (m_worker.joinable()) {
        {
            std::lock_guard lock(m_wakeMutex);
            m_stopWorker = true;
        }
        m_wake.notify_one();
        m_worker.join();
    }
    drain();
}

void WaveCapture::deliver(const std::uint8_t* bytes, int count)
{
    if (count <= 0)
        return;
    const std::size_t tail = m_tail.load(std::memory_order_relaxed);
    const std::size_t used = tail - m_head.load(std::memory_order_acquire);
    const auto size = static_cast<std::size_t>(count);
    if (m_ring.size() - used < size) {
        // Dropped whole, so what is kept stays aligned on frames.
        m_overruns.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const std::size_t at = tail & m_mask;
    const std::size_t first = std::min(size, m_ring.size() - at);
    std::memcpy(m_ring.data() + at, bytes, first);
    std::memcpy(m_ring.data(), bytes + first, size - first);
    m_tail.store(tail + size, std::memory_order_release);
}

void WaveCapture::drain()
{
    const std::size_t head = m_head.load(std::memory_order_relaxed);
    const std::size_t count = m_tail.load(std::memory_order_acquire) - head;
    if (count == 0)
        return;
    const std::size_t at = head & m_mask;
    const std::size_t first = std::min(count, m_ring.size() - at);
    {
        std::lock_guard lock(m_recordingMutex);
        m_recording.append(
            reinterpret_cast<const char*>(m_ring.data() + at), static_cast<qsizetype>(first));
        m_recording.append(
            reinterpret_cast<const char*>(m_ring.data()), static_cast<qsizetype>(count - first));
        m_recorded.store(m_recording.size(), std::memory_order_release);
    }
    m_head.store(head + count, std::memory_order_release);
}

void WaveCapture::work()
{
    std::unique_lock lock(m_wakeMutex);
    while (!m_stopWorker) {
        m_wake.wait_for(lock, kDrainPeriod, [this] {
            return m_stopWorker;
        });
        lock.unlock();
        drain();
        lock.lock();
    }
}

QByteArray WaveCapture::recording() const
{
    std::lock_guard lock(m_recordingMutex);
    return m_recording;
}

void WaveCapture::clear()
{
    std::lock_guard lock(m_recordingMutex);
    m_recording.clear();
    m_recorded.store(0, std::memory_order_release);
    m_overruns.store(0, std::memory_order_relaxed);
}
