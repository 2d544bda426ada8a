#include "WithoutRoot.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "recorder/ID3tag.h"
#include "recorder/ID3v1Record.h"
#include "recorder/cMP3ID3v1.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A record laid out field by field; the comment's 30 bytes are given whole.
QByteArray record(const QByteArray& title,
    const QByteArray& year,
    const QByteArray& comment30,
    char genre = 17,
    const QByteArray& artist = QByteArray(30, '\0'),
    const QByteArray& album = QByteArray(30, '\0'))
{
    const QByteArray bytes = "TAG" + title + artist + album + year + comment30 + genre;
    EXPECT_EQ(bytes.size(), 128);
    return bytes;
}

QByteArray padded(const QByteArray& text, int width, char fill)
{
    return text + QByteArray(width - text.size(), fill);
}

// A writer that writes half of the first call and then fails as a full disk would; later calls
// (the restore) go through.
TagWriter failingOnce(int* calls)
{
    return [calls](int fd, const void* data, size_t size, off_t offset) -> ssize_t {
        if ((*calls)++ > 0)
            return ::pwrite(fd, data, size, offset);
        if (::pwrite(fd, data, size / 2, offset) < 0)
            return -1;
        errno = ENOSPC;
        return -1;
    };
}

class ID3v1TagsTest : public ::testing::Test
{
protected:
    QString make(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // 1000 bytes of "audio" that do not end in a record.
    static QByteArray audio(int size = 1000) { return QByteArray(size, '\xFB'); }

    QTemporaryDir folder;
    FakeMessageBoxService boxes;
};

TEST_F(ID3v1TagsTest, TagClassWritesInPlaceOrAppendsByteForByte)
{
    // Too short: nothing loaded, nothing written.
    const QString shortFile = make("127.mp3", audio(127));
    ID3tag tag;
    tag.setFileName(shortFile);
    EXPECT_TRUE(tag.FileExists());
    EXPECT_FALSE(tag.Load());
    tag.setName("Song");
    EXPECT_FALSE(tag.Save());
    EXPECT_EQ(bytesOf(shortFile), audio(127));

    // No record: Save appends one; a second Save overwrites it.
    const QString mp3 = make("song.mp3", audio());
    tag.setFileName(mp3);
    EXPECT_FALSE(tag.HasID3tag());
    tag.setName("Song");
    tag.setArtist(QString::fromUtf8("Beyoncé"));
    tag.setAlbum("  Live  ");
    tag.setYear(7);
    tag.setComment("Take one");
    EXPECT_FALSE(tag.setGenre(300).has_value());
    ASSERT_TRUE(tag.Save());
    EXPECT_TRUE(tag.HasID3tag());
    QByteArray expected = audio()
        + record(padded("Song", 30, '\0'), "0007", padded("Take one", 30, '\0'), '\xFF',
            padded("Beyonc\xE9", 30, '\0'), padded("Live", 30, '\0'));
    EXPECT_EQ(bytesOf(mp3), expected);

    tag.setYear(0);
    tag.setSongNumber(5);
    tag.setComment(QString(30, 'c'));
    ASSERT_TRUE(tag.setGenre(13) == std::nullopt);
    ASSERT_TRUE(tag.Save());
    EXPECT_EQ(tag.Comment(), QString(28, 'c'));
    expected = audio()
        + record(padded("Song", 30, '\0'), QByteArray(4, '\0'), QByteArray(28, 'c') + '\0' + '\x05',
            13, padded("Beyonc\xE9", 30, '\0'), padded("Live", 30, '\0'));
    EXPECT_EQ(bytesOf(mp3), expected);

    // Read back through a fresh object: every field, the year of four zero bytes as 0.
    ID3tag again;
    again.setFileName(mp3);
    EXPECT_TRUE(again.HasID3tag());
    EXPECT_EQ(again.Artist(), QString::fromUtf8("Beyoncé"));
    EXPECT_EQ(again.Year(), 0);
    EXPECT_EQ(again.SongNumber(), 5);
    EXPECT_EQ(again.Genre_str(), "Pop");

    EXPECT_TRUE(again.RemoveTag());
    EXPECT_EQ(bytesOf(mp3), audio());
    EXPECT_FALSE(again.RemoveTag());

    // A file of one record only is overwritten whole.
    const QString bare = make("128.mp3", record(QByteArray(30, 'x'), "1999", QByteArray(30, 'y')));
    ID3tag whole;
    whole.setFileName(bare);
    EXPECT_EQ(whole.Name(), QString(30, 'x'));
    whole.setName("New");
    ASSERT_TRUE(whole.Save());
    EXPECT_EQ(bytesOf(bare), record(padded("New", 30, '\0'), "1999", QByteArray(30, 'y'), 17));
}

TEST_F(ID3v1TagsTest, TagClassReadsTextsYearsAndTheTwoLayouts)
{
    struct Case
    {
        const char* name;
        QByteArray title;
        QByteArray year;
        QByteArray comment30;
        QString expectName;
        int expectYear;
        QString expectComment;
        int expectSong;
    };

    const QByteArray plain = padded("Hi", 30, '\0');
    const Case cases[] = {
        { "zero-filled title", padded("Song", 30, '\0'), "2001", plain, "Song", 2001, "Hi", 0 },
        { "blank before zeros kept", padded("Song ", 30, '\0'), "2001", plain, "Song ", 2001, "Hi",
            0 },
        { "blank-filled title", padded("Song", 30, ' '), "2001", plain, "Song", 2001, "Hi", 0 },
        { "v1.1: 0 then 7", plain, "2001", padded("Note", 28, '\0') + '\0' + '\x07', "Hi", 2001,
            "Note", 7 },
        { "v1.0: 0 then 0", plain, "2001", padded("Note", 30, '\0'), "Hi", 2001, "Note", 0 },
        { "v1.0: 30th byte only", plain, "2001", QByteArray(29, 'n') + '\x07', "Hi", 2001,
            QString(29, 'n') + QChar(7), 0 },
        { "year abcd", plain, "abcd", plain, "Hi", 0, "Hi", 0 },
        { "year of blanks", plain, "    ", plain, "Hi", 0, "Hi", 0 },
        { "year 1e9 overflows", plain, "1e9 ", plain, "Hi", 0, "Hi", 0 },
        { "negative year kept", plain, "-123", plain, "Hi", -123, "Hi", 0 },
        { "Windows-1252 bytes", padded("\xE9\x80\x81", 30, '\0'), "2001", plain,
            QString::fromUtf8("é€") + QChar(0x81), 2001, "Hi", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ID3tag tag;
        tag.setFileName(make("read.mp3", audio() + record(c.title, c.year, c.comment30)));
        ASSERT_TRUE(tag.HasID3tag());
        EXPECT_EQ(tag.Name(), c.expectName);
        EXPECT_EQ(tag.Year(), c.expectYear);
        EXPECT_EQ(tag.Comment(), c.expectComment);
        EXPECT_EQ(tag.SongNumber(), c.expectSong);
        EXPECT_EQ(tag.Genre(), 17);
    }
}

TEST_F(ID3v1TagsTest, TagClassSettersKeepTheirLimits)
{
    ID3tag tag;
    tag.setName("   " + QString(40, 'a') + "  ");
    EXPECT_EQ(tag.Name(), QString(30, 'a'));
    tag.setComment("\tx ");
    EXPECT_EQ(tag.Comment(), "\tx");
    for (const std::int16_t bad : { 256, -1 }) {
        tag.setSongNumber(bad);
        EXPECT_EQ(tag.SongNumber(), 0) << bad;
    }
    tag.setSongNumber(255);
    EXPECT_EQ(tag.SongNumber(), 255);
    for (const std::int16_t bad : { 10000, -1 }) {
        tag.setYear(bad);
        EXPECT_EQ(tag.Year(), 0) << bad;
    }
    tag.setYear(9999);
    EXPECT_EQ(tag.Year(), 9999);
    ASSERT_FALSE(tag.setGenre(-32768).has_value());
    const PropertyError overflow = tag.setGenre(32768);
    ASSERT_TRUE(overflow.has_value());
    EXPECT_EQ(overflow->number, kOverflowError);
    EXPECT_EQ(tag.Genre(), -32768);
    for (const int none : { 123, 148, 255, -1 })
        EXPECT_EQ(id3v1::genreName(none), "") << none;
    EXPECT_EQ(cMP3ID3v1::GenreName(17), "Rock");
    EXPECT_EQ(cMP3ID3v1::GenreName(123), "");
    EXPECT_EQ(cMP3ID3v1::GenreName(133), "Genre 133");
    EXPECT_EQ(cMP3ID3v1::GenreName(200), "");
}

TEST_F(ID3v1TagsTest, TagClassRefusesWhatIsNoFileAndWhatChangedUnderIt)
{
    ID3tag tag;
    tag.setName("Kept");
    for (const QString& path : { folder.path(), folder.filePath("missing.mp3"), QString("   ") }) {
        tag.setFileName(path);
        EXPECT_FALSE(tag.FileExists()) << path.toStdString();
        EXPECT_EQ(tag.FileName(), "");
        EXPECT_EQ(tag.Name(), "Kept");
        EXPECT_FALSE(tag.Save());
    }
    EXPECT_FALSE(QFile::exists(folder.filePath("missing.mp3")));

    // Bound to 1000 bytes that shrink to 100 before the save.
    const QString mp3 = make("shrunk.mp3", audio());
    tag.setFileName(mp3);
    ASSERT_TRUE(QFile::resize(mp3, 100));
    EXPECT_FALSE(tag.Save());
    EXPECT_EQ(bytesOf(mp3), audio(100));
}

TEST_F(ID3v1TagsTest, TagClassReadsButNeverWritesAReadOnlyFile)
{
    const QByteArray bytes =
        audio() + record(padded("Song", 30, '\0'), "2001", QByteArray(30, '\0'));
    const QString locked = make("locked.mp3", bytes);
    const auto readNotWrite = [&](ID3tag& tag) {
        tag.setFileName(locked);
        EXPECT_TRUE(tag.FileExists());
        EXPECT_TRUE(tag.ReadOnly());
        EXPECT_EQ(tag.Name(), "Song");
        tag.setName("Other");
        EXPECT_FALSE(tag.Save());
        EXPECT_FALSE(tag.RemoveTag());
    };

    // Refused by an opening for writing that fails, then by the system to a user without root's
    // rights.
    ID3tag refused({}, [](const char* path, int flags) {
        if ((flags & O_ACCMODE) == O_RDONLY)
            return ::open(path, flags);
        errno = EACCES;
        return -1;
    });
    readNotWrite(refused);
    ASSERT_TRUE(setMode(locked, 0444));
    const auto bySystem = [&] {
        ID3tag tag;
        readNotWrite(tag);
    };
    EXPECT_TRUE(withoutRoot(folder.path(), bySystem));
    EXPECT_EQ(bytesOf(locked), bytes);
}

TEST_F(ID3v1TagsTest, AWriteFailingHalfWayLeavesTheFileAsItWas)
{
    const QByteArray tagged =
        audio() + record(padded("Old", 30, '\0'), "2001", QByteArray(30, '\0'));
    for (const QByteArray& before : { audio(), tagged }) {
        SCOPED_TRACE(before.size());
        const QString mp3 = make("half.mp3", before);
        int calls = 0;
        ID3tag tag(failingOnce(&calls));
        tag.setFileName(mp3);
        tag.setName("New title");
        EXPECT_FALSE(tag.Save());
        EXPECT_GE(calls, 1);
        EXPECT_EQ(bytesOf(mp3), before);

        calls = 0;
        cMP3ID3v1 editor(boxes, failingOnce(&calls));
        editor.setMP3File(mp3);
        editor.setTitle("New title");
        boxes.clear();
        editor.Update();
        EXPECT_EQ(bytesOf(mp3), before);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].icon, MsgIcon::Critical);
        EXPECT_EQ(boxes.shown()[0].text, QString::fromLocal8Bit(strerror(ENOSPC)));
    }
}

TEST_F(ID3v1TagsTest, ReaderWriterKeepsRawFieldsAndBothCommentLayouts)
{
    // A record written by the tag class with a short comment and no track: 28 comment bytes and
    // Track 0, and written back unchanged.
    const QString mp3 = make("editor.mp3", audio());
    ID3tag tag;
    tag.setFileName(mp3);
    tag.setComment("Short");
    ASSERT_TRUE(tag.Save());
    cMP3ID3v1 editor(boxes);
    editor.setMP3File(mp3);
    ASSERT_TRUE(editor.HasID3v1Tag());
    EXPECT_EQ(editor.Comment(), "Short" + QString(23, QChar(0)));
    EXPECT_EQ(editor.Title(), QString(30, QChar(0)));
    EXPECT_EQ(editor.Track(), 0);
    EXPECT_EQ(editor.Year(), QString(4, QChar(0)));
    const QByteArray saved = bytesOf(mp3);
    editor.Update();
    EXPECT_EQ(bytesOf(mp3), saved);

    // A v1.0 record with a 30-character comment survives a read and a write.
    const QByteArray v10 = audio()
        + record(padded("T", 30, ' '), "1984", QByteArray("abcdefghijklmnopqrstuvwxyz0123"), 8);
    editor.setMP3File(make("v10.mp3", v10));
    EXPECT_EQ(editor.Comment(), "abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(editor.Track(), 0);
    editor.Update();
    EXPECT_EQ(bytesOf(editor.MP3File()), v10);

    // Writing: blank-filled and cut fields, the track bytes, an appended record.
    const QString fresh = make("fresh.mp3", audio());
    editor.setMP3File(fresh);
    EXPECT_FALSE(editor.HasID3v1Tag());
    EXPECT_EQ(editor.Genre(), 255);
    editor.setTitle(QString(40, 't'));
    editor.setYear("");
    editor.setComment(QString::fromUtf8("é"));
    editor.setTrack(0);
    editor.Update();
    EXPECT_EQ(editor.Title(), QString(40, 't'));
    EXPECT_EQ(bytesOf(fresh),
        audio()
            + record(QByteArray(30, 't'), "    ", padded("\xE9", 28, ' ') + '\0' + '\0', '\xFF',
                QByteArray(30, ' '), QByteArray(30, ' ')));
    editor.setMP3File(fresh);
    EXPECT_TRUE(editor.HasID3v1Tag());
    EXPECT_EQ(editor.Year(), "    ");
    EXPECT_EQ(editor.Comment(), QString::fromUtf8("é") + QString(27, ' '));
    editor.setTrack(9);
    editor.setComment(QString(30, 'k'));
    editor.Update();
    EXPECT_EQ(bytesOf(fresh).size(), 1128);
    EXPECT_EQ(bytesOf(fresh).mid(1000 + 97, 30), QByteArray(28, 'k') + '\0' + '\x09');
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ID3v1TagsTest, ReaderWriterLeavesShortFilesAloneAndReportsWhatItCannotWrite)
{
    cMP3ID3v1 editor(boxes);
    const QByteArray only = record(padded("Song", 30, '\0'), "2001", QByteArray(30, '\0'));
    const QString bare = make("128.mp3", only);
    editor.setMP3File(bare);
    EXPECT_FALSE(editor.HasID3v1Tag());
    editor.setTitle("New");
    editor.Update();
    EXPECT_EQ(bytesOf(bare), only);
    EXPECT_TRUE(boxes.shown().empty());

    editor.setMP3File(folder.filePath("missing.mp3"));
    EXPECT_EQ(editor.Title(), "");
    EXPECT_EQ(editor.Genre(), 255);
    EXPECT_TRUE(boxes.shown().empty());
    editor.Update();
    EXPECT_FALSE(QFile::exists(folder.filePath("missing.mp3")));

    const QString empty = make("empty.mp3", {});
    editor.setMP3File(empty);
    editor.Update();
    editor.setMP3File(folder.path());
    editor.Update();
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[0].text, QString::fromLocal8Bit(strerror(ENOENT)));
    EXPECT_EQ(boxes.shown()[1].text, empty + " is not a valid MP3 file.");
    EXPECT_EQ(boxes.shown()[2].text, QString::fromLocal8Bit(strerror(EISDIR)));
    for (const BoxRequest& box : boxes.shown())
        EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_EQ(bytesOf(empty), QByteArray());
}

} // namespace
