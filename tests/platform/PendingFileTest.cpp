#include "platform/files/PendingFile.h"

#include "FileBytes.h"
#include "KilledChild.h"

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

// A sweep takes a part only when both tell that its owner is gone: no lock on it, and no running
// process of its id and start time. A writer in this process, one between making its part and
// locking it, and one whose id means nothing here (another container) keep theirs; another kind's
// parts and names that only look like parts stay.
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
        QStringLiteral(".wavpress-%1-00000000000000ab.part").arg(dead),
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

} // namespace
