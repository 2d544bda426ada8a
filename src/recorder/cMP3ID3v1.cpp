#include "cMP3ID3v1.h"

#include "ID3v1Record.h"
#include "Windows1252.h"
#include "platform/basic/MessageBoxService.h"

namespace {

// A file of exactly one record is no MP3 with a tag: it is neither read nor written.
constexpr qint64 kShortest = id3v1::kSize + 1;

QString rawText(const QByteArray& record, int offset, int width)
{
    return fromWindows1252(record.mid(offset, width));
}

} // namespace

cMP3ID3v1::cMP3ID3v1(MessageBoxService& boxes, TagWriter writer)
    : m_boxes(boxes)
    , m_writer(std::move(writer))
{}

void cMP3ID3v1::setMP3File(const QString& path)
{
    m_MP3File = path;
    ReadTag();
}

void cMP3ID3v1::Update()
{
    WriteTag();
}

QString cMP3ID3v1::GenreName(std::uint8_t genre)
{
    return id3v1::genreName(genre);
}

void cMP3ID3v1::ReadTag()
{
    m_HasID3v1Tag = false;
    m_Comment.clear();
    m_Artist.clear();
    m_Album.clear();
    m_Year.clear();
    m_Title.clear();
    m_Genre = id3v1::kNoGenre;
    m_Track = 0;

    TagFile file;
    if (!file.open(m_MP3File, TagFile::Access::Read))
        return;
    const id3v1::Tail tail = id3v1::readTail(file, kShortest);
    if (!tail.hasRecord())
        return;
    const QByteArray& record = tail.bytes;
    m_HasID3v1Tag = true;
    m_Title = rawText(record, id3v1::kTitle, id3v1::kTextBytes);
    m_Artist = rawText(record, id3v1::kArtist, id3v1::kTextBytes);
    m_Album = rawText(record, id3v1::kAlbum, id3v1::kTextBytes);
    m_Year = rawText(record, id3v1::kYear, id3v1::kYearBytes);
    if (record[id3v1::kTrackMark] != '\0') {
        m_Comment = rawText(record, id3v1::kComment, id3v1::kTextBytes);
    } else {
        m_Comment = rawText(record, id3v1::kComment, id3v1::kShortCommentBytes);
        m_Track = static_cast<std::uint8_t>(record[id3v1::kTrack]);
    }
    m_Genre = static_cast<std::uint8_t>(record[id3v1::kGenre]);
}

void cMP3ID3v1::WriteTag()
{
    TagFile file(m_writer);
    if (!file.open(m_MP3File, TagFile::Access::ReadWrite)) {
        m_boxes.msgBox(file.errorText(), MsgButtons::OK, MsgIcon::Critical);
        return;
    }
    const id3v1::Tail tail = id3v1::readTail(file, kShortest);
    if (tail.length == 0) {
        m_boxes.msgBox(m_MP3File + QStringLiteral(" is not a valid MP3 file."), MsgButtons::OK,
            MsgIcon::Critical);
        return;
    }
    // A length that cannot be had is reported below, with the system's words.
    if (tail.length > 0 && tail.tooShort)
        return;
    if (tail.bytes.isEmpty()) {
        m_boxes.msgBox(file.errorText(), MsgButtons::OK, MsgIcon::Critical);
        return;
    }

    QByteArray record("TAG");
    record += id3v1::field(toWindows1252(m_Title), id3v1::kTextBytes, ' ');
    record += id3v1::field(toWindows1252(m_Artist), id3v1::kTextBytes, ' ');
    record += id3v1::field(toWindows1252(m_Album), id3v1::kTextBytes, ' ');
    record += id3v1::field(toWindows1252(m_Year), id3v1::kYearBytes, ' ');
    const QByteArray comment = toWindows1252(m_Comment);
    if (m_Track == 0 && comment.size() > id3v1::kShortCommentBytes) {
        record += id3v1::field(comment, id3v1::kTextBytes, ' ');
    } else {
        record += id3v1::field(comment, id3v1::kShortCommentBytes, ' ');
        record += '\0';
        record += static_cast<char>(m_Track);
    }
    record += static_cast<char>(m_Genre);

    // The identifier of an existing record is written again as it stands.
    if (!id3v1::writeRecord(file, tail, record))
        m_boxes.msgBox(file.errorText(), MsgButtons::OK, MsgIcon::Critical);
}
