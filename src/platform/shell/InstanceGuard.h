#pragma once

#include <QString>

// Tells at start-up whether another copy of the program already runs for this user. The first
// copy holds a lock until it exits; a lock left by a crashed copy is taken over.
class InstanceGuard
{
public:
    virtual ~InstanceGuard() = default;

    // Takes the lock when it is free; true when another running copy holds it.
    virtual bool anotherInstanceRunning() = 0;
};

// A kernel lock (flock) on a file, held for the life of the guard. The kernel drops it when the
// process ends however it ends (SIGKILL, a crash), so only a living copy ever blocks a start;
// what the file holds does not matter, and an empty or garbled file left by a crash is no lock.
// A file that cannot be opened or locked (a read-only or missing folder, a file system without
// locks) lets the start go on unguarded rather than keep the user out. The file is removed when
// the guard that holds it goes. UI thread.
class LockFileInstanceGuard : public InstanceGuard
{
public:
    explicit LockFileInstanceGuard(QString lockPath);
    ~LockFileInstanceGuard() override;
    LockFileInstanceGuard(const LockFileInstanceGuard&) = delete;
    LockFileInstanceGuard& operator=(const LockFileInstanceGuard&) = delete;

    // A lock file in the user's runtime folder (or the temporary folder).
    static QString defaultLockPath();

    bool anotherInstanceRunning() override;

private:
    QString m_lockPath;
    // The locked file while held, else -1.
    int m_fd = -1;
};
