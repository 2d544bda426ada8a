#pragma once

#include "platform/audio/CaptureDevice.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include <sys/types.h>

// Why a take stopped growing before it was told to.
enum class TakeFault {
    None,
    DiskFull, // no room left on the disk (or in the user's quota)
    SizeLimit, // the most data a WAV file can hold
    WriteFailed, // any other error of the disk
};

// One take on disk as a WAV file with its samples from byte 44 on: either the recording's own
// temporary file, which the capture appends to as it records, or the WAV file the take was last
// saved to, which it is read from afterwards so that the temporary one can go. The header of a
// temporary take is rewritten as it grows: what a crash leaves behind is a WAV file that any
// player opens, short only by the last moments.
//
// A temporary take is locked (an open file description's write lock, fcntl F_OFD_SETLK) for as
// long as its object lives. The kernel drops the lock however the process ends, so a take whose
// lock can be taken is one whose program is gone: that tells a take left behind from one still
// being recorded by a running copy, where the process id in the name cannot (ids are reused).
//
// Threads: append() and writeHeader() for one writer thread at a time; dataBytes() and read()
// for any thread; the rest for the UI thread. A temporary take is removed when the object goes,
// unless it was left on disk. Units: bytes of PCM in the take's format. Errors: see each call;
// nothing throws.
class TakeFile
{
public:
    // Writes like pwrite(2). The capture takes a test's stand-in that fails as a full disk does.
    using WriteFunction =
        std::function<ssize_t(int fd, const void* bytes, std::size_t count, off_t offset)>;

    static constexpr std::int64_t kDataOffset = 44;

    // A new, empty take in `folder` (made when missing), "take-<process id>-XXXXXX.wav", locked,
    // with the header for no samples written (so that the file tells its format from the
    // start). Null, with `*error` set, when the file cannot be made.
    static std::unique_ptr<TakeFile> create(
        const QString& folder, const CaptureFormat& format, QString* error);

    // The WAV file at `path` when it holds exactly a canonical header for `format` and
    // `dataBytes` of samples (and the pad byte after odd data): what a save of the take has just
    // written. Null otherwise.
    static std::unique_ptr<TakeFile> openSaved(
        const QString& path, const CaptureFormat& format, std::int64_t dataBytes);

    // The takes in `folder` that a program which did not close left behind (a crash, a kill),
    // oldest first: each "take-*.wav" whose lock could be taken, read-only and locked for as long
    // as its object lives, so that no other copy offers it meanwhile. A take is read by its
    // header's format and by its file's length, not by the sizes in its header (a kill leaves
    // them a moment behind; a file cut short holds less): whole frames from byte 44 to the end.
    // A file of which nothing can be read that way (no canonical header of a format a take can
    // have, or no whole frame after it) is removed here. A take still locked (its program runs)
    // and anything that cannot be opened or locked (another user's, a file system without
    // locks) is never touched.
    static std::vector<std::unique_ptr<TakeFile>> leftIn(const QString& folder);

    ~TakeFile();
    TakeFile(const TakeFile&) = delete;
    TakeFile& operator=(const TakeFile&) = delete;

    const CaptureFormat& format() const { return m_format; }

    const QString& path() const { return m_path; }

    bool temporary() const { return m_temporary; }

    // The file stays where it is when the object goes: the program ends with a take the user
    // was not asked about, which the next start offers. Unlocked when the object goes.
    void leaveOnDisk() { m_leave = true; }

    // Removes the file now (a take from leftIn() that the user let go or saved elsewhere); reads
    // go on from the open file. False when it cannot be removed, or its path names another file
    // by now (one saved over it).
    bool remove();

    // The most samples a WAV file holds in `format`, in whole frames (just under 4 GiB).
    static std::int64_t maxDataBytes(const CaptureFormat& format);

    std::int64_t dataBytes() const { return m_dataBytes.load(std::memory_order_acquire); }

    // Writer: appends whole frames after the samples. None, or the fault that stopped it: then the
    // take ends at the last whole frame that went in and the rest is dropped. A saved take takes
    // nothing (WriteFailed).
    TakeFault append(const std::uint8_t* bytes, std::size_t count, const WriteFunction& write);

    // Writer: rewrites the header for the samples there now. None or the fault.
    TakeFault writeHeader(const WriteFunction& write);

    // Any thread: `count` bytes of samples from `offset`. False when they are not all there or
    // the disk fails.
    bool read(std::int64_t offset, void* into, std::size_t count) const;

private:
    TakeFile(int fd, QString path, const CaptureFormat& format, bool temporary, std::int64_t bytes);

    int m_fd;
    QString m_path;
    CaptureFormat m_format;
    bool m_temporary;
    bool m_leave = false;
    std::atomic<std::int64_t> m_dataBytes;
};
