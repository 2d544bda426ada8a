#include "platform/audio/TakeFile.h"

#include "platform/audio/RiffChunks.h"
#include "platform/audio/WavWriter.h"
#include "platform/files/OpenFileName.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TakeFault faultOf(int error)
{
    return error == ENOSPC || error == EDQUOT ? TakeFault::DiskFull : TakeFault::WriteFailed;
}

// Writes all of `count` at `offset`; the bytes that went in (all of them unless `*fault` is set).
std::size_t writeAll(int fd,
    const std::uint8_t* bytes,
    std::size_t count,
    off_t offset,
    const TakeFile::WriteFunction& write,
    TakeFault* fault)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = write(fd, bytes + done, count - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing and gives no reason is a disk that fails.
            *fault = n == 0 ? TakeFault::WriteFailed : faultOf(errno);
            return done;
        }
        done += static_cast<std::size_t>(n);
    }
    *fault = TakeFault::None;
    return done;
}

// Takes the take's lock without waiting. False when another open file holds it (errno EAGAIN or
// EACCES) or the file system has no such locks.
bool lockTake(int fd)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    // From byte 0 with no length: the whole file, however far it grows.
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// The format of a take's header: a canonical header (as wavHeader lays it out) for some format,
// whatever its two sizes say. Nothing when the file holds no such header.
std::optional<CaptureFormat> headerFormat(int fd)
{
    std::uint8_t head[TakeFile::kDataOffset];
    if (::pread(fd, head, sizeof head, 0) != off_t(sizeof head))
        return std::nullopt;
    const riff::FormatFields fields = riff::formatFields(head + 20);
    const CaptureFormat format { int(fields.rate), int(fields.channels), int(fields.bits) };
    const QByteArray canonical =
        wavHeader(format.channels, format.sampleRate, format.bitsPerSample, 0);
    // "RIFF", then "WAVE", the whole "fmt " chunk and the "data" id; the sizes between are not
    // looked at.
    if (canonical.size() != TakeFile::kDataOffset
        || std::memcmp(head, canonical.constData(), 4) != 0
        || std::memcmp(head + 8, canonical.constData() + 8, 32) != 0)
        return std::nullopt;
    return format;
}

} // namespace

TakeFile::TakeFile(
    int fd, QString path, const CaptureFormat& format, bool temporary, std::int64_t bytes)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_format(format)
    , m_temporary(temporary)
    , m_dataBytes(bytes)
{}

TakeFile::~TakeFile()
{
    // Removed before it is closed, so that no start finds it unlocked in between.
    if (m_temporary && !m_leave)
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

std::unique_ptr<TakeFile> TakeFile::create(
    const QString& folder, const CaptureFormat& format, QString* error)
{
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        *error = folder + QStringLiteral(": the folder cannot be made");
        return nullptr;
    }
    // The process id tells whose take a file left behind by a crash was.
    const QByteArray pattern =
        QFile::encodeName(folder + QStringLiteral("/take-%1-XXXXXX.wav").arg(::getpid()));
    // A start looking for left takes may lock a new file in the moment between its making and its
    // locking here, and then removes it as empty: the take goes into another file.
    for (int round = 0; round < 8; ++round) {
        QByteArray name = pattern;
        const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
        if (fd < 0) {
            *error = folder + QStringLiteral(": ") + qt_error_string(errno);
            return nullptr;
        }
        const bool locked = lockTake(fd);
        if ((!locked && (errno == EAGAIN || errno == EACCES))
            || (locked && !namesOpenFile(name, fd))) {
            ::close(fd);
            continue;
        }
        // Unlocked only on a file system without such locks: a start there leaves it alone.
        auto take =
            std::unique_ptr<TakeFile>(new TakeFile(fd, QFile::decodeName(name), format, true, 0));
        // A disk that refuses these bytes refuses the first samples too, and says so then.
        (void)take->writeHeader(::pwrite);
        return take;
    }
    *error = folder + QStringLiteral(": no take file could be locked");
    return nullptr;
}

std::vector<std::unique_ptr<TakeFile>> TakeFile::leftIn(const QString& folder)
{
    std::vector<std::unique_ptr<TakeFile>> left;
    if (folder.isEmpty())
        return left;
    const QFileInfoList files = QDir(folder).entryInfoList({ QStringLiteral("take-*.wav") },
        QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Time | QDir::Reversed);
    for (const QFileInfo& file : files) {
        const QByteArray path = QFile::encodeName(file.filePath());
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st = {};
        // The lock first: only then is it certain that no program writes the file any more.
        if (!lockTake(fd) || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
            || !namesOpenFile(path, fd)) {
            ::close(fd);
            continue;
        }
        const std::optional<CaptureFormat> format = headerFormat(fd);
        std::int64_t bytes = 0;
        if (format) {
            bytes = std::min<std::int64_t>(st.st_size - kDataOffset, maxDataBytes(*format));
            bytes -= bytes % format->bytesPerFrame();
        }
        if (bytes <= 0) {
            ::unlink(path.constData());
            ::close(fd);
            continue;
        }
        left.push_back(
            std::unique_ptr<TakeFile>(new TakeFile(fd, file.filePath(), *format, false, bytes)));
    }
    return left;
}

bool TakeFile::remove()
{
    // A file saved over the take under its own name is the user's now.
    const QByteArray path = QFile::encodeName(m_path);
    return namesOpenFile(path, m_fd) && ::unlink(path.constData()) == 0;
}

std::unique_ptr<TakeFile> TakeFile::openSaved(
    const QString& path, const CaptureFormat& format, std::int64_t dataBytes)
{
    if (dataBytes < 0 || dataBytes > maxDataBytes(format))
        return nullptr;
    const QByteArray header =
        wavHeader(format.channels, format.sampleRate, format.bitsPerSample, quint32(dataBytes));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto saved = std::unique_ptr<TakeFile>(new TakeFile(fd, path, format, false, dataBytes));
    struct stat st = {};
    QByteArray found(kDataOffset, '\0');
    if (header.size() != kDataOffset || ::fstat(fd, &st) != 0
        || st.st_size != kDataOffset + dataBytes + (dataBytes & 1)
        || ::pread(fd, found.data(), kDataOffset, 0) != kDataOffset || found != header)
        return nullptr;
    return saved;
}

std::int64_t TakeFile::maxDataBytes(const CaptureFormat& format)
{
    // The RIFF size (36 bytes of header after it, the data and the pad byte of odd data) is 32
    // bits.
    constexpr std::int64_t kMost = 0xFFFFFFFFLL - (kDataOffset - 8) - 1;
    const std::int64_t frame = std::max(format.bytesPerFrame(), 1);
    return kMost - kMost % frame;
}

TakeFault TakeFile::append(const std::uint8_t* bytes, std::size_t count, const WriteFunction& write)
{
    if (!m_temporary)
        return TakeFault::WriteFailed;
    const std::int64_t had = dataBytes();
    const std::size_t fits = static_cast<std::size_t>(
        std::min<std::int64_t>(std::int64_t(count), maxDataBytes(m_format) - had));
    TakeFault fault = TakeFault::None;
    const std::size_t done = writeAll(m_fd, bytes, fits, off_t(kDataOffset + had), write, &fault);
    if (fault == TakeFault::None && fits < count)
        fault = TakeFault::SizeLimit;
    const std::int64_t frame = m_format.bytesPerFrame();
    const std::int64_t now = had + std::int64_t(done) - std::int64_t(done) % frame;
    // A frame cut in two is no sample of the take.
    if (std::int64_t(done) % frame != 0)
        (void)::ftruncate(m_fd, off_t(kDataOffset + now));
    m_dataBytes.store(now, std::memory_order_release);
    return fault;
}

TakeFault TakeFile::writeHeader(const WriteFunction& write)
{
    const QByteArray header = wavHeader(
        m_format.channels, m_format.sampleRate, m_format.bitsPerSample, quint32(dataBytes()));
    TakeFault fault = TakeFault::None;
    writeAll(m_fd, reinterpret_cast<const std::uint8_t*>(header.constData()),
        std::size_t(header.size()), 0, write, &fault);
    return fault;
}

bool TakeFile::read(std::int64_t offset, void* into, std::size_t count) const
{
    if (offset < 0 || offset + std::int64_t(count) > dataBytes())
        return false;
    auto* at = static_cast<std::uint8_t*>(into);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(m_fd, at + done, count - done, off_t(kDataOffset + offset) + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
