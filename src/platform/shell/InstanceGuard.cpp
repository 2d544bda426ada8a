#include "platform/shell/InstanceGuard.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

LockFileInstanceGuard::LockFileInstanceGuard(QString lockPath)
    : m_lockPath(std::move(lockPath))
{}

LockFileInstanceGuard::~LockFileInstanceGuard() = default;

QString LockFileInstanceGuard::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/kadentor.lock");
}

bool LockFileInstanceGuard::anotherInstanceRunning()
{
    if (m_lock && m_lock->isLocked())
        return false;
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock whose owner no longer runs is stale and removed by tryLock itself.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return false;
    return m_lock->error() == QLockFile::LockFailedError;
}
