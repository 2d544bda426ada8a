#include "FileBytes.h"
#include "KilledChild.h"
#include "platform/FakePlatform.h"
#include "platform/files/FakeFileStore.h"

#include <csignal>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class FileStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("Pattern.dat"));
    FakeFileStore m_files;
    QString m_error;

    std::string folderEntries() const
    {
        return ::folderEntries(m_dir.path()).join(u' ').toStdString();
    }
};

TEST_F(FileStoreTest, WritesReplaceWholeFilesAndKeepTheirPermissions)
{
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(m_files.writeAtomically(m_path, "first", &m_error)) << m_error.toStdString();
    EXPECT_EQ(fileBytes(m_path), "first");
    EXPECT_EQ(modeOf(m_path), 0644u);

    // A longer file then a shorter one: nothing of the longer one may remain.
    ASSERT_TRUE(m_files.writeAtomically(m_path, "a much longer second text", &m_error));
    ::chmod(QFile::encodeName(m_path).constData(), 0604);
    ASSERT_TRUE(m_files.writeAtomically(m_path, QByteArray(), &m_error));
    EXPECT_EQ(fileBytes(m_path), QByteArray());
    EXPECT_EQ(modeOf(m_path), 0604u);
    ::umask(mask);

    ASSERT_EQ(m_files.writes.size(), 3u);
    EXPECT_EQ(m_files.writes[1].bytes, "a much longer second text");
    EXPECT_TRUE(m_files.writes[2].done);
    EXPECT_EQ(folderEntries(), "Pattern.dat");
}

TEST_F(FileStoreTest, FailuresLeaveTheOldFileAndNothingBeside)
{
    const QString folder = m_dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeFileBytes(m_path, "old"));

    struct Case
    {
        const char* name;
        QString path;
        FakeFileStore::Fail fail;
    };

    const Case cases[] = {
        { "crash before the rename", m_path, FakeFileStore::Fail::BeforeRename },
        { "disk full", m_path, FakeFileStore::Fail::BeforeWrite },
        { "missing folder", m_dir.filePath(QStringLiteral("none/Pattern.dat")),
            FakeFileStore::Fail::Never },
        { "a folder where the file goes", folder, FakeFileStore::Fail::Never },
        { "no name", QString(), FakeFileStore::Fail::Never },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_files.fail = c.fail;
        m_error.clear();
        EXPECT_FALSE(m_files.writeAtomically(c.path, "new", &m_error));
        EXPECT_FALSE(m_error.isEmpty());
        EXPECT_FALSE(m_files.writes.back().done);
        EXPECT_EQ(fileBytes(m_path), "old");
        EXPECT_TRUE(QFileInfo(folder).isDir());
        EXPECT_EQ(folderEntries(), "Pattern.dat folder");
    }
    // A caller that does not want the text may pass none.
    m_files.fail = FakeFileStore::Fail::BeforeRename;
    EXPECT_FALSE(m_files.writeAtomically(m_path, "new", nullptr));
}

// A streamed write joins its pieces in order; a producer that gives up half-way (a take that
// cannot be read), a crash before the rename or a folder where the file goes leave the old file
// and nothing beside it.
TEST_F(FileStoreTest, StreamedWritesJoinTheirPiecesOrLeaveTheOldFile)
{
    const auto pieces = [](int count, bool giveUp) {
        return [count, giveUp](const FileStore::Sink& sink) {
            for (int i = 0; i < count; ++i) {
                const QByteArray piece = QByteArray::number(i) + ',';
                if (!sink(piece.constData(), piece.size()))
                    return false;
            }
            return !giveUp;
        };
    };
    ASSERT_TRUE(m_files.writeStreamed(m_path, pieces(12, false), &m_error));
    EXPECT_EQ(fileBytes(m_path), "0,1,2,3,4,5,6,7,8,9,10,11,");
    EXPECT_TRUE(m_files.writes.back().streamed);

    EXPECT_FALSE(m_files.writeStreamed(m_path, pieces(3, true), &m_error));
    EXPECT_FALSE(m_error.isEmpty());
    m_files.fail = FakeFileStore::Fail::BeforeRename;
    EXPECT_FALSE(m_files.writeStreamed(m_path, pieces(3, false), &m_error));
    m_files.fail = FakeFileStore::Fail::Never;
    const QString folder = m_dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(m_files.writeStreamed(folder, pieces(3, false), &m_error));
    EXPECT_EQ(fileBytes(m_path), "0,1,2,3,4,5,6,7,8,9,10,11,");
    EXPECT_EQ(folderEntries(), "Pattern.dat folder");
}

// A save killed at its worst moments (while its bytes go in; between their part name and the
// rename) leaves the old file whole, and nothing beside it that the next save into the folder
// does not remove, also on a file system that makes no unnamed files.
TEST_F(FileStoreTest, ASaveKilledAtAnyMomentLeavesNothingPastTheNextSave)
{
    struct Case
    {
        const char* name;
        bool partFiles;
        bool inTheBytes;
    };

    const Case cases[] = {
        { "killed while the bytes go in", false, true },
        { "killed before the rename", false, false },
        { "no unnamed files, killed while the bytes go in", true, true },
        { "no unnamed files, killed before the rename", true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFileBytes(m_path, "old"));
        m_files.partFiles = c.partFiles;
        EXPECT_TRUE(killedInside([&] {
            if (c.inTheBytes) {
                m_files.writeStreamed(
                    m_path,
                    [](const FileStore::Sink& sink) {
                        sink("half", 4);
                        std::raise(SIGKILL);
                        return true;
                    },
                    nullptr);
            } else {
                m_files.fail = FakeFileStore::Fail::KilledBeforeRename;
                m_files.writeAtomically(m_path, "new", nullptr);
            }
        }));
        EXPECT_EQ(fileBytes(m_path), "old");
        if (c.inTheBytes && !c.partFiles && makesUnnamedFiles(m_dir.path())) {
            EXPECT_EQ(folderEntries(), "Pattern.dat");
        }
        ASSERT_TRUE(m_files.writeAtomically(m_path, "next", &m_error)) << m_error.toStdString();
        EXPECT_EQ(fileBytes(m_path), "next");
        EXPECT_EQ(folderEntries(), "Pattern.dat");
    }
}

TEST_F(FileStoreTest, WritesThroughALinkKeepTheLink)
{
    const QString real = m_dir.filePath(QStringLiteral("real.dat"));
    ASSERT_TRUE(writeFileBytes(real, "old"));
    ASSERT_TRUE(QFile::link(real, m_path));

    ASSERT_TRUE(m_files.writeAtomically(m_path, "new", &m_error)) << m_error.toStdString();
    EXPECT_TRUE(QFileInfo(m_path).isSymLink());
    EXPECT_EQ(fileBytes(real), "new");
    EXPECT_EQ(folderEntries(), "Pattern.dat real.dat");
}

// Where the data files go: what is written is what is read next, in every state of the two
// folders.
TEST(PlatformDataFilesTest, WritesGoWhereTheNextReadLooks)
{
    FakePlatform fake;
    Platform& platform = fake.platform;
    const QString inProgram = platform.programFolder + QStringLiteral("/Pattern.dat");
    const QString inUser = platform.userDataFolder + QStringLiteral("/Pattern.dat");

    // A writable program folder takes the file; no per-user folder appears.
    EXPECT_EQ(platform.dataFileToRead(QStringLiteral("Pattern.dat")), inProgram);
    EXPECT_EQ(platform.dataFileToWrite(QStringLiteral("Pattern.dat")), inProgram);
    EXPECT_FALSE(QFileInfo::exists(platform.userDataFolder));

    // An installed copy: the program folder cannot be written, the per-user folder is made.
    platform.programFolder = fake.dir.filePath(QStringLiteral("not-there"));
    const QString installed = platform.programFolder + QStringLiteral("/Pattern.dat");
    EXPECT_EQ(platform.dataFileToRead(QStringLiteral("Pattern.dat")), installed);
    EXPECT_EQ(platform.dataFileToWrite(QStringLiteral("Pattern.dat")), inUser);
    EXPECT_TRUE(QFileInfo(platform.userDataFolder).isDir());
    ASSERT_TRUE(fake.files().writeAtomically(inUser, "mine", nullptr));
    EXPECT_EQ(platform.dataFileToRead(QStringLiteral("Pattern.dat")), inUser);

    // The program folder is writable again: the per-user copy is still the one read, so it is
    // also the one written (else every later change would be lost behind it).
    platform.programFolder = fake.dir.path();
    EXPECT_EQ(platform.dataFileToRead(QStringLiteral("Pattern.dat")), inUser);
    EXPECT_EQ(platform.dataFileToWrite(QStringLiteral("Pattern.dat")), inUser);
    EXPECT_EQ(platform.dataFileToWrite(QStringLiteral("test.wav")),
        platform.programFolder + QStringLiteral("/test.wav"));
}

} // namespace
