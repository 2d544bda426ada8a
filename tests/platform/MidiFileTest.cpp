#include "platform/midi/MidiFile.h"

#include "SmfWriter.h"
#include "platform/midi/MidiOut.h"

#include <functional>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

MidiFileError parse(const std::vector<std::uint8_t>& bytes, MidiSequence& sequence)
{
    return MidiFile::parse(bytes.data(), bytes.size(), sequence);
}

// 480 ticks per quarter; 120 bpm for two beats (1 s), then 60 bpm: tick 1440 is at 2 s and
// the end (tick 1920) at 3 s.
SmfWriter tempoChangeSong()
{
    SmfWriter song(0, 480);
    song.track()
        .tempo(0, 500000)
        .noteOn(0, 0, 60)
        .noteOff(960, 0, 60)
        .tempo(0, 1000000)
        .noteOn(480, 9, 36, 90)
        .noteOff(480, 9, 36)
        .end();
    return song;
}

TEST(MidiFileTest, TempoChangesMoveEventsAndLength)
{
    MidiSequence sequence;
    ASSERT_EQ(parse(tempoChangeSong().bytes(), sequence), MidiFileError::None);
    const std::vector<TimedMessage> expected { { 0, midiMessage(0x90, 60, 100) },
        { 44100, midiMessage(0x80, 60, 0) }, { 88200, midiMessage(0x99, 36, 90) },
        { 132300, midiMessage(0x89, 36, 0) } };
    EXPECT_EQ(sequence.events, expected);
    EXPECT_EQ(sequence.lengthSamples, 132300);
}

TEST(MidiFileTest, TempoOfTheFirstTrackTimesTheOtherTracksAndRunningStatusReads)
{
    SmfWriter song(1, 96);
    song.track().tempo(0, 250000).tempo(192, 500000).end(96); // 240 bpm for 2 beats, then 120
    song.track()
        .noteOn(0, 1, 60)
        .event(192, { 62, 80 }) // running status: another note on, at 0.5 s
        .event(96, { 0xC1, 7 })
        .end();
    MidiSequence sequence;
    ASSERT_EQ(parse(song.bytes(), sequence), MidiFileError::None);
    const std::vector<TimedMessage> expected { { 0, midiMessage(0x91, 60, 100) },
        { 22050, midiMessage(0x91, 62, 80) }, { 44100, midiMessage(0xC1, 7) } };
    EXPECT_EQ(sequence.events, expected);
    EXPECT_EQ(sequence.lengthSamples, 44100);
}

TEST(MidiFileTest, MalformedFilesAreRejectedBeforeTheLibrarySeesThem)
{
    const auto valid = tempoChangeSong().bytes();
    auto patched = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        auto copy = valid;
        std::copy(bytes.begin(), bytes.end(), copy.begin() + at);
        return copy;
    };
    auto track = [](const std::function<void(SmfWriter&)>& build, int format = 0) {
        SmfWriter song(format);
        song.track();
        build(song);
        return song.bytes();
    };

    const struct
    {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        { "empty", {} },
        { "header cut", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 13) },
        { "track cut", std::vector<std::uint8_t>(valid.begin(), valid.end() - 1) },
        { "not a MIDI file", patched(0, { 'R', 'I', 'F', 'F' }) },
        { "header length 7", patched(7, { 7 }) },
        { "format 2", patched(9, { 2 }) },
        { "no tracks", patched(10, { 0, 0 }) },
        { "format 0 with two tracks", patched(10, { 0, 2 }) },
        { "frames-per-second timing", patched(12, { 0xE7, 0x28 }) },
        { "division 0", patched(12, { 0, 0 }) },
        { "chunk longer than the file", patched(18, { 0, 0, 1, 0 }) },
        { "chunk id not a name", patched(14, { 'M', 'T', 'r', 0 }) },
        { "no end of track", track([](SmfWriter& s) {
             s.noteOn(0, 0, 60);
         }) },
        { "event after end of track", track([](SmfWriter& s) {
             s.end().noteOn(0, 0, 60);
         }) },
        { "running status with none set", track([](SmfWriter& s) {
             s.event(0, { 60, 1 }).end();
         }) },
        { "running status after a meta event", track([](SmfWriter& s) {
             s.noteOn(0, 0, 60).tempo(0, 500000).event(0, { 60, 0 }).end();
         }) },
        { "data byte with its top bit", track([](SmfWriter& s) {
             s.noteOn(0, 0, 60, 200).end();
         }) },
        { "tempo of two bytes", track([](SmfWriter& s) {
             s.event(0, { 0xFF, 0x51, 2, 1, 2 }).end();
         }) },
        { "meta type with its top bit", track([](SmfWriter& s) {
             s.event(0, { 0xFF, 0x81, 0 }).end();
         }) },
        { "end of track with data", track([](SmfWriter& s) {
             s.event(0, { 0xFF, 0x2F, 1, 0 });
         }) },
        { "sysex past the chunk", track([](SmfWriter& s) {
             s.event(0, { 0xF0, 0x7F, 1 }).end();
         }) },
        { "system common in a track", track([](SmfWriter& s) {
             s.event(0, { 0xF2, 1, 1 }).end();
         }) },
        { "delta of five bytes", track([](SmfWriter& s) {
             s.raw({ 0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 1 }).end();
         }) },
        { "fewer tracks than declared",
            [] {
                SmfWriter song(1);
                song.track().end();
                auto bytes = song.bytes();
                bytes[11] = 2;
                return bytes;
            }() },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MidiSequence sequence;
        sequence.lengthSamples = 99;
        std::vector<std::uint8_t> copy;
        EXPECT_FALSE(MidiFile::sanitize(c.bytes.data(), c.bytes.size(), copy));
        EXPECT_EQ(parse(c.bytes, sequence), MidiFileError::Malformed);
        EXPECT_EQ(sequence.lengthSamples, 99) << "a failed parse leaves the sequence alone";
    }
}

TEST(MidiFileTest, EveryCutOfAValidFileIsMalformedAndTrailingBytesAreLeftOut)
{
    auto bytes = tempoChangeSong().bytes();
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        SCOPED_TRACE(size);
        MidiSequence sequence;
        EXPECT_EQ(MidiFile::parse(bytes.data(), size, sequence), MidiFileError::Malformed);
    }
    const std::size_t whole = bytes.size();
    bytes.insert(bytes.end(), { 'J', 'U', 'N', 'K', 0xFF, 0xFF, 0xFF, 0xFF, 0x00 });
    std::vector<std::uint8_t> copy;
    ASSERT_TRUE(MidiFile::sanitize(bytes.data(), bytes.size(), copy));
    EXPECT_EQ(copy, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + whole))
        << "a file of channel messages, tempo and end of track reaches the library as it is";
    MidiSequence sequence;
    EXPECT_EQ(parse(bytes, sequence), MidiFileError::None);
    EXPECT_EQ(sequence.lengthSamples, 132300);
}

TEST(MidiFileTest, TheLibraryGetsOnlyChannelMessagesTempoAndEndOfTrackWithTheirTicks)
{
    SmfWriter song(0, 96);
    song.track()
        .event(0, { 0xFF, 0x03, 4, 'T', 'o', 'n', 'e' })
        .noteOn(10, 0, 60)
        .event(5, { 62, 70 }) // running status
        .event(7, { 0xF0, 2, 0x7E, 0xF7 })
        .event(0x7F, { 0xF7, 1, 0 }) // an escape the library asserts on
        .tempo(1, 600000)
        .event(2, { 0xFF, 0x58, 4, 4, 2, 24, 8 })
        .end(3);
    const auto bytes = song.bytes();
    std::vector<std::uint8_t> copy;
    ASSERT_TRUE(MidiFile::sanitize(bytes.data(), bytes.size(), copy));
    SmfWriter expected(0, 96);
    expected.track()
        .noteOn(10, 0, 60)
        .event(5, { 0x90, 62, 70 })
        .tempo(7 + 0x7F + 1, 600000)
        .end(2 + 3);
    EXPECT_EQ(copy, expected.bytes());
    MidiSequence sequence;
    EXPECT_EQ(parse(bytes, sequence), MidiFileError::None);
    EXPECT_EQ(sequence.events.size(), 2u);
}

TEST(MidiFileTest, ReadTellsMissingFromMalformed)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.mid"));
    ASSERT_TRUE(tempoChangeSong().save(good));
    const QString empty = dir.filePath(QStringLiteral("empty.mid"));
    ASSERT_TRUE(SmfWriter().save(empty) && QFile::resize(empty, 0));

    MidiSequence sequence;
    EXPECT_EQ(MidiFile::read(good, sequence), MidiFileError::None);
    EXPECT_EQ(sequence.events.size(), 4u);
    EXPECT_EQ(MidiFile::read(dir.filePath(QStringLiteral("none.mid")), sequence),
        MidiFileError::NotFound);
    EXPECT_EQ(MidiFile::read(dir.path(), sequence), MidiFileError::NotFound);
    EXPECT_EQ(MidiFile::read(dir.path() + QStringLiteral("/"), sequence), MidiFileError::NotFound);
    EXPECT_EQ(MidiFile::read(empty, sequence), MidiFileError::Malformed);
}

} // namespace
