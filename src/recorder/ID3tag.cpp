#include "ID3tag.h"

#include "ID3v1Record.h"
#include "Windows1252.h"
#include "platform/basic/Conversions.h"

namespace {

constexpr int kMaxText = 30;
// A file that is nothing but a record has one.
constexpr qint64 kShortest = id3v1::kSize;

// Blanks only: a tab or a line break around a text is kept.
QString trimBlanks(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}

// A setter's text: blanks around it removed, at most 30 characters.
QString fieldText(const QString& text)
{
    return trimBlanks(text).left(kMaxText);
}

// A field read back: trailing blanks removed, then cut before the first zero byte.
QString readText(const QByteArray& record, int offset, int width)
{
    QByteArray bytes = record.mid(offset, width);
    while (bytes.endsWith(' '))
        bytes.chop(1);
    const qsizetype zero = bytes.indexOf('\0');
    return fromWindows1252(zero >= 0 ? bytes.left(zero) : bytes);
}

// The text's bytes followed by zero bytes up to `width`.
QByteArray zeroFilled(const QString& text, int width)
{
    return id3v1::field(toWindows1252(text), width, '\0');
}

} // namespace

ID3tag::ID3tag(TagWriter writer, TagOpener opener)
    : m_writer(std::move(writer))
    , m_opener(std::move(opener))
{}

void ID3tag::setAlbum(const QString& sAlbum)
{
    m_Album = fieldText(sAlbum);
}

void ID3tag::setArtist(const QString& sArtist)
{
    m_Artist = fieldText(sArtist);
}

void ID3tag::setComment(const QString& sComment)
{
    m_Comment = fieldText(sComment);
}

void ID3tag::setName(const QString& sName)
{
    m_Name = fieldText(sName);
}

PropertyError ID3tag::setGenre(std::int32_t lGenre)
{
    if (lGenre < INT16_MIN || lGenre > INT16_MAX)
        return ControlError { kOverflowError, QStringLiteral("ID3tag"),
            QStringLiteral("Overflow") };
    m_Genre = static_cast<std::int16_t>(lGenre);
    return std::nullopt;
}

QString ID3tag::Genre_str() const
{
    return id3v1::genreName(m_Genre);
}

void ID3tag::setSongNumber(std::int16_t iSongNumber)
{
    m_SongNumber = iSongNumber < 0 || iSongNumber > 255 ? 0 : iSongNumber;
}

void ID3tag::setYear(std::int16_t iYear)
{
    m_Year = iYear < 0 || iYear > 9999 ? 0 : iYear;
}

void ID3tag::Clear()
{
    m_Name.clear();
    m_Album.clear();
    m_Artist.clear();
    m_Comment.clear();
    m_Year = 0;
    m_Genre = 255;
    m_SongNumber = 0;
}

void ID3tag::setFileName(const QString& spath)
{
    const QString path = trimBlanks(spath);
    m_FileName.clear();
    m_FileExists = false;
    m_ReadOnly = false;
    if (path.isEmpty() || !TagFile(m_writer, m_opener).open(path, TagFile::Access::Read))
        return;
    m_FileName = path;
    m_FileExists = true;
    m_ReadOnly = !TagFile(m_writer, m_opener).open(path, TagFile::Access::Write);
    Load();
}

bool ID3tag::Load()
{
    Clear();
    m_HasID3tag = false;
    if (!m_FileExists)
        return false;
    TagFile file(m_writer, m_opener);
    if (!file.open(m_FileName, TagFile::Access::Read))
        return false;
    const id3v1::Tail tail = id3v1::readTail(file, kShortest);
    if (!tail.hasRecord())
        return false;
    const QByteArray& record = tail.bytes;

    m_HasID3tag = true;
    m_Name = readText(record, id3v1::kTitle, id3v1::kTextBytes);
    m_Artist = readText(record, id3v1::kArtist, id3v1::kTextBytes);
    m_Album = readText(record, id3v1::kAlbum, id3v1::kTextBytes);
    // Taken as it stands, without the setter's range: a negative year field reads negative.
    // A number beyond 16 bits (only an exponent form can be) reads as 0.
    const QString year = fromWindows1252(record.mid(id3v1::kYear, id3v1::kYearBytes));
    m_Year = IsNumeric(year) ? CInt(year).value_or(0) : 0;
    const bool v11 = record[id3v1::kTrackMark] == '\0' && record[id3v1::kTrack] != '\0';
    m_SongNumber = v11 ? static_cast<unsigned char>(record[id3v1::kTrack]) : 0;
    m_Comment =
        readText(record, id3v1::kComment, v11 ? id3v1::kShortCommentBytes : id3v1::kTextBytes);
    m_Genre = static_cast<unsigned char>(record[id3v1::kGenre]);
    return true;
}

bool ID3tag::Save()
{
    if (!m_FileExists || m_ReadOnly)
        return false;
    TagFile file(m_writer, m_opener);
    if (!file.open(m_FileName, TagFile::Access::ReadWrite))
        return false;
    const id3v1::Tail tail = id3v1::readTail(file, kShortest);
    if (tail.bytes.isEmpty())
        return false;

    QByteArray record("TAG");
    record += zeroFilled(m_Name, id3v1::kTextBytes);
    record += zeroFilled(m_Artist, id3v1::kTextBytes);
    record += zeroFilled(m_Album, id3v1::kTextBytes);
    // Four digits, or four zero bytes for none (a year loaded from an exponent form can exceed
    // four digits: it is not written rather than spilling into the comment).
    record += m_Year >= 1 && m_Year <= 9999
        ? QStringLiteral("%1").arg(m_Year, 4, 10, QLatin1Char('0')).toLatin1()
        : QByteArray(id3v1::kYearBytes, '\0');
    if (m_SongNumber < 1) {
        record += zeroFilled(m_Comment, id3v1::kTextBytes);
    } else {
        if (m_Comment.size() > id3v1::kShortCommentBytes)
            m_Comment.truncate(id3v1::kShortCommentBytes);
        record += zeroFilled(m_Comment, id3v1::kShortCommentBytes);
        record += '\0';
        record += static_cast<char>(m_SongNumber);
    }
    record += static_cast<char>(m_Genre >= 0 && m_Genre <= 255 ? m_Genre : id3v1::kNoGenre);

    if (!id3v1::writeRecord(file, tail, record))
        return false;
    m_HasID3tag = true;
    return true;
}

bool ID3tag::RemoveTag()
{
    if (!m_FileExists || m_ReadOnly || !m_HasID3tag)
        return false;
    TagFile file(m_writer, m_opener);
    if (!file.open(m_FileName, TagFile::Access::ReadWrite))
        return false;
    const id3v1::Tail tail = id3v1::readTail(file, kShortest);
    if (!tail.hasRecord() || !file.truncate(tail.recordOffset()))
        return false;
    m_HasID3tag = false;
    return true;
}
