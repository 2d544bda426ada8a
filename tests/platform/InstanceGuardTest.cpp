#include "platform/shell/InstanceGuard.h"

#include "FileBytes.h"
#include "WithoutRoot.h"

#include <csignal>
#include <cstdio>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another copy of the program: a child process that takes the lock at `path` through its own
// guard and keeps it until it is killed. Its pid once it holds the lock, else -1.
pid_t copyHoldingTheLock(const QString& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        LockFileInstanceGuard guard(path);
        const char answer = guard.anotherInstanceRunning() ? 'r' : 'h';
        if (::write(ready[1], &answer, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    const bool holds = child > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'h';
    ::close(ready[0]);
    if (child > 0 && !holds) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return holds ? child : -1;
}

void killCopy(pid_t copy)
{
    ::kill(copy, SIGKILL);
    ::waitpid(copy, nullptr, 0);
}

class InstanceGuardTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_lock = m_dir.path() + QStringLiteral("/kadentor.lock");
};

TEST_F(InstanceGuardTest, SecondCopySeesTheFirstUntilItEnds)
{
    auto first = std::make_unique<LockFileInstanceGuard>(m_lock);
    EXPECT_FALSE(first->anotherInstanceRunning());
    // Asking again from the copy that holds the lock does not find itself.
    EXPECT_FALSE(first->anotherInstanceRunning());

    LockFileInstanceGuard second(m_lock);
    EXPECT_TRUE(second.anotherInstanceRunning());

    first.reset();
    LockFileInstanceGuard third(m_lock);
    EXPECT_FALSE(third.anotherInstanceRunning());
}

TEST_F(InstanceGuardTest, ARunningCopyBlocksEveryStartAndItsDeathByKillFreesThem)
{
    const pid_t copy = copyHoldingTheLock(m_lock);
    ASSERT_GT(copy, 0);
    for (int start = 0; start < 2; ++start) {
        LockFileInstanceGuard guard(m_lock);
        EXPECT_TRUE(guard.anotherInstanceRunning()) << start;
    }
    // A guard that saw the copy and went leaves the copy's file alone.
    EXPECT_TRUE(QFileInfo::exists(m_lock));

    killCopy(copy);
    ASSERT_TRUE(QFileInfo::exists(m_lock)) << "the killed copy left its file";
    LockFileInstanceGuard next(m_lock);
    EXPECT_FALSE(next.anotherInstanceRunning());
    // ...and the copy started now blocks the one after it, in another process too.
    LockFileInstanceGuard after(m_lock);
    EXPECT_TRUE(after.anotherInstanceRunning());
    EXPECT_EQ(copyHoldingTheLock(m_lock), -1);
}

TEST_F(InstanceGuardTest, AFileLeftByACrashIsNoLockWhateverItHolds)
{
    const QByteArray leftovers[] = {
        QByteArray(), // the crash came before anything was written
        QByteArray("\x00\x00\x00\x00", 4), QByteArray("\xff\xfe garbage\nwithout a number"),
        QByteArray("12"), // cut off half-way through a pid
    };
    for (const QByteArray& leftover : leftovers) {
        SCOPED_TRACE(leftover.toHex().toStdString());
        ASSERT_TRUE(writeFileBytes(m_lock, leftover));
        {
            LockFileInstanceGuard start(m_lock);
            EXPECT_FALSE(start.anotherInstanceRunning());
            LockFileInstanceGuard second(m_lock);
            EXPECT_TRUE(second.anotherInstanceRunning());
        }
        EXPECT_FALSE(QFileInfo::exists(m_lock)) << "an ended copy takes its file with it";
    }
}

TEST_F(InstanceGuardTest, AFolderThatCannotHoldTheLockLetsTheStartGoOn)
{
    LockFileInstanceGuard missing(m_dir.path() + QStringLiteral("/gone/kadentor.lock"));
    EXPECT_FALSE(missing.anotherInstanceRunning());

    const QString folder = m_dir.path() + QStringLiteral("/read-only");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(setMode(folder, 0555));
    EXPECT_TRUE(withoutRoot(m_dir.path(), [&] {
        LockFileInstanceGuard guard(folder + QStringLiteral("/kadentor.lock"));
        EXPECT_FALSE(guard.anotherInstanceRunning());
    }));
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(InstanceGuardTest, TheLockLivesInTheRuntimeFolder)
{
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    ASSERT_TRUE(setMode(m_dir.path(), 0700));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    const QString path = LockFileInstanceGuard::defaultLockPath();
    if (wasSet)
        qputenv("XDG_RUNTIME_DIR", before);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(path, m_dir.path() + QStringLiteral("/kadentor.lock"));
}

} // namespace
