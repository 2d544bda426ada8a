#pragma once

#include "TagFile.h"
#include "controls/ControlError.h"

#include <cstdint>

#include <QString>

// One MP3 file's ID3v1 tag as the encoding run stamps it: bind it to a file with setFileName
// (which loads the tag), set the fields, Save. Texts are trimmed of blanks and cut to 30
// characters when set; the file gets them as Windows-1252 bytes filled up with zero bytes.
// The object keeps no file open between calls, and no member shows anything: failures answer
// false. A write that fails half-way puts the file back as it was. UI thread only.
//
// Properties keep their given names: the getter is the name, the setter `set` + the name.
class ID3tag
{
public:
    // Its files are opened and written through `opener` and `writer` (the system's own when empty).
    explicit ID3tag(TagWriter writer = {}, TagOpener opener = {});

    QString Album() const { return m_Album; }

    void setAlbum(const QString& sAlbum);

    QString Artist() const { return m_Artist; }

    void setArtist(const QString& sArtist);

    QString Comment() const { return m_Comment; }

    void setComment(const QString& sComment);

    // True when the bound file could be opened for reading.
    bool FileExists() const { return m_FileExists; }

    QString FileName() const { return m_FileName; }

    // Binds to the file (blanks around the path removed) and loads its tag. A path that cannot be
    // opened for reading unbinds the object and leaves the fields as they were.
    void setFileName(const QString& spath);

    // 255 means none.
    std::int32_t Genre() const { return m_Genre; }

    // Any value a 16-bit integer holds is kept as it is; others are refused with the overflow
    // error and the field keeps its value.
    [[nodiscard]] PropertyError setGenre(std::int32_t lGenre);

    // The genre's name, "" when it has none.
    QString Genre_str() const;

    // The last Load found a record, or Save wrote one.
    bool HasID3tag() const { return m_HasID3tag; }

    // The title.
    QString Name() const { return m_Name; }

    void setName(const QString& sName);

    // The bound file cannot be opened for writing.
    bool ReadOnly() const { return m_ReadOnly; }

    // 0 means none, and the record is then written as ID3v1.0 with a 30-byte comment; 1 to 255
    // writes ID3v1.1. Values outside 0 to 255 are stored as 0.
    std::int16_t SongNumber() const { return m_SongNumber; }

    void setSongNumber(std::int16_t iSongNumber);

    // 0 means none; values outside 0 to 9999 are stored as 0.
    std::int16_t Year() const { return m_Year; }

    void setYear(std::int16_t iYear);

    // Clears the fields, then reads the record of the bound file when it has one.
    bool Load();
    // Overwrites the file's record, or appends one when it has none. False, with the file as it
    // was, when it is unbound, read-only, shorter than 128 bytes, or a read or write fails.
    bool Save();
    // Cuts the record off the file.
    bool RemoveTag();
    // Empties the fields; the binding stays.
    void Clear();

private:
    TagWriter m_writer;
    TagOpener m_opener;
    QString m_Name;
    QString m_Album;
    QString m_Artist;
    std::int16_t m_Year = 0;
    std::int16_t m_Genre = 255;
    QString m_Comment;
    std::int16_t m_SongNumber = 0;
    QString m_FileName;
    bool m_FileExists = false;
    bool m_ReadOnly = false;
    bool m_HasID3tag = false;
};
