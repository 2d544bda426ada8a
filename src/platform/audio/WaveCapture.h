#pragma once

#include "platform/audio/CaptureDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QByteArray>

// The engine's capture stream: the device's callback copies each block into a lock-free ring
// (nothing allocated, nothing locked), and a worker thread of its own moves the bytes from the
// ring into the recording, so a busy or blocked UI thread never loses a sample. A block that
// finds the ring full is dropped whole and counted as an overrun; the ring holds two seconds.
//
// Threads: every call is for the UI thread; the device's thread only delivers, the worker only
// drains. Units: bytes of PCM in the recording's format.
class WaveCapture
{
public:
    explicit WaveCapture(std::unique_ptr<CaptureDevice> device);
    ~WaveCapture();
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;

    // Starts appending to the recording in `format`; a recording in another format is cleared
    // first. False, with nothing running, when the device opens no input in that format.
    bool start(const CaptureFormat& format);
    // Stops the device and returns once every byte it delivered is in the recording.
    void stop();

    bool running() const { return m_running; }

    // Bytes in the recording now; grows while recording.
    std::int64_t recordedBytes() const { return m_recorded.load(std::memory_order_acquire); }

    QByteArray recording() const;
    void clear();

    // Blocks dropped because the ring was full, since the last clear().
    std::uint64_t overruns() const { return m_overruns.load(std::memory_order_relaxed); }

private:
    void deliver(const std::uint8_t* bytes, int count);
    void drain();
    void work();

    std::unique_ptr<CaptureDevice> m_device;
    CaptureFormat m_format;
    bool m_running = false;

    // The ring: written by the device's thread, read by the worker. Sized on the UI thread
    // before the device starts.
    std::vector<std::uint8_t> m_ring;
    std::size_t m_mask = 0;
    alignas(64) std::atomic<std::size_t> m_head { 0 };
    alignas(64) std::atomic<std::size_t> m_tail { 0 };
    std::atomic<std::uint64_t> m_overruns { 0 };

    std::thread m_worker;
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    bool m_stopWorker = false;

    mutable std::mutex m_recordingMutex;
    QByteArray m_recording;
    std::atomic<std::int64_t> m_recorded { 0 };
};
