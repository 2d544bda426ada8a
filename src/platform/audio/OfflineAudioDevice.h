#pragma once

#include "platform/audio/AudioDevice.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// A device with no sound card behind it: it renders the mix into memory, either when a test asks
// (renderFrames, on the test's thread, on a virtual clock that advances with what is rendered)
// or paced by the wall clock on a thread of its own (startPaced), which is also the engine's
// last resort when no real output opens. What it renders is kept for inspection, or handed to a
// sink, or dropped.
//
// Threads: everything is for the thread that owns the engine, except the sink, which the pacing
// thread calls while paced. captured() must not be read while paced.
class OfflineAudioDevice : public AudioDevice
{
public:
    static constexpr int kDefaultBlockFrames = 512;

    explicit OfflineAudioDevice(
        int blockFrames = kDefaultBlockFrames, std::int64_t latencyFrames = 0);
    ~OfflineAudioDevice() override;

    bool open() override { return !m_failStart.load(std::memory_order_acquire); }

    bool start(RenderFunction render) override;
    void stop() override;

    bool silentFallback() const override { return m_silent.load(std::memory_order_acquire); }

    std::int64_t latencyFrames() const override { return m_latency; }

    int blockFrames() const override { return m_blockFrames; }

    bool rendersOnOwnThread() const override;

    bool lost() const override { return m_lost; }

    std::int64_t clockNanos() const override;

    // A device like this one (latency, failing to start, silence, keeping what it renders, and
    // pacing itself once started when this one paces now) for blocks of `blockFrames` frames.
    std::unique_ptr<AudioDevice> another(int blockFrames) const override;

    std::int64_t lateBlocks() const override { return m_late.load(std::memory_order_acquire); }

    // Acts as an output that has fallen behind `count` times.
    void setLateBlocks(std::int64_t count) { m_late.store(count, std::memory_order_release); }

    // Renders `frames` more frames in blocks of blockFrames() (the last one shorter). Not while
    // paced; nothing happens before start().
    void renderFrames(std::int64_t frames);

    // Moves the clock with a virtual wall clock (in frames) that a test moves on, in place of the
    // frames rendered: between two renders it runs on, as a real output's clock does, so the
    // sample leaving the speakers follows it; and each block is stamped with the moment it
    // starts, as an output that keeps up renders it, however late the test renders it. Not while
    // paced.
    void setWallClock(std::function<std::int64_t()> frames) { m_wallClock = std::move(frames); }

    // Renders one block each blockFrames() of wall-clock time on a thread of its own, on deadlines
    // computed from the pacing start (no drift), until stopPaced() or stop().
    void startPaced();
    void stopPaced();

    // Interleaved stereo frames rendered since start (or the last takeCaptured()).
    const std::vector<float>& captured() const { return m_captured; }

    std::vector<float> takeCaptured();

    void setCapture(bool capture) { m_capture.store(capture, std::memory_order_release); }

    // Pacing thread: called with each block instead of keeping it (firstFrame counts from start).
    using Sink = std::function<void(const float* block, int frames, std::int64_t firstFrame)>;

    void setSink(Sink sink) { m_sink = std::move(sink); }

    // Makes start() fail, as a device that cannot open.
    void setFailStart(bool fail) { m_failStart.store(fail, std::memory_order_release); }

    // Acts as an output that failed while running: lost() turns true and rendering stops.
    void setLost(bool lost);

    // Reports itself as a silent fallback, as the dummy driver does.
    void setSilent(bool silent) { m_silent.store(silent, std::memory_order_release); }

    std::int64_t renderedFrames() const { return m_rendered.load(std::memory_order_acquire); }

private:
    void renderBlock(int frames);
    void pace();

    int m_blockFrames;
    std::int64_t m_latency;
    std::atomic<bool> m_failStart { false };
    std::atomic<bool> m_silent { false };
    bool m_paceOnStart = false;
    std::atomic<std::int64_t> m_late { 0 };
    bool m_lost = false;
    std::atomic<bool> m_capture { true };
    RenderFunction m_render;
    Sink m_sink;
    std::function<std::int64_t()> m_wallClock;
    std::vector<float> m_block;
    std::vector<float> m_captured;
    std::atomic<std::int64_t> m_rendered { 0 };

    std::thread m_pacer;
    std::atomic<bool> m_pacing { false };
    // While paced the clock is the wall clock, joined on where the virtual one stood.
    std::atomic<std::int64_t> m_paceStartSteady { 0 };
    std::atomic<std::int64_t> m_paceStartVirtual { 0 };
};
