#include "TagFile.h"

#include <cerrno>
#include <cstring>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TagFile::TagFile(TagWriter writer, TagOpener opener)
    : m_writer(writer ? std::move(writer) : TagWriter(::pwrite))
    , m_opener(opener ? std::move(opener) : TagOpener([](const char* path, int flags) {
        return ::open(path, flags);
    }))
{}

TagFile::~TagFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TagFile::fail()
{
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool TagFile::open(const QString& path, Access access)
{
    const int mode = access == Access::Read ? O_RDONLY
        : access == Access::Write           ? O_WRONLY
                                            : O_RDWR;
    m_fd = m_opener(QFile::encodeName(path).constData(), mode | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return fail();

    struct stat info
    {
    };

    if (::fstat(m_fd, &info) != 0)
        return fail();
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return fail();
    }
    return true;
}

qint64 TagFile::length()
{
    struct stat info
    {
    };

    if (::fstat(m_fd, &info) != 0) {
        fail();
        return -1;
    }
    return info.st_size;
}

QByteArray TagFile::readAt(qint64 offset, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(m_fd, bytes.data() + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file shrank under us
            fail();
            return {};
        }
        done += n;
    }
    return bytes;
}

bool TagFile::writeAll(qint64 offset, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = m_writer(m_fd, bytes.constData() + done,
            static_cast<size_t>(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return fail();
        }
        done += n;
    }
    return true;
}

bool TagFile::replace(
    qint64 offset, const QByteArray& bytes, const QByteArray& oldBytes, qint64 oldLength)
{
    if (writeAll(offset, bytes))
        return true;
    const QString error = m_error;
    if (!oldBytes.isEmpty())
        writeAll(offset, oldBytes);
    if (length() > oldLength) {
        [[maybe_unused]] const int cut = ::ftruncate(m_fd, oldLength);
    }
    m_error = error;
    return false;
}

bool TagFile::truncate(qint64 length)
{
    return ::ftruncate(m_fd, length) == 0 || fail();
}
