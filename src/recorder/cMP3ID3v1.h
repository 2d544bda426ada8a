#pragma once

#include "TagFile.h"

#include <cstdint>

#include <QString>

class MessageBoxService;

// The tag editor's view of one MP3 file's ID3v1 tag: setting MP3File reads the record into raw
// fields, kept exactly as stored (a title read is always 30 characters, blanks and zero bytes
// included); Update writes them back, each cut or filled up with blanks to its width, over the
// record or appended as a new one. Texts are Windows-1252 bytes.
//
// A record whose byte 125 is not 0 is ID3v1.0: its comment is all 30 bytes and Track 0. Update
// writes ID3v1.1 (28-byte comment, a zero byte, Track) unless Track is 0 and the comment is longer
// than 28 bytes: then the comment fills 30 bytes, so a v1.0 record read and written back keeps
// its comment whole.
//
// Reading never reports anything; a failed write is shown in a critical box with the system's
// description, and puts the file back as it was. UI thread only.
class cMP3ID3v1
{
public:
    explicit cMP3ID3v1(MessageBoxService& boxes, TagWriter writer = {});

    QString MP3File() const { return m_MP3File; }

    void setMP3File(const QString& path);

    void Update();

    bool HasID3v1Tag() const { return m_HasID3v1Tag; }

    QString Title() const { return m_Title; }

    void setTitle(const QString& title) { m_Title = title; }

    QString Artist() const { return m_Artist; }

    void setArtist(const QString& artist) { m_Artist = artist; }

    QString Album() const { return m_Album; }

    void setAlbum(const QString& album) { m_Album = album; }

    QString Year() const { return m_Year; }

    void setYear(const QString& year) { m_Year = year; }

    std::uint8_t Track() const { return m_Track; }

    void setTrack(std::uint8_t track) { m_Track = track; }

    QString Comment() const { return m_Comment; }

    void setComment(const QString& comment) { m_Comment = comment; }

    // 255 means none.
    std::uint8_t Genre() const { return m_Genre; }

    void setGenre(std::uint8_t genre) { m_Genre = genre; }

    // "" for a number without a name.
    static QString GenreName(std::uint8_t genre);

private:
    void ReadTag();
    void WriteTag();

    MessageBoxService& m_boxes;
    TagWriter m_writer;
    QString m_MP3File;
    bool m_HasID3v1Tag = false;
    QString m_Title;
    QString m_Artist;
    QString m_Album;
    QString m_Year;
    QString m_Comment;
    std::uint8_t m_Genre = 255;
    std::uint8_t m_Track = 0;
};
