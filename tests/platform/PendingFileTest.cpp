#include "platform/files/PendingFile.h"

#include "FileBytes.h"
#include "KilledChild.h"

#include <csignal>
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kPrefix = ".kadentor-";

std::string encoded(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QStringList parts(const QString& folder)
{
    return folderEntries(folder).filter(QStringLiteral(".part"));
}

// A process that has ended: its id names no running process.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// A process killed at each moment of a write leaves the old file whole, and at most a part that
// the next write of its kind into the folder removes; a write of another kind leaves it alone.
TEST(PendingFileTest, AWriterKilledAtAnyMomentLeavesOnlyWhatTheNextWriteRemoves)
{
    struct Case
    {
        const char* name;
        PendingFile::Naming naming;
        bool killedAfterNaming;
    };

    const Case cases[] = {
        { "unnamed, killed while writing", PendingFile::Naming::UnnamedWherePossible, false },
        { "unnamed, killed between its link and the rename",
            PendingFile::Naming::UnnamedWherePossible, true },
        { "part file, killed while writing", PendingFile::Naming::PartFile, false },
        { "part file, killed before the rename", PendingFile::Naming::PartFile, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString target = dir.filePath(QStringLiteral("take.wav"));
        ASSERT_TRUE(writeFileBytes(target, QByteArray("old")));

        EXPECT_TRUE(killedInside([&] {
            PendingFile file;
            if (!file.create(encoded(target), kPrefix, 0644, c.naming))
                return;
            const std::string block(1 << 20, 'n');
            if (::write(file.fd(), block.data(), block.size()) != ssize_t(block.size()))
                return;
            if (c.killedAfterNaming && !file.nameAsPart())
                return;
            std::raise(SIGKILL);
        }));
        EXPECT_EQ(fileBytes(target), "old");
        const bool leftNothing = c.naming == PendingFile::Naming::UnnamedWherePossible
            && !c.killedAfterNaming && makesUnnamedFiles(dir.path());
        EXPECT_EQ(parts(dir.path()).size(), leftNothing ? 0 : 1)
            << folderEntries(dir.path()).join(u' ').toStdString();

        PendingFile other;
        ASSERT_TRUE(other.create(encoded(dir.filePath(QStringLiteral("x.mp3"))), ".wavpress-", 0644,
            PendingFile::Naming::PartFile));
        other.discard();
        EXPECT_EQ(parts(dir.path()).size(), leftNothing ? 0 : 1);

        PendingFile next;
        ASSERT_TRUE(next.create(encoded(target), kPrefix, 0644, c.naming));
        ASSERT_EQ(::write(next.fd(), "new", 3), 3);
        ASSERT_TRUE(next.replaceTarget());
        EXPECT_EQ(fileBytes(target), "new");
        EXPECT_EQ(folderEntries(dir.path()), QStringList { QStringLiteral("take.wav") });
    }
}

// A sweep takes a part only when both tell that its owner is gone: no lock on it, and no running
// process of its id and start time. A writer in this process, one between making its part and
// locking it, and one whose id means nothing here (another container) keep theirs; names that
// only look like parts stay.
TEST(PendingFileTest, ASweepRemovesOnlyPartsWhoseOwnerIsGone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PendingFile writing;
    ASSERT_TRUE(writing.create(encoded(dir.filePath(QStringLiteral("a.wav"))), kPrefix, 0644,
        PendingFile::Naming::PartFile));
    const QStringList mine = parts(dir.path());
    ASSERT_EQ(mine.size(), 1);
    // This process's id and start time, as its own part carries them.
    const QString self = mine.front().mid(int(kPrefix.size())).section(u'-', 0, 1);
    const QString dead = QString::number(endedProcess()) + QStringLiteral("-12345");

    const QString unlockedLive = QStringLiteral(".kadentor-%1-00000000000000aa.part").arg(self);
    const QString lockedDead = QStringLiteral(".kadentor-%1-00000000000000bb.part").arg(dead);
    const QString deadOne = QStringLiteral(".kadentor-%1-00000000000000cc.part").arg(dead);
    const QStringList lookalikes = {
        QStringLiteral(".kadentor-notes.part"),
        QStringLiteral(".kadentor-%1-0000000000000zzz.part").arg(dead),
        QStringLiteral(".kadentor-%1-00000000000000dd.partial").arg(dead),
        QStringLiteral(".kadentor--1-2-00000000000000ee.part"),
        QStringLiteral("kadentor-%1-00000000000000ff.part").arg(dead),
    };
    for (const QString& name : QStringList { unlockedLive, lockedDead, deadOne } + lookalikes)
        ASSERT_TRUE(writeFileBytes(dir.filePath(name), QByteArray("x")));
    const QString deadFolder = QStringLiteral(".kadentor-%1-0000000000000011.part").arg(dead);
    ASSERT_TRUE(QDir(dir.path()).mkdir(deadFolder));
    const int held =
        ::open(QFile::encodeName(dir.filePath(lockedDead)).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(PendingFile::sweep(encoded(dir.path()), kPrefix), 1);
    const QStringList left = folderEntries(dir.path());
    EXPECT_FALSE(left.contains(deadOne));
    for (const QString& kept :
        QStringList { mine.front(), unlockedLive, lockedDead, deadFolder } + lookalikes)
        EXPECT_TRUE(left.contains(kept)) << kept.toStdString();

    // Its lock gone, the part of the other container's writer goes too; a live writer's stays.
    ::close(held);
    EXPECT_EQ(PendingFile::sweep(encoded(dir.path()), kPrefix), 1);
    EXPECT_FALSE(folderEntries(dir.path()).contains(lockedDead));
    EXPECT_TRUE(folderEntries(dir.path()).contains(mine.front()));
    writing.discard();
    EXPECT_FALSE(folderEntries(dir.path()).contains(mine.front()));
}

// The published file: the user's mask applies to a new one, an old file of that name is replaced
// whole, and a failed rename (a folder in the way) leaves nothing behind.
TEST(PendingFileTest, PublishingReplacesTheTargetOrLeavesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const mode_t mask = ::umask(027);
    for (const PendingFile::Naming naming :
        { PendingFile::Naming::UnnamedWherePossible, PendingFile::Naming::PartFile }) {
        SCOPED_TRACE(naming == PendingFile::Naming::PartFile ? "part file" : "unnamed");
        const QString target = dir.filePath(QStringLiteral("out.mp3"));
        QFile::remove(target);
        PendingFile file;
        ASSERT_TRUE(file.create(encoded(target), kPrefix, 0666, naming));
        ASSERT_EQ(::write(file.fd(), "complete", 8), 8);
        EXPECT_FALSE(QFile::exists(target));
        ASSERT_TRUE(file.replaceTarget());
        EXPECT_EQ(fileBytes(target), "complete");
        EXPECT_EQ(QFile::permissions(target),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                | QFile::ReadGroup);
        EXPECT_EQ(file.fd(), -1);

        const QString folder = dir.filePath(QStringLiteral("in the way"));
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
        ASSERT_TRUE(file.create(encoded(folder), kPrefix, 0666, naming));
        EXPECT_FALSE(file.replaceTarget());
        EXPECT_EQ(folderEntries(dir.path()),
            QStringList({ QStringLiteral("in the way"), QStringLiteral("out.mp3") }));
        ASSERT_TRUE(QDir(folder).removeRecursively());
    }
    ::umask(mask);

    PendingFile missing;
    EXPECT_FALSE(missing.create(encoded(dir.filePath(QStringLiteral("none/out.mp3"))), kPrefix,
        0666, PendingFile::Naming::UnnamedWherePossible));
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
