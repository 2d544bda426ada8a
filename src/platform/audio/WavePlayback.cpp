#include "platform/audio/WavePlayback.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/TakeFile.h"
#include "platform/audio/WavReader.h"

#include <algorithm>
#include <chrono>

namespace {

// About a second and a half ready in the ring; the reader tops it up in runs of about 90 ms,
// looking every 20 ms, so that a stalled disk must stall for over a second before a gap.
constexpr std::int64_t kRingFrames = 65536;
constexpr std::int64_t kRunFrames = 4096;
constexpr auto kReadPeriod = std::chrono::milliseconds(20);

} // namespace

WavePlayback::WavePlayback(std::shared_ptr<const TakeFile> take, std::int64_t fromByte)
    : m_take(std::move(take))
    , m_resampler(
          m_take ? m_take->format().sampleRate : AudioEngine::kSampleRate, AudioEngine::kSampleRate)
{
    if (m_take) {
        const std::int64_t frame = m_take->format().bytesPerFrame();
        m_firstFrame = std::max<std::int64_t>(fromByte, 0) / frame;
        m_inputFrames = std::max<std::int64_t>(m_take->dataBytes() / frame - m_firstFrame, 0);
        m_total.store(m_resampler.outputFrames(m_inputFrames));
    }
    m_ring.reset(kRingFrames * 2);
    fill();
    if (m_next < m_total.load())
        m_reader = std::thread([this] {
            readAhead();
        });
}

WavePlayback::~WavePlayback()
{
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = true;
    }
    m_stopped.notify_one();
    if (m_reader.joinable())
        m_reader.join();
}

void WavePlayback::fill()
{
    if (!m_take)
        return;
    const CaptureFormat& format = m_take->format();
    const std::int64_t frameBytes = format.bytesPerFrame();
    while (m_next < m_total.load(std::memory_order_relaxed)) {
        const std::int64_t count =
            std::min(kRunFrames, m_total.load(std::memory_order_relaxed) - m_next);
        if (m_ring.room() < static_cast<std::size_t>(count) * 2)
            return;
        auto [first, end] = m_resampler.inputSpan(m_next, count);
        first = std::max<std::int64_t>(first, 0);
        end = std::min(end, m_inputFrames);
        const std::int64_t frames = std::max<std::int64_t>(end - first, 0);
        m_bytes.resize(static_cast<std::size_t>(frames * frameBytes));
        m_input.resize(static_cast<std::size_t>(frames) * 2);
        m_output.resize(static_cast<std::size_t>(count) * 2);
        if (!m_take->read((m_firstFrame + first) * frameBytes, m_bytes.data(), m_bytes.size())) {
            m_total.store(m_next, std::memory_order_release);
            return;
        }
        pcmToStereo(m_bytes.data(), frames, format.channels, format.bitsPerSample, m_input.data());
        m_resampler.render(m_input.data(), first, m_inputFrames, m_next, count, m_output.data());
        m_ring.push(m_output.data(), m_output.size());
        m_next += count;
        m_read.store(m_next, std::memory_order_release);
    }
}

void WavePlayback::readAhead()
{
    std::unique_lock lock(m_stopMutex);
    while (!m_stop && m_next < m_total.load(std::memory_order_relaxed)) {
        m_stopped.wait_for(lock, kReadPeriod, [this] {
            return m_stop;
        });
        lock.unlock();
        fill();
        lock.lock();
    }
}

void WavePlayback::render(float* mix, int frames, std::int64_t)
{
    const std::size_t count = std::min(static_cast<std::size_t>(frames), m_ring.size() / 2);
    if (count == 0)
        return;
    const auto [first, second] = m_ring.front(count * 2);
    std::size_t at = 0;
    for (float sample : first)
        mix[at++] += sample;
    for (float sample : second)
        mix[at++] += sample;
    m_ring.pop(count * 2);
    m_played.store(
        m_played.load(std::memory_order_relaxed) + std::int64_t(count), std::memory_order_release);
}

bool WavePlayback::finished() const
{
    return framesPlayed() >= m_total.load(std::memory_order_acquire);
}
