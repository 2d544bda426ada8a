#pragma once

#include "platform/audio/CaptureDevice.h"
#include "platform/audio/SpscRing.h"
#include "platform/audio/TakeFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <semaphore>
#include <thread>

#include <QString>

// The engine's capture stream: the device's callback copies each block into a lock-free ring
// (nothing allocated, nothing locked, no disk), and a worker thread of its own appends the bytes
// from the ring to the take's file, so that memory stays the same however long the take and a
// busy UI thread or a slow disk never loses a sample. A block that finds the ring full is dropped
// whole and counted as an overrun. The ring holds two to four seconds; one a quarter full wakes
// the worker before its next round (a device delivering far faster than real time).
//
// When the disk refuses the take (full, or failing) or the take reaches the most a WAV file
// holds, the take ends at the last whole frame that went in, every later block is dropped, and
// fault() says why; the caller stops the recording.
//
// Threads: every call is for the UI thread; the device's thread only delivers, the worker only
// writes. Units: bytes of PCM in the recording's format.
class WaveCapture
{
public:
    explicit WaveCapture(std::unique_ptr<CaptureDevice> device);
    ~WaveCapture();
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;

    // Where takes are kept while recorded (made when missing). Until it is set, start() fails.
    void setTakeFolder(const QString& folder);
    // How the worker writes: pwrite(2) unless a test stands in one that fails as a full disk
    // does. Only while stopped.
    void setWriteFunction(TakeFile::WriteFunction write);

    // Starts appending to the take in `format`; a take in another format is dropped first. False,
    // with nothing running, when the device opens no input in that format or the take's file
    // cannot be made.
    bool start(const CaptureFormat& format);
    // Stops the device and returns once every byte it delivered is in the take.
    void stop();

    bool running() const { return m_running; }

    // Bytes in the take now; grows while recording.
    std::int64_t recordedBytes() const;

    // The take for reading (saving, playing): null before anything was recorded. It stays
    // readable while held, also after clear().
    std::shared_ptr<const TakeFile> take() const { return m_take; }

    // The take has just been saved whole to the WAV file at `path`: it is read from there from
    // now on and its own file goes. False, changing nothing, while recording or when that file
    // does not hold exactly the take.
    bool takeSavedAs(const QString& path);

    // Drops the take and removes its file.
    void clear();

    // Stops, with every byte delivered in the take and its header saying so, and leaves a take
    // not yet saved on disk when it is dropped: the program ends without asking, and the next
    // start offers the take.
    void leaveTake();

    // Blocks dropped because the ring was full, since the last clear().
    std::uint64_t overruns() const { return m_overruns.load(std::memory_order_relaxed); }

    // Why the take stopped growing by itself; None while it grows or after a new start().
    TakeFault fault() const { return m_fault.load(std::memory_order_acquire); }

private:
    void deliver(const std::uint8_t* bytes, int count);
    void drain();
    void work();
    bool makeWritableTake(const CaptureFormat& format);

    std::unique_ptr<CaptureDevice> m_device;
    CaptureFormat m_format;
    bool m_running = false;
    QString m_takeFolder;
    TakeFile::WriteFunction m_write;

    // Written by the device's thread, read by the worker; sized on the UI thread before the
    // device starts.
    SpscRing<std::uint8_t> m_ring;
    std::atomic<std::uint64_t> m_overruns { 0 };
    std::atomic<TakeFault> m_fault { TakeFault::None };

    std::shared_ptr<TakeFile> m_take;
    std::thread m_worker;
    std::atomic<bool> m_stopWorker { false };
    // Released by the callback (at most once until the worker has woken) and by stop().
    std::counting_semaphore<8> m_wake { 0 };
    std::atomic<bool> m_wakeAsked { false };
};
