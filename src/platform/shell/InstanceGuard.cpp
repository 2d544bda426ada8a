#include "platform/shell/InstanceGuard.h"

#include "platform/files/OpenFileName.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

LockFileInstanceGuard::LockFileInstanceGuard(QString lockPath)
    : m_lockPath(std::move(lockPath))
{}

LockFileInstanceGuard::~LockFileInstanceGuard()
{
    if (m_fd < 0)
        return;
    // Removed while still locked: a copy starting now either locks the old file and then finds
    // it gone (and tries again), or makes a new one.
    const QByteArray path = QFile::encodeName(m_lockPath);
    if (namesOpenFile(path, m_fd))
        ::unlink(path.constData());
    ::close(m_fd);
}

QString LockFileInstanceGuard::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/kadentor.lock");
}

bool LockFileInstanceGuard::anotherInstanceRunning()
{
    if (m_fd >= 0)
        return false;
    const QByteArray path = QFile::encodeName(m_lockPath);
    // A few rounds at most: each lost one means a copy ending and removing its file meanwhile.
    for (int round = 0; round < 8; ++round) {
        // Never through a link: in a shared temporary folder it could point anywhere.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held;
        }
        // The file may have been removed by a copy that ended between the open and the lock:
        // a lock on a file nobody else can find guards nothing.
        if (namesOpenFile(path, fd)) {
            m_fd = fd;
            return false;
        }
        ::close(fd);
    }
    return false;
}
