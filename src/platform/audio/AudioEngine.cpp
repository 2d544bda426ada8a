#include "platform/audio/AudioEngine.h"

#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/WaveCapture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

} // namespace

AudioEngine::AudioEngine(std::unique_ptr<AudioDevice> device)
    : m_renderer([this](float* out, int frames) {
        render(out, frames);
    })
    , m_clipVoice(&AudioEngine::releaseClip, this)
{
    install(std::move(device));
}

void AudioEngine::install(std::unique_ptr<AudioDevice> device)
{
    // Nothing the opener looks at may go before it stops looking.
    m_opener.setPlan({});
    if (m_device) {
        m_device->stop();
        keepCounts(*m_device);
    }
    m_holding.store(false, std::memory_order_release);
    m_device = nullptr;
    m_lostDevice = nullptr;
    m_fallback = false;
    m_growthsTold = 0;
    m_shrinksTold = 0;
    std::unique_ptr<AudioDevice> opened;
    if (device && device->open()) {
        opened = std::move(device);
    } else if (device) {
        // Its sound server is not there: the output of another kind, if it has one. The kind
        // asked for is the one kept to try again.
        opened = device->instead();
        if (opened && !opened->open())
            opened = nullptr;
    }
    if (opened) {
        markSwitch(*opened);
        m_device = std::move(opened);
        m_fallback = !m_device->start(m_renderer);
    } else {
        m_fallback = true;
    }
    if (m_fallback) {
        // No output at all, not even a dummy driver: keep the clock running in real time so the
        // program behaves the same, silently, and try the output's kind again now and then.
        if (m_device) {
            m_device->stop();
            device = std::move(m_device);
        }
        m_lostDevice = std::move(device);
        auto paced = std::make_unique<OfflineAudioDevice>(OfflineAudioDevice::kDefaultBlockFrames);
        OfflineAudioDevice* pacer = paced.get();
        markSwitch(*pacer);
        // In place before its thread runs: render() asks the device for the time.
        m_device = std::move(paced);
        pacer->setCapture(false);
        pacer->start(m_renderer);
        pacer->startPaced();
    }
    m_fallback = m_fallback || m_device->silentFallback();
    m_blockFrames = m_device->blockFrames();
    if (!m_fallback)
        m_realBlockFrames = m_blockFrames;
    updatePlan();
}

void AudioEngine::updatePlan()
{
    OutputOpener::Plan plan;
    if (m_lostDevice) {
        plan.lost = m_lostDevice.get();
        plan.retryBlock = m_realBlockFrames;
    } else if (!m_fallback && m_growths < kMaxGrowths && !m_device->growsInPlace()) {
        // The next larger block, by doubling from the smallest asked for.
        for (int block = 512; block <= kLargestBlockFrames && plan.growTo == 0; block *= 2) {
            if (block > m_blockFrames)
                plan.growTo = block;
        }
        if (plan.growTo > 0)
            plan.watched = m_device.get();
    }
    m_outputMayOpen = plan.lost || plan.watched;
    m_opener.setPlan(plan);
}

void AudioEngine::markSwitch(const AudioDevice& device)
{
    // No device renders now: the next block, from whichever device, starts where the last one
    // ended, and the lights count from the new device's clock.
    bool expected = false;
    while (!m_gate.compare_exchange_weak(expected, true, std::memory_order_acquire))
        expected = false;
    const std::int64_t clock = m_clock.load(std::memory_order_relaxed)
        + m_framesSkipped.exchange(0, std::memory_order_relaxed);
    m_clock.store(clock, std::memory_order_release);
    publishSnapshot(clock, device.clockNanos(), 0, device.latencyFrames());
    m_gate.store(false, std::memory_order_release);
}

bool AudioEngine::checkDevice()
{
    bool changed = false;
    if (m_device->lost()) {
        // stop() waits out any render call, so the device may be swapped under the render state.
        // The same output is tried again at once; it counts its late blocks afresh.
        m_device->stop();
        keepCounts(*m_device);
        install(std::move(m_device));
        changed = true;
    }
    noteQueueChange();
    if (OutputOpener::Opened opened = m_opener.take(); opened.device) {
        adopt(std::move(opened));
        changed = true;
    }
    return changed;
}

void AudioEngine::keepCounts(const AudioDevice& device)
{
    m_lateOfReplaced += device.lateBlocks();
    m_growthsOfReplaced += device.growths();
    m_shrinksOfReplaced += device.shrinks();
}

void AudioEngine::noteQueueChange()
{
    // The output's own thread cannot log: told here, once per change.
    const int growths = m_device->growths();
    const int shrinks = m_device->shrinks();
    if (growths == m_growthsTold && shrinks == m_shrinksTold)
        return;
    const bool grew = growths > m_growthsTold;
    m_growthsTold = growths;
    m_shrinksTold = shrinks;
    std::fprintf(stderr,
        grew ? "Kadentor: the sound output fell behind; it keeps %d frames (%.1f ms) queued until "
               "it keeps up again.\n"
             : "Kadentor: the sound output keeps up; it keeps %d frames (%.1f ms) queued now.\n",
        m_device->queueFrames(), 1000.0 * m_device->queueFrames() / kSampleRate);
}

void AudioEngine::adopt(OutputOpener::Opened opened)
{
    const int before = m_blockFrames;
    const bool growth = opened.reason == OutputOpener::Reason::Growth;
    if (growth) {
        ++m_growths;
        holdUntilPlayedOut();
    }
    install(std::move(opened.device));
    if (m_fallback)
        return;
    if (growth) {
        std::fprintf(stderr,
            "Kadentor: the sound output fell behind with %d-frame blocks; it plays %d-frame "
            "blocks (%.1f ms) from now on.\n",
            before, m_blockFrames, 1000.0 * m_blockFrames / kSampleRate);
    } else {
        ++m_returns;
    }
}

void AudioEngine::holdUntilPlayedOut()
{
    // What the output was given before it is replaced still plays: silence pushes it out of the
    // server's buffer (closing the stream would drop it, clicks and all). The server asks for a
    // block each time it has played one, but may ask for several at once: so both a few blocks
    // asked for and the time to play them.
    constexpr int kBlocks = 4;
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::nanoseconds(m_blockFrames * kNanosPerSecond / kSampleRate);
    const auto start = Clock::now();
    const auto limit = start + std::chrono::milliseconds(50) + 2 * kBlocks * period;
    m_heldBlocks.store(0, std::memory_order_relaxed);
    m_holding.store(true, std::memory_order_release);
    while ((m_heldBlocks.load(std::memory_order_acquire) < kBlocks
               || Clock::now() - start < kBlocks * period)
        && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::int64_t AudioEngine::lateBlocks() const
{
    return m_lateOfReplaced + m_device->lateBlocks();
}

int AudioEngine::blockGrowths() const
{
    return m_growths + m_growthsOfReplaced + m_device->growths();
}

int AudioEngine::blockShrinks() const
{
    return m_shrinksOfReplaced + m_device->shrinks();
}

AudioEngine::~AudioEngine()
{
    m_opener.stop();
    m_device->stop();
    // No render runs any more: everything still placed or sounding is released here.
    m_clipVoice.releaseAll();
    m_commands.takeAll([](const Command& command) {
        delete command.handle;
    });
    for (std::size_t i = 0; i < m_pendingCount; ++i)
        delete m_pending[i].handle;
    // Those handed back, queued or stashed, go with m_finished.
}

std::int64_t AudioEngine::now() const
{
    return m_clock.load(std::memory_order_acquire);
}

std::uint64_t AudioEngine::playClip(std::shared_ptr<const AudioClip> clip, std::int64_t at)
{
    releaseFinishedClips();
    if (!clip || clip->frames() == 0)
        return 0;
    auto* handle = new ClipHandle { std::move(clip), m_nextTicket++ };
    m_liveTickets.insert(handle->ticket);
    send(Command { Command::Kind::PlayClip, handle, at, nullptr, m_purgesAsked });
    return handle->ticket;
}

void AudioEngine::purge()
{
    releaseFinishedClips();
    // Clips still waiting on this side would be purged at once anyway.
    m_commands.dropWaiting([this](const Command& command) {
        if (command.kind != Command::Kind::PlayClip)
            return false;
        m_liveTickets.erase(command.handle->ticket);
        delete command.handle;
        return true;
    });
    m_purgeRequests.store(++m_purgesAsked, std::memory_order_release);
}

void AudioEngine::addSource(AudioSource* source)
{
    releaseFinishedClips();
    if (source)
        send(Command { Command::Kind::AddSource, nullptr, 0, source, 0 });
}

void AudioEngine::removeSource(AudioSource* source)
{
    releaseFinishedClips();
    if (!source)
        return;
    send(Command { Command::Kind::RemoveSource, nullptr, 0, source, 0 });
    waitUntilProcessed(m_commandsSent);
}

bool AudioEngine::silentFallback() const
{
    return m_fallback;
}

std::int64_t AudioEngine::outputLatency() const
{
    return m_snapshotLatency.load(std::memory_order_acquire);
}

std::int64_t AudioEngine::soundingSample() const
{
    std::uint64_t before = 0;
    std::int64_t sample = 0;
    std::int64_t nanos = 0;
    int frames = 0;
    std::int64_t latency = 0;
    do {
        // Acquire loads of the values (not a fence, which ThreadSanitizer cannot follow): one
        // that sees a value of a newer block also sees its odd sequence number.
        before = m_snapshotSequence.load(std::memory_order_acquire);
        sample = m_snapshotSample.load(std::memory_order_acquire);
        nanos = m_snapshotNanos.load(std::memory_order_acquire);
        frames = m_snapshotFrames.load(std::memory_order_acquire);
        latency = m_snapshotLatency.load(std::memory_order_acquire);
    } while ((before & 1) != 0 || before != m_snapshotSequence.load(std::memory_order_relaxed));

    // Between callbacks the output moves on with the clock, but never past the block rendered.
    const std::int64_t elapsedNanos =
        std::clamp<std::int64_t>(m_device->clockNanos() - nanos, 0, 1000 * kNanosPerSecond);
    const std::int64_t elapsed =
        (elapsedNanos * kSampleRate + kNanosPerSecond / 2) / kNanosPerSecond;
    return sample + std::min<std::int64_t>(elapsed, frames) - latency;
}

bool AudioEngine::clipFinished(std::uint64_t ticket)
{
    releaseFinishedClips();
    return ticket == 0 || !m_liveTickets.contains(ticket);
}

void AudioEngine::releaseFinishedClips()
{
    m_commands.flush();
    m_finished.release([this](const ClipHandle& handle) {
        m_liveTickets.erase(handle.ticket);
    });
}

std::vector<AudioEngine::ClipStart> AudioEngine::takeClipStarts()
{
    std::vector<ClipStart> starts;
    while (auto start = m_starts.pop())
        starts.push_back(*start);
    return starts;
}

void AudioEngine::send(const Command& command)
{
    m_commands.send(command);
    ++m_commandsSent;
}

void AudioEngine::waitUntilProcessed(std::uint64_t count)
{
    using Clock = std::chrono::steady_clock;
    const auto since = Clock::now();
    // A device thread that has not rendered for many blocks is stalled (device lost): then this
    // thread applies the commands itself, which the gate makes safe.
    const auto stallLimit = std::max<std::chrono::nanoseconds>(std::chrono::milliseconds(200),
        std::chrono::nanoseconds(8 * m_blockFrames * kNanosPerSecond / kSampleRate));
    while (m_commandsApplied.load(std::memory_order_acquire) < count) {
        // Each round feeds the callback up to a queue of waiting commands, and clips dropped
        // there come back at once: release them each round too, or a long run of waiting
        // commands would fill the return queue.
        releaseFinishedClips();
        if (!m_device->rendersOnOwnThread() || Clock::now() - since > stallLimit) {
            if (drainHereIfIdle())
                continue;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

bool AudioEngine::drainHereIfIdle()
{
    bool expected = false;
    if (!m_gate.compare_exchange_strong(expected, true, std::memory_order_acquire))
        return false;
    applyCommands(
        m_clock.load(std::memory_order_relaxed) + m_framesSkipped.load(std::memory_order_relaxed));
    m_gate.store(false, std::memory_order_release);
    return true;
}

void AudioEngine::render(float* out, int frames)
{
    if (m_holding.load(std::memory_order_acquire)) {
        std::fill_n(out, frames * kChannels, 0.0f);
        m_heldBlocks.fetch_add(1, std::memory_order_release);
        return;
    }
    if (m_gate.exchange(true, std::memory_order_acquire)) {
        // The UI thread is applying commands because it took this device for stalled: give
        // silence and account for the time so the clock stays true.
        std::fill_n(out, frames * kChannels, 0.0f);
        m_framesSkipped.fetch_add(frames, std::memory_order_relaxed);
        return;
    }
    const std::int64_t blockStart = m_clock.load(std::memory_order_relaxed)
        + m_framesSkipped.exchange(0, std::memory_order_relaxed);
    // An output that keeps more queued after a growth tells so per block: this block's latency.
    publishSnapshot(blockStart, m_device->clockNanos(), frames, m_device->latencyFrames());

    // Clips cut or finished in an earlier block that found the return queue full.
    m_finished.flushStash();

    applyCommands(blockStart);

    std::fill_n(out, frames * kChannels, 0.0f);
    for (std::size_t i = 0; i < m_sourceCount; ++i)
        m_sources[i]->render(out, frames, blockStart);
    m_removedSources.mixInto(out, frames);

    // Each clip starts on its own sample: mix up to it, cut, start, go on.
    int cursor = 0;
    while (m_pendingCount > 0) {
        const std::int64_t offset = std::max<std::int64_t>(m_pending[0].at - blockStart, 0);
        if (offset >= frames)
            break;
        const PendingClip next = m_pending[0];
        std::move(m_pending.begin() + 1, m_pending.begin() + m_pendingCount, m_pending.begin());
        --m_pendingCount;
        m_clipVoice.mix(out, cursor, static_cast<int>(offset));
        cursor = static_cast<int>(offset);
        startClip(next, blockStart + offset);
    }
    m_clipVoice.mix(out, cursor, frames);

    for (int i = 0; i < frames * kChannels; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);

    m_clock.store(blockStart + frames, std::memory_order_release);
    m_gate.store(false, std::memory_order_release);
}

void AudioEngine::applyCommands(std::int64_t sample)
{
    applyPurge();
    while (auto command = m_commands.pop()) {
        applyCommand(*command, sample);
        m_commandsApplied.fetch_add(1, std::memory_order_release);
    }
}

void AudioEngine::applyCommand(const Command& command, std::int64_t sample)
{
    switch (command.kind) {
    case Command::Kind::PlayClip: {
        if (command.purges < m_purgesApplied || m_pendingCount == kPendingCapacity) {
            m_finished.retire(command.handle);
            break;
        }
        // Keep the waiting clips ordered by sample; equal samples keep the order they came in.
        std::size_t index = m_pendingCount;
        while (index > 0 && m_pending[index - 1].at > command.at) {
            m_pending[index] = m_pending[index - 1];
            --index;
        }
        m_pending[index] = PendingClip { command.handle, command.at, command.purges };
        ++m_pendingCount;
        break;
    }
    case Command::Kind::AddSource: {
        const auto end = m_sources.begin() + m_sourceCount;
        if (std::find(m_sources.begin(), end, command.source) == end
            && m_sourceCount < kSourceCapacity)
            m_sources[m_sourceCount++] = command.source;
        break;
    }
    case Command::Kind::RemoveSource: {
        const auto end = m_sources.begin() + m_sourceCount;
        const auto found = std::find(m_sources.begin(), end, command.source);
        if (found != end) {
            // `sample` is where the next block starts, wherever the command is applied.
            m_removedSources.capture([&](float* tail, int frames) {
                command.source->render(tail, frames, sample);
            });
            std::move(found + 1, end, found);
            --m_sourceCount;
        }
        break;
    }
    }
}

void AudioEngine::applyPurge()
{
    const std::uint64_t requests = m_purgeRequests.load(std::memory_order_acquire);
    if (requests == m_purgesApplied)
        return;
    m_purgesApplied = requests;
    // Clips placed after the purge may already be here: they stay.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_pendingCount; ++i) {
        if (m_pending[i].purges < requests)
            m_finished.retire(m_pending[i].handle);
        else
            m_pending[kept++] = m_pending[i];
    }
    m_pendingCount = kept;
    if (m_clipVoice.tag() && m_voicePurges < requests)
        m_clipVoice.cut();
}

void AudioEngine::startClip(const PendingClip& pending, std::int64_t sample)
{
    m_clipVoice.start(*pending.handle->clip, pending.handle);
    m_voicePurges = pending.purges;
    m_starts.push(ClipStart { pending.handle->clip.get(), sample });
}

void AudioEngine::releaseClip(void* engine, void* handle)
{
    static_cast<AudioEngine*>(engine)->m_finished.retire(static_cast<ClipHandle*>(handle));
}

void AudioEngine::publishSnapshot(
    std::int64_t sample, std::int64_t nanos, int frames, std::int64_t latency)
{
    const std::uint64_t sequence = m_snapshotSequence.load(std::memory_order_relaxed);
    m_snapshotSequence.store(sequence + 1, std::memory_order_relaxed);
    m_snapshotSample.store(sample, std::memory_order_release);
    m_snapshotNanos.store(nanos, std::memory_order_release);
    m_snapshotFrames.store(frames, std::memory_order_release);
    m_snapshotLatency.store(latency, std::memory_order_release);
    m_snapshotSequence.store(sequence + 2, std::memory_order_release);
}

void AudioEngine::setCaptureDevice(std::unique_ptr<CaptureDevice> device)
{
    m_capture = std::make_unique<WaveCapture>(std::move(device));
}

WaveCapture& AudioEngine::capture()
{
    if (!m_capture)
        m_capture = std::make_unique<WaveCapture>(nullptr);
    return *m_capture;
}
