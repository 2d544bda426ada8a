#include "platform/files/FileStore.h"

#include <cerrno>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool failWithErrno(QString* error, const QString& what)
{
    return fail(error, what + QStringLiteral(": ") + qt_error_string(errno));
}

bool writeAll(int fd, const char* at, qint64 left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        at += n;
        left -= n;
    }
    return true;
}

// Makes a rename durable: without it a crash can bring back the old directory entry.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool DiskFileStore::beforeRename(const QString&, QString*)
{
    return true;
}

bool DiskFileStore::writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    return write(
        path,
        [&bytes](const Sink& sink) {
            return sink(bytes.constData(), bytes.size());
        },
        error);
}

bool DiskFileStore::writeStreamed(const QString& path, const Producer& produce, QString* error)
{
    return write(path, produce, error);
}

bool DiskFileStore::write(const QString& path, const Producer& produce, QString* error)
{
    if (path.isEmpty())
        return fail(error, QStringLiteral("no file name"));
    QFileInfo info(path);
    // Replacing a link with a plain file would cut it from the file it shares.
    QString target = info.absoluteFilePath();
    if (info.isSymLink()) {
        // A chain of links ends in one file; a dangling link names the file it will point to.
        target = info.canonicalFilePath();
        if (target.isEmpty())
            target = info.symLinkTarget();
    }
    if (QFileInfo(target).isDir())
        return fail(error, target + QStringLiteral(": ") + qt_error_string(EISDIR));
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());

    struct stat old = {};
    const bool existed = ::stat(targetName.constData(), &old) == 0;

    // A unique name beside the target: two programs saving at once never write into one file.
    QByteArray tempName = targetName + ".XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        return failWithErrno(error, target);
    // mkostemp makes the file private; give it what the old file had, else what the user's
    // mask allows a new file.
    mode_t mode = 0666;
    if (existed) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    int err = 0;
    const Sink sink = [fd, &err](const char* bytes, qint64 count) {
        if (err == 0 && !writeAll(fd, bytes, count))
            err = errno;
        return err == 0;
    };
    if (::fchmod(fd, mode) != 0)
        err = errno;
    // A producer that gives up without a refused piece has nothing of the system to tell.
    else if (!produce(sink) && err == 0)
        err = EIO;
    else if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    // A full disk or a lost network share may show only here.
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(tempName.constData());
        errno = err;
        return failWithErrno(error, target);
    }
    if (!beforeRename(target, error)) {
        ::unlink(tempName.constData());
        return false;
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        errno = err;
        return failWithErrno(error, target);
    }
    syncFolder(folder);
    return true;
}

std::optional<QByteArray> DiskFileStore::readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<FileStamp> DiskFileStore::stamp(const QString& path)
{
    struct stat st
    {
    };

    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return FileStamp { static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_size), ns(st.st_mtim), ns(st.st_ctim) };
}
