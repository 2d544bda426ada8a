#include "platform/files/FileStore.h"

#include "platform/files/PendingFile.h"

#include <cerrno>

#include <QFile>
#include <QFileInfo>

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

// The program's parts: every write sweeps those of dead owners from its target's folder.
constexpr char kPartPrefix[] = ".kadentor-";

} // namespace

bool DiskFileStore::beforeRename(const QString&, QString*)
{
    return true;
}

PendingFile::Naming DiskFileStore::naming() const
{
    return PendingFile::Naming::UnnamedWherePossible;
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

    struct stat old = {};
    const bool existed = ::stat(targetName.constData(), &old) == 0;

    // Unnamed until complete: a write killed at any moment leaves nothing beside the target.
    PendingFile file;
    if (!file.create(targetName.toStdString(), kPartPrefix, 0666, naming()))
        return failWithErrno(error, target);
    const int fd = file.fd();
    int err = 0;
    const Sink sink = [fd, &err](const char* bytes, qint64 count) {
        if (err == 0 && !writeAll(fd, bytes, count))
            err = errno;
        return err == 0;
    };
    // A file that existed keeps its permissions; a new one has what the user's mask allows.
    if (existed && ::fchmod(fd, old.st_mode & 07777) != 0)
        err = errno;
    // A producer that gives up without a refused piece has nothing of the system to tell.
    else if (!produce(sink) && err == 0)
        err = EIO;
    // A full disk or a lost network share may show only here.
    else if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (err != 0) {
        file.discard();
        errno = err;
        return failWithErrno(error, target);
    }
    if (!file.nameAsPart())
        return failWithErrno(error, target);
    if (!beforeRename(target, error))
        return false;
    if (!file.replaceTarget())
        return failWithErrno(error, target);
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
