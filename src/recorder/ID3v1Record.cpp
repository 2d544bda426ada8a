#include "ID3v1Record.h"

#include "TagFile.h"

#include <algorithm>
#include <array>

namespace id3v1 {

namespace {

// 133 has a neutral label so that a list built from this table keeps one entry per number.
constexpr std::array<const char*, 148> kGenres = { "Blues", "Classic Rock", "Country", "Dance",
    "Disco", "Funk", "Grunge", "Hip Hop", "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop",
    "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska", "Death Metal",
    "Pranks", "Soundtrack", "Euro - Techno", "Ambient", "Trip Hop", "Vocal", "Jazz - Funk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip",
    "Gospel", "Noise", "Alt.Rock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno - Industrial",
    "Electronic", "Pop / Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult",
    "Gangsta Rap", "Top 40", "Christian Rap", "Pop / Funk", "Jungle", "Native American", "Cabaret",
    "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo - fi", "Tribal", "Acid Punk",
    "Acid Jazz", "Polka", "Retro", "Musical", "Rock 'n'Roll", "Hard Rock", "Folk", "Folk / Rock",
    "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Blue Grass",
    "Avant Garde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock",
    "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson",
    "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Pr0n Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "", "Euro - House", "Dance Hall", "Goa",
    "Drum & Bass", "Club - House", "Hardcore", "Terror", "Indie", "Brit Pop", "Genre 133",
    "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime",
    "JPop", "Synth Pop" };

} // namespace

Tail readTail(TagFile& file, qint64 shortest)
{
    Tail tail;
    tail.length = file.length();
    tail.tooShort = tail.length < std::max<qint64>(shortest, kSize);
    if (tail.length >= 0 && !tail.tooShort)
        tail.bytes = file.readAt(tail.length - kSize, kSize);
    return tail;
}

bool writeRecord(TagFile& file, const Tail& tail, const QByteArray& record)
{
    return file.replace(
        tail.recordOffset(), record, tail.hasRecord() ? tail.bytes : QByteArray(), tail.length);
}

QString genreName(int number)
{
    if (number < 0 || number >= static_cast<int>(kGenres.size()))
        return {};
    return QString::fromLatin1(kGenres[static_cast<std::size_t>(number)]);
}

} // namespace id3v1
