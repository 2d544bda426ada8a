#include "platform/audio/OfflineAudioDevice.h"

#include "platform/audio/AudioEngine.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

std::int64_t steadyNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t framesToNanos(std::int64_t frames)
{
    // Split to stay exact and far from overflow for any length of run.
    const std::int64_t seconds = frames / AudioEngine::kSampleRate;
    const std::int64_t rest = frames % AudioEngine::kSampleRate;
    return seconds * kNanosPerSecond + rest * kNanosPerSecond / AudioEngine::kSampleRate;
}

} // namespace

OfflineAudioDevice::OfflineAudioDevice(int blockFrames, std::int64_t latencyFrames)
    : m_blockFrames(std::max(blockFrames, 1))
    , m_latency(latencyFrames)
{}

OfflineAudioDevice::~OfflineAudioDevice()
{
    stop();
}

bool OfflineAudioDevice::start(RenderFunction render)
{
    if (!open())
        return false;
    m_lost = false;
    m_render = std::move(render);
    m_block.assign(static_cast<std::size_t>(m_blockFrames) * AudioEngine::kChannels, 0.0f);
    if (m_paceOnStart)
        startPaced();
    return true;
}

void OfflineAudioDevice::stop()
{
    stopPaced();
    m_render = nullptr;
}

bool OfflineAudioDevice::rendersOnOwnThread() const
{
    return m_pacing.load(std::memory_order_acquire);
}

std::int64_t OfflineAudioDevice::clockNanos() const
{
    if (m_pacing.load(std::memory_order_acquire))
        return m_paceStartVirtual.load(std::memory_order_relaxed) + steadyNanos()
            - m_paceStartSteady.load(std::memory_order_relaxed);
    const std::int64_t rendered = m_rendered.load(std::memory_order_acquire);
    if (m_wallClock)
        return framesToNanos(std::min(m_wallClock(), rendered));
    return framesToNanos(rendered);
}

std::unique_ptr<AudioDevice> OfflineAudioDevice::another(int blockFrames) const
{
    auto made = std::make_unique<OfflineAudioDevice>(
        blockFrames > 0 ? blockFrames : m_blockFrames, m_latency);
    made->setFailStart(m_failStart.load(std::memory_order_acquire));
    made->setSilent(m_silent.load(std::memory_order_acquire));
    made->setCapture(m_capture.load(std::memory_order_acquire));
    made->m_paceOnStart = m_pacing.load(std::memory_order_acquire);
    return made;
}

void OfflineAudioDevice::renderFrames(std::int64_t frames)
{
    if (!m_render || m_lost || m_pacing.load())
        return;
    while (frames > 0) {
        const int block = static_cast<int>(std::min<std::int64_t>(frames, m_blockFrames));
        renderBlock(block);
        frames -= block;
    }
}

void OfflineAudioDevice::startPaced()
{
    if (!m_render || m_pacing.load())
        return;
    m_paceStartVirtual.store(framesToNanos(m_rendered.load()));
    m_paceStartSteady.store(steadyNanos());
    m_pacing.store(true, std::memory_order_release);
    m_pacer = std::thread([this] {
        pace();
    });
}

void OfflineAudioDevice::stopPaced()
{
    m_pacing.store(false, std::memory_order_release);
    if (m_pacer.joinable())
        m_pacer.join();
}

void OfflineAudioDevice::setLost(bool lost)
{
    if (lost)
        stopPaced();
    m_lost = lost;
}

std::vector<float> OfflineAudioDevice::takeCaptured()
{
    std::vector<float> taken;
    taken.swap(m_captured);
    return taken;
}

void OfflineAudioDevice::renderBlock(int frames)
{
    const std::int64_t first = m_rendered.load(std::memory_order_relaxed);
    m_render(m_block.data(), frames);
    const std::size_t values = static_cast<std::size_t>(frames) * AudioEngine::kChannels;
    if (m_sink)
        m_sink(m_block.data(), frames, first);
    else if (m_capture.load(std::memory_order_relaxed))
        m_captured.insert(m_captured.end(), m_block.begin(), m_block.begin() + values);
    m_rendered.store(first + frames, std::memory_order_release);
}

void OfflineAudioDevice::pace()
{
    const std::int64_t startSteady = m_paceStartSteady.load();
    const std::int64_t startFrame = m_rendered.load();
    std::int64_t blocks = 0;
    while (m_pacing.load(std::memory_order_acquire)) {
        renderBlock(m_blockFrames);
        ++blocks;
        // Each deadline from the start and the block count, never by adding up intervals.
        const std::int64_t deadline = startSteady
            + framesToNanos(startFrame + blocks * m_blockFrames) - framesToNanos(startFrame);
        std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::nanoseconds(deadline))));
    }
}
