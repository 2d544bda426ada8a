#pragma once

#include <QByteArray>
#include <QString>

class TagFile;

// The ID3v1 record: the last 128 bytes of an MP3 file when they begin with "TAG". Offsets count
// from the record's first byte. A record whose byte kTrackMark is 0 and byte kTrack is not
// (ID3v1.1) has a 28-byte comment and a track number; otherwise (ID3v1.0) the comment is 30
// bytes long and there is no track.
namespace id3v1 {

inline constexpr int kSize = 128;
inline constexpr int kTitle = 3;
inline constexpr int kArtist = 33;
inline constexpr int kAlbum = 63;
inline constexpr int kYear = 93;
inline constexpr int kComment = 97;
inline constexpr int kTrackMark = 125;
inline constexpr int kTrack = 126;
inline constexpr int kGenre = 127;

inline constexpr int kTextBytes = 30;
inline constexpr int kYearBytes = 4;
inline constexpr int kShortCommentBytes = 28;
inline constexpr int kNoGenre = 255;

inline bool isRecord(const QByteArray& lastBytes)
{
    return lastBytes.size() == kSize && lastBytes.startsWith("TAG");
}

// A file's end, where its record stands or a new one goes.
struct Tail
{
    // -1 when it cannot be had.
    qint64 length = -1;
    // Shorter than the reader that asked looks at.
    bool tooShort = false;
    // The last kSize bytes; empty when the file is too short or they cannot be read.
    QByteArray bytes;

    bool hasRecord() const { return isRecord(bytes); }

    // Over the record the file has, else right after its last byte.
    qint64 recordOffset() const { return hasRecord() ? length - kSize : length; }
};

// The length and last kSize bytes of `file` when it is at least `shortest` bytes long. Each
// reader sets its own `shortest`: whether a file that is nothing but a record has one is the
// reader's rule, not the layout's.
Tail readTail(TagFile& file, qint64 shortest);

// Writes `record` (kSize bytes) at the tail's recordOffset(); on a failure the file ends as it
// was, and `file` says why.
bool writeRecord(TagFile& file, const Tail& tail, const QByteArray& record);

// A field's bytes: `bytes` cut or filled up with `fill` to `width`.
inline QByteArray field(const QByteArray& bytes, int width, char fill)
{
    return bytes.left(width).leftJustified(width, fill);
}

// The name of a genre number; "" for 123 and for every number outside 0 to 147.
QString genreName(int number);

} // namespace id3v1
