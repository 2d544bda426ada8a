#include "platform/settings/SettingsStore.h"

#include "FileBytes.h"
#include "WithoutRoot.h"
#include "platform/files/FakeFileStore.h"

#include <chrono>
#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kApp = QStringLiteral("Taktovia");
const QString kGitara = QStringLiteral("Gitara");

class SettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.path() + QStringLiteral("/cfg/kadentor/settings.reg");
    FakeFileStore m_files;
    SettingsStore m_store { m_path, m_files };

    QString read(const QString& name, const QString& def = QStringLiteral("dflt"))
    {
        return m_store.GetRegValue(kApp, kGitara, name, def).toString();
    }

    // What the next run reads: the file as it is, through a store of its own.
    QString readNextRun(const QString& name, const QString& def = QStringLiteral("dflt"))
    {
        DiskFileStore disk;
        return SettingsStore(m_path, disk).GetRegValue(kApp, kGitara, name, def).toString();
    }

    void writeFile(const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        ASSERT_TRUE(writeFileBytes(m_path, bytes));
    }

    QByteArray fileBytes() const { return ::fileBytes(m_path); }

    // As a user without root's rights, through the real file store: Zv1 must read as `zv1` and
    // a save of Zv2 must be refused.
    bool refusedWithoutRoot(const QString& zv1)
    {
        const auto refused = [&] {
            DiskFileStore disk;
            SettingsStore store(m_path, disk);
            EXPECT_EQ(
                store.GetRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("dflt"))
                    .toString(),
                zv1);
            EXPECT_FALSE(
                store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv2"), QStringLiteral("1")));
        };
        return withoutRoot(m_dir.path(), refused);
    }
};

TEST_F(SettingsStoreTest, FirstRunGivesDefaultsAndCreatesNothing)
{
    EXPECT_EQ(read(QStringLiteral("Zv1"), QStringLiteral("103")), QStringLiteral("103"));
    EXPECT_EQ(read(QStringLiteral("Volme"), QStringLiteral("99")), QStringLiteral("99"));
    EXPECT_FALSE(QFileInfo::exists(m_path));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(m_path).absolutePath()));
}

TEST_F(SettingsStoreTest, ValuesRoundTripWithEmptyTextAndAnyCase)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("WaveFileName"), QString()));
    ASSERT_TRUE(m_store.SaveRegValue(kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"),
        QStringLiteral("/home/a \"b\"\\c")));

    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("110"));
    EXPECT_EQ(read(QStringLiteral("zV1")), QStringLiteral("110"));
    EXPECT_EQ(m_store
                  .GetRegValue(QStringLiteral("TAKTOVIA"), QStringLiteral("gitara"),
                      QStringLiteral("ZV1"), QString())
                  .toString(),
        QStringLiteral("110"));
    // Present but empty is a value of its own, not the default.
    EXPECT_EQ(read(QStringLiteral("WaveFileName")), QString());
    EXPECT_EQ(
        m_store.GetRegValue(kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"), {}).toString(),
        QStringLiteral("/home/a \"b\"\\c"));

    // A rewrite under another case replaces the value and keeps the first spelling.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("ZV1"), QStringLiteral("111")));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("111"));
    EXPECT_TRUE(fileBytes().contains("\"Zv1\"=\"111\""));
    EXPECT_FALSE(fileBytes().contains("ZV1"));
}

TEST_F(SettingsStoreTest, ValuesPlacedByHandReadByType)
{
    writeFile("; edited by hand\n"
              "[Software\\Taktovia\\Gitara]\n"
              "\"Volme\"=dword:00000050\n"
              "\"Neg\"=dword:ffffffff\n"
              "\"Path\"=expand:\"$HOME/x\"\n"
              "\"Raw\"=hex:01,02\n"
              "garbage line\n");
    const QVariant volume = m_store.GetRegValue(kApp, kGitara, QStringLiteral("Volme"), {});
    EXPECT_EQ(volume.typeId(), QMetaType::Int);
    EXPECT_EQ(volume.toInt(), 80);
    EXPECT_EQ(read(QStringLiteral("Neg")), QStringLiteral("-1"));
    EXPECT_EQ(read(QStringLiteral("Path")), QStringLiteral("$HOME/x"));
    EXPECT_EQ(read(QStringLiteral("Raw")), QStringLiteral("dflt"));

    QVariant untouched = QStringLiteral("before");
    const auto key =
        m_store.openKey(SettingsStore::kCurrentUser, QStringLiteral("Software\\Taktovia\\Gitara"));
    EXPECT_EQ(m_store.QueryValueEx(key, QStringLiteral("Raw"), untouched),
        SettingsStore::kUnsupportedType);
    EXPECT_EQ(untouched.toString(), QStringLiteral("before"));
    EXPECT_EQ(
        m_store.QueryValueEx(key, QStringLiteral("Nope"), untouched), SettingsStore::kFileNotFound);

    // Writing text over a number and over raw bytes replaces them; lines the store cannot read
    // survive the rewrite.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Volme"), QStringLiteral("70")));
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Raw"), QStringLiteral("t")));
    EXPECT_EQ(m_store.GetRegValue(kApp, kGitara, QStringLiteral("Volme"), {}).typeId(),
        QMetaType::QString);
    EXPECT_EQ(read(QStringLiteral("Volme")), QStringLiteral("70"));
    EXPECT_EQ(read(QStringLiteral("Raw")), QStringLiteral("t"));
    EXPECT_TRUE(fileBytes().contains("; edited by hand\n"));
    EXPECT_TRUE(fileBytes().contains("garbage line\n"));
}

// A file edited by hand in Latin-1, with a line that is not UTF-8 at all: the program's writes
// of other values, and of a value it only read, leave those bytes as they were.
TEST_F(SettingsStoreTest, HandEditedBytesSurviveTheProgramsWrites)
{
    const QByteArray izlaz = "[Software\\Taktovia\\Izlaz]\n"
                             "\"direkt\"=\"/home/jos\xE9/Musik\"\n";
    const QByteArray gitaraHead = "; Einstellungen f\xFCr Kadentor\n"
                                  "[Software\\Taktovia\\Gitara]\n"
                                  "\"Bad\"=\"\xC3\x28\xFF\"\n";
    writeFile(izlaz + gitaraHead + "\"Volme\"=\"99\"\n");
    const QString direkt =
        m_store.GetRegValue(kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"), {}).toString();
    EXPECT_EQ(direkt, QStringLiteral("/home/jos\u00E9/Musik"));

    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Volme"), QStringLiteral("80")));
    EXPECT_EQ(fileBytes(), izlaz + gitaraHead + "\"Volme\"=\"80\"\n");

    // Writing back what was read changes nothing, so nothing is written.
    const auto writes = m_files.writes.size();
    ASSERT_TRUE(
        m_store.SaveRegValue(kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"), direkt));
    EXPECT_EQ(m_files.writes.size(), writes);

    // A value the program writes is UTF-8, and only its line changes.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"),
        QStringLiteral("/home/j\u00F6rg")));
    EXPECT_EQ(fileBytes(),
        "[Software\\Taktovia\\Izlaz]\n\"direkt\"=\"/home/j\xC3\xB6rg\"\n" + gitaraHead
            + "\"Volme\"=\"80\"\n");
    EXPECT_EQ(read(QStringLiteral("Bad")), QStringLiteral("\u00C3(\u00FF"));
}

TEST_F(SettingsStoreTest, NumberWritesAndOtherTypes)
{
    const SettingsStore::Key key { QStringLiteral("Software\\Taktovia\\Gitara"), true };
    EXPECT_EQ(m_store.SetValueEx(key, QStringLiteral("N"), SettingsStore::kTypeNumber, -42),
        SettingsStore::kSuccess);
    EXPECT_EQ(m_store.GetRegValue(kApp, kGitara, QStringLiteral("N"), {}).toInt(), -42);
    EXPECT_EQ(m_store.SetValueEx(key, QStringLiteral("B"), 3, QStringLiteral("x")),
        SettingsStore::kSuccess);
    EXPECT_EQ(read(QStringLiteral("B")), QStringLiteral("dflt"));
    EXPECT_EQ(
        m_store.SetValueEx(SettingsStore::Key {}, QStringLiteral("N"), 1, QStringLiteral("x")),
        SettingsStore::kInvalidHandle);
}

// A number reaches the file as its low 32 bits in eight hex digits, and reads back as the signed
// 32-bit value; what is no whole number is 0. A number over a text, and a text over a number,
// replace the value's type with its bytes.
TEST_F(SettingsStoreTest, NumbersAreCutTo32BitsOnceOnTheirWayToTheFile)
{
    const SettingsStore::Key key { QStringLiteral("Software\\Taktovia\\Gitara"), true };

    const struct
    {
        QVariant given;
        const char* line;
        qint32 read;
    } cases[] = {
        { 0, "dword:00000000", 0 },
        { -1, "dword:ffffffff", -1 },
        { 2147483647, "dword:7fffffff", 2147483647 },
        { QVariant::fromValue<qlonglong>(2147483648LL), "dword:80000000", -2147483647 - 1 },
        { QVariant::fromValue<qlonglong>(4294967296LL + 5), "dword:00000005", 5 },
        { QStringLiteral(" 42"), "dword:0000002a", 42 },
        { QStringLiteral("abc"), "dword:00000000", 0 },
        { 7.9, "dword:00000008", 8 },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(m_store.SetValueEx(key, QStringLiteral("N"), SettingsStore::kTypeNumber, c.given),
            SettingsStore::kSuccess);
        EXPECT_EQ(fileBytes(), QByteArray("[Software\\Taktovia\\Gitara]\n\"N\"=") + c.line + '\n');
        EXPECT_EQ(m_store.GetRegValue(kApp, kGitara, QStringLiteral("N"), {}), QVariant(c.read));
    }
    ASSERT_EQ(m_store.SetValueEx(key, QStringLiteral("N"), SettingsStore::kTypeString, 12),
        SettingsStore::kSuccess);
    EXPECT_EQ(fileBytes(), "[Software\\Taktovia\\Gitara]\n\"N\"=\"12\"\n");
    ASSERT_EQ(m_store.SetValueEx(key, QStringLiteral("N"), SettingsStore::kTypeNumber, 12),
        SettingsStore::kSuccess);
    EXPECT_EQ(fileBytes(), "[Software\\Taktovia\\Gitara]\n\"N\"=dword:0000000c\n");
}

TEST_F(SettingsStoreTest, PathRuleSkipsEmptyParts)
{
    const struct
    {
        const char *prefix, *app, *section, *path;
    } cases[] = {
        { "Software", "Taktovia", "Gitara", "Software\\Taktovia\\Gitara" },
        { "Software", "Taktovia", "", "Software\\Taktovia" },
        { "Software", "", "Gitara", "Software\\Gitara" },
        { "", "Taktovia", "Izlaz", "Taktovia\\Izlaz" },
        { "", "", "Izlaz", "Izlaz" },
        { "", "", "", "" },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SettingsStore::keyPath(QString::fromLatin1(c.prefix), QString::fromLatin1(c.app),
                      QString::fromLatin1(c.section)),
            QString::fromLatin1(c.path));
    }
    ASSERT_TRUE(m_store.SaveRegValue(kApp, QString(), QStringLiteral("Top"), QStringLiteral("1")));
    EXPECT_TRUE(fileBytes().contains("[Software\\Taktovia]\n"));
    EXPECT_EQ(
        m_store.GetRegValue(kApp, kGitara, QStringLiteral("Top"), QStringLiteral("d")).toString(),
        QStringLiteral("d"));
}

TEST_F(SettingsStoreTest, OtherRootsReadDefaultsAndRefuseWrites)
{
    EXPECT_FALSE(m_store.SaveRegValue(
        kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("1"), 0x80000002u));
    EXPECT_EQ(
        m_store
            .GetRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("103"), 0x80000002u)
            .toString(),
        QStringLiteral("103"));
    EXPECT_FALSE(QFileInfo::exists(m_path));
}

TEST_F(SettingsStoreTest, KilledWriteLeavesTheOldValues)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv2"), QStringLiteral("111")));
    m_files.fail = FakeFileStore::Fail::BeforeRename;
    EXPECT_FALSE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("0")));
    m_files.fail = FakeFileStore::Fail::Never;
    // The file keeps the old values; this run reads the value it failed to write.
    EXPECT_EQ(readNextRun(QStringLiteral("Zv1")), QStringLiteral("110"));
    EXPECT_EQ(readNextRun(QStringLiteral("Zv2")), QStringLiteral("111"));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("0"));
    // The next write goes through over the leftover.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("112")));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("112"));
    EXPECT_EQ(read(QStringLiteral("Zv2")), QStringLiteral("111"));
}

TEST_F(SettingsStoreTest, GarbledFileReadsDefaultsAndIsNotTruncatedByReads)
{
    QByteArray garbage("\x00\xff\xfe[[[\n\"Zv1\"=\x01\x02", 16);
    writeFile(garbage);
    EXPECT_EQ(read(QStringLiteral("Zv1"), QStringLiteral("103")), QStringLiteral("103"));
    EXPECT_EQ(fileBytes(), garbage);
}

TEST_F(SettingsStoreTest, AFolderThatCannotBeMadeReportsFailure)
{
    // A folder that cannot be made: a plain file stands where it should be.
    const QString parent = QFileInfo(m_path).absolutePath();
    QDir().mkpath(QFileInfo(parent).absolutePath());
    ASSERT_TRUE(writeFileBytes(parent, QByteArray()));
    EXPECT_FALSE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("1")));
}

TEST_F(SettingsStoreTest, UnwritableFolderReportsFailure)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    const QByteArray before = fileBytes();

    // Refused by the file store, then by the system to a user without root's rights, who may
    // still read the file.
    m_files.fail = FakeFileStore::Fail::BeforeWrite;
    EXPECT_FALSE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv2"), QStringLiteral("1")));
    m_files.fail = FakeFileStore::Fail::Never;
    const QString folder = QFileInfo(m_path).absolutePath();
    ASSERT_TRUE(setMode(m_path, 0644));
    ASSERT_TRUE(setMode(folder, 0555));
    EXPECT_TRUE(refusedWithoutRoot(QStringLiteral("110")));
    ASSERT_TRUE(setMode(folder, 0755));
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { "settings.reg" });
}

TEST_F(SettingsStoreTest, UnreadableFileIsNotReplaced)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    const QByteArray before = fileBytes();

    // Refused by the file store's reads, then by the system to a user without root's rights, in
    // a folder where that user could write a new file.
    m_files.failReads = true;
    EXPECT_FALSE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv2"), QStringLiteral("1")));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("dflt"));
    m_files.failReads = false;
    EXPECT_EQ(m_files.writes.size(), 1u);
    const QString folder = QFileInfo(m_path).absolutePath();
    ASSERT_TRUE(setMode(m_path, 0200));
    ASSERT_TRUE(setMode(folder, 0777));
    EXPECT_TRUE(refusedWithoutRoot(QStringLiteral("dflt")));
    ASSERT_TRUE(setMode(m_path, 0600));
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { "settings.reg" });
}

// A user without root's rights whose settings cannot be written: in a read-only folder beside
// the file, and on a first run where the folder cannot even be made.
TEST_F(SettingsStoreTest, AValueTheFileCannotKeepIsReadBackForTheRun)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    const QString folder = QFileInfo(m_path).absolutePath();
    const QString firstRun = m_dir.path() + QStringLiteral("/read-only/kadentor/settings.reg");
    ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/read-only")));
    ASSERT_TRUE(setMode(m_dir.path() + QStringLiteral("/read-only"), 0555));
    ASSERT_TRUE(setMode(m_path, 0644));
    ASSERT_TRUE(setMode(folder, 0555));
    EXPECT_TRUE(withoutRoot(m_dir.path(), [&] {
        DiskFileStore disk;
        for (const QString& path : { m_path, firstRun }) {
            SCOPED_TRACE(path.toStdString());
            SettingsStore store(path, disk);
            const auto get = [&](const QString& section, const QString& name) {
                return store.GetRegValue(kApp, section, name, QStringLiteral("dflt")).toString();
            };
            EXPECT_FALSE(
                store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("120")));
            EXPECT_FALSE(store.SaveRegValue(
                kApp, QStringLiteral("Izlaz"), QStringLiteral("direkt"), QStringLiteral("/music")));
            for (int read = 0; read < 2; ++read) {
                EXPECT_EQ(get(kGitara, QStringLiteral("zV1")), QStringLiteral("120"));
                EXPECT_EQ(get(QStringLiteral("IZLAZ"), QStringLiteral("direkt")),
                    QStringLiteral("/music"));
                EXPECT_EQ(get(kGitara, QStringLiteral("Zv2")), QStringLiteral("dflt"));
            }
        }
    }));
    ASSERT_TRUE(setMode(folder, 0755));
    EXPECT_EQ(readNextRun(QStringLiteral("Zv1")), QStringLiteral("110"));
    EXPECT_FALSE(QFileInfo::exists(firstRun));
}

TEST_F(SettingsStoreTest, AKeptValueGivesWayOnlyToAWriteOfItsOwnThatSucceeds)
{
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("110")));
    m_files.fail = FakeFileStore::Fail::BeforeWrite;
    EXPECT_FALSE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("120")));
    m_files.fail = FakeFileStore::Fail::Never;

    // Another value's write does not carry the kept one into the file.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv2"), QStringLiteral("111")));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("120"));
    EXPECT_EQ(readNextRun(QStringLiteral("Zv1")), QStringLiteral("110"));

    // Its own write stores it, and from then on the file speaks again, hand edits included.
    ASSERT_TRUE(m_store.SaveRegValue(kApp, kGitara, QStringLiteral("Zv1"), QStringLiteral("130")));
    EXPECT_EQ(readNextRun(QStringLiteral("Zv1")), QStringLiteral("130"));
    writeFile(fileBytes().replace("\"130\"", "\"140\""));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("140"));
}

// Hand edits between two reads of one run: right after the last read (in place with the same
// size, within what the clock may stamp alike; with another size; by a rename over the file), and
// long after it. A file left untouched is not read again once its last change is old enough.
TEST_F(SettingsStoreTest, EveryHandEditIsSeenAtTheNextReadAndAnUntouchedFileIsNotReadAgain)
{
    const auto withZv1 = [](const char* zv1) {
        return QByteArray("[Software\\Taktovia\\Gitara]\n\"Zv1\"=\"") + zv1 + "\"\n";
    };
    writeFile(withZv1("110"));
    ASSERT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("110"));

    struct Edit
    {
        const char* zv1;
        bool renamed;
    };

    for (const Edit& edit : { Edit { "111", false }, Edit { "1112", false }, Edit { "113", true },
             Edit { "114", false } }) {
        SCOPED_TRACE(edit.zv1);
        if (edit.renamed) {
            ASSERT_TRUE(writeFileBytes(m_path + QStringLiteral(".new"), withZv1(edit.zv1)));
            ASSERT_TRUE(QFile::remove(m_path));
            ASSERT_TRUE(QFile::rename(m_path + QStringLiteral(".new"), m_path));
        } else {
            writeFile(withZv1(edit.zv1));
        }
        EXPECT_EQ(read(QStringLiteral("Zv1")), QString::fromLatin1(edit.zv1));
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(SettingsStore::kSettleMs + 100));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("114"));
    const int reads = m_files.reads;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("114"));
    EXPECT_EQ(m_files.reads, reads);
    writeFile(withZv1("115"));
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("115"));
    // A file the user may no longer read gives the defaults again.
    m_files.failReads = true;
    EXPECT_EQ(read(QStringLiteral("Zv1")), QStringLiteral("dflt"));
}

} // namespace
