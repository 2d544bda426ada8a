#include "platform/audio/WaveCapture.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include <unistd.h>

namespace {

// The worker's round: a twentieth of the ring's length, so it would have to stall for far longer
// than any UI hitch or disk hiccup before a block is lost.
constexpr auto kDrainPeriod = std::chrono::milliseconds(100);

// Copying a saved take back into a file of its own goes in pieces of this size.
constexpr std::size_t kCopyBytes = 1 << 20;

} // namespace

WaveCapture::WaveCapture(std::unique_ptr<CaptureDevice> device)
    : m_device(std::move(device))
    , m_write(::pwrite)
{}

WaveCapture::~WaveCapture()
{
    stop();
}

void WaveCapture::setTakeFolder(const QString& folder)
{
    m_takeFolder = folder;
}

void WaveCapture::setWriteFunction(TakeFile::WriteFunction write)
{
    m_write = std::move(write);
}

std::int64_t WaveCapture::recordedBytes() const
{
    return m_take ? m_take->dataBytes() : 0;
}

bool WaveCapture::start(const CaptureFormat& format)
{
    stop();
    if (!m_device || format.bytesPerFrame() <= 0 || format.sampleRate <= 0)
        return false;
    if (!(format == m_format))
        clear();
    m_format = format;
    if (!makeWritableTake(format))
        return false;
    m_fault.store(TakeFault::None);
    m_ring.reset(static_cast<std::size_t>(format.bytesPerSecond()) * 2);
    while (m_wake.try_acquire()) {}
    m_wakeAsked.store(false);
    m_stopWorker.store(false);
    m_worker = std::thread([this] {
        work();
    });
    if (!m_device->start(format, [this](const std::uint8_t* bytes, int count) {
            deliver(bytes, count);
        })) {
        stop();
        // A take file made for nothing goes with the refusal.
        if (m_take->dataBytes() == 0)
            m_take.reset();
        return false;
    }
    m_running = true;
    return true;
}

bool WaveCapture::makeWritableTake(const CaptureFormat& format)
{
    if (m_take && m_take->temporary())
        return true;
    QString error;
    std::shared_ptr<TakeFile> fresh = TakeFile::create(m_takeFolder, format, &error);
    if (!fresh)
        return false;
    if (m_take) {
        // A take read from where it was saved goes on growing in a file of its own: the saved
        // file is the user's.
        std::vector<std::uint8_t> piece(kCopyBytes);
        const std::int64_t total = m_take->dataBytes();
        for (std::int64_t at = 0; at < total; at += std::int64_t(piece.size())) {
            const auto count = static_cast<std::size_t>(
                std::min<std::int64_t>(std::int64_t(piece.size()), total - at));
            if (!m_take->read(at, piece.data(), count)
                || fresh->append(piece.data(), count, m_write) != TakeFault::None)
                return false;
        }
        if (fresh->writeHeader(m_write) != TakeFault::None)
            return false;
    }
    m_take = std::move(fresh);
    return true;
}

void WaveCapture::stop()
{
    if (m_running)
        m_device->stop();
    m_running = false;
    if (m_worker.joinable()) {
        m_stopWorker.store(true);
        m_wake.release();
        m_worker.join();
        drain();
    }
}

void WaveCapture::deliver(const std::uint8_t* bytes, int count)
{
    // A take the disk refused grows no more: nothing after the gap may join it.
    if (count <= 0 || m_fault.load(std::memory_order_relaxed) != TakeFault::None)
        return;
    // Dropped whole, so what is kept stays aligned on frames.
    if (!m_ring.push(bytes, static_cast<std::size_t>(count))) {
        m_overruns.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (m_ring.size() * 4 >= m_ring.capacity() && !m_wakeAsked.exchange(true))
        m_wake.release();
}

void WaveCapture::drain()
{
    const std::size_t count = m_ring.size();
    if (count == 0)
        return;
    if (m_fault.load(std::memory_order_relaxed) == TakeFault::None) {
        const auto [first, second] = m_ring.front(count);
        TakeFault fault = m_take->append(first.data(), first.size(), m_write);
        if (fault == TakeFault::None)
            fault = m_take->append(second.data(), second.size(), m_write);
        // Also after a fault, so that the file says how much it holds.
        const TakeFault header = m_take->writeHeader(m_write);
        if (fault == TakeFault::None)
            fault = header;
        if (fault != TakeFault::None)
            m_fault.store(fault, std::memory_order_release);
    }
    m_ring.pop(count);
}

void WaveCapture::work()
{
    while (!m_stopWorker.load()) {
        (void)m_wake.try_acquire_for(kDrainPeriod);
        m_wakeAsked.store(false);
        drain();
    }
}

bool WaveCapture::takeSavedAs(const QString& path)
{
    if (m_running || !m_take || !m_take->temporary())
        return false;
    std::shared_ptr<TakeFile> saved = TakeFile::openSaved(path, m_format, m_take->dataBytes());
    if (!saved)
        return false;
    m_take = std::move(saved);
    return true;
}

void WaveCapture::clear()
{
    stop();
    m_take.reset();
    m_overruns.store(0, std::memory_order_relaxed);
    m_fault.store(TakeFault::None);
}

void WaveCapture::leaveTake()
{
    stop();
    if (m_take && m_take->temporary())
        m_take->leaveOnDisk();
}
