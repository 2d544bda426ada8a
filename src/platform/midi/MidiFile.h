#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>

// A channel message of a MIDI file at its sample, counted from the start of the file at the
// sound engine's rate.
struct TimedMessage
{
    std::int64_t sample = 0;
    std::uint32_t message = 0; // status in the lowest byte, then the data bytes

    bool operator==(const TimedMessage&) const = default;
};

// A MIDI file ready to play: its channel messages in time order, with the tempo map applied,
// and its length (the time of its last event). Meta events and system exclusive messages are
// not kept.
struct MidiSequence
{
    std::vector<TimedMessage> events;
    std::int64_t lengthSamples = 0;
};

// NoSynth: the file is fine, but no SoundFont could be loaded to play it.
enum class MidiFileError { None, NotFound, Unreadable, Malformed, NoSynth };

// Reads Standard MIDI Files (formats 0 and 1, ticks per quarter note). Every file comes from
// outside, so its structure is checked byte by byte before the MIDI library sees it: chunk
// sizes, track count, every event's length, running status, tempo events, end-of-track markers.
// A file that fails a check is Malformed; nothing here reads outside the bytes it was given.
// The library then gets a copy re-encoded from the checked events, with only what it needs.
class MidiFile
{
public:
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    static MidiFileError read(const QString& path, MidiSequence& sequence);
    static MidiFileError parse(const std::uint8_t* data, std::size_t size, MidiSequence& sequence);

    // The structure check, and the file as the library gets it: the header, then each declared
    // track with only its channel messages (each with its status byte), tempo events and
    // end-of-track event; system exclusive and other meta events, other chunks and trailing
    // bytes left out, their ticks kept. False (and `out` unusable) when the file is malformed.
    // Appends `value` (below 2^28) as a variable-length quantity: seven bits a byte, the
    // highest first, every byte but the last with its top bit set.
    static void appendVarLength(std::vector<std::uint8_t>& out, std::uint32_t value);

    static bool sanitize(
        const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
};
