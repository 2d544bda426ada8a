#pragma once

#include <memory>

#include <QString>

class QLockFile;

// Tells at start-up whether another copy of the program already runs for this user. The first
// copy holds a lock until it exits; a lock left by a crashed copy is taken over.
class InstanceGuard
{
public:
    virtual ~InstanceGuard() = default;

    // Takes the lock when it is free; true when another running copy holds it.
    virtual bool anotherInstanceRunning() = 0;
};

class LockFileInstanceGuard : public InstanceGuard
{
public:
    explicit LockFileInstanceGuard(QString lockPath);
    ~LockFileInstanceGuard() override;

    // A lock file in the user's runtime folder (or the temporary folder).
    static QString defaultLockPath();

    bool anotherInstanceRunning() override;

private:
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
};
