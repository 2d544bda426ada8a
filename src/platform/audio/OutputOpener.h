#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class AudioDevice;

// Opens sound outputs on a thread of its own, so that neither the UI thread nor the audio thread
// waits on a sound server: a device with a larger block for an output that has fallen behind,
// or, while the engine runs on its silent fallback, the lost output's kind again every
// kRetryInterval (and when that does not open, the device it names instead()). What opens waits,
// opened and paused, until the UI thread takes it.
//
// The UI thread says what to do with setPlan(). The devices a plan names are only looked at
// (lateBlocks(), another()) under the opener's lock, and a new plan is in force when setPlan()
// returns, so the UI thread may then stop or destroy the devices of the old one. A device opened
// under an older plan is closed, never handed over.
//
// Threads: every call is for the UI thread but waiting(), which any may ask.
class OutputOpener
{
public:
    static constexpr std::chrono::milliseconds kRetryInterval { 2000 };
    // How often an output that may still grow is looked at for late blocks.
    static constexpr std::chrono::milliseconds kWatchInterval { 20 };

    enum class Reason { Growth, Return };

    struct Plan
    {
        // Grow this output once it has a late block: open its kind with `growTo` frames.
        const AudioDevice* watched = nullptr;
        int growTo = 0;
        // The output was lost and the engine runs on its fallback: open this one's kind again
        // with `retryBlock` frames (0: the kind's usual block), first kRetryInterval from now.
        const AudioDevice* lost = nullptr;
        int retryBlock = 0;
    };

    struct Opened
    {
        std::unique_ptr<AudioDevice> device; // null when nothing waits
        Reason reason = Reason::Growth;
    };

    OutputOpener();
    ~OutputOpener();
    OutputOpener(const OutputOpener&) = delete;
    OutputOpener& operator=(const OutputOpener&) = delete;

    void setPlan(const Plan& plan);

    // The device that opened under the plan in force, if any.
    Opened take();

    // Any thread: true while a device that opened waits to be taken (cheap: for a fast timer).
    bool waiting() const { return m_waiting.load(std::memory_order_acquire); }

    // Ends the thread; a device still opening is waited for and closed. Also done on destruction.
    void stop();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    Plan m_plan;
    std::uint64_t m_generation = 0;
    std::chrono::steady_clock::time_point m_nextGrowth;
    std::chrono::steady_clock::time_point m_nextRetry;
    Opened m_ready;
    std::atomic<bool> m_waiting { false };
    bool m_stopping = false;
    std::thread m_thread;
};
