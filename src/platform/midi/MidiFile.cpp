#include "platform/midi/MidiFile.h"

#include "platform/audio/AudioEngine.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>

#include <glib.h>
#include <smf.h>

namespace {

// Largest tick count a track may reach: the library keeps times in pulses as int, and ticks
// carried over left-out events must still fit one four-byte delta.
constexpr std::uint64_t kMaxTicks = 0x0FFFFFFF;

class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t end, std::size_t at)
        : m_data(data)
        , m_end(end)
        , m_at(at)
    {}

    bool atEnd() const { return m_at >= m_end; }

    std::size_t offset() const { return m_at; }

    bool byte(std::uint8_t& value)
    {
        if (m_at >= m_end)
            return false;
        value = m_data[m_at++];
        return true;
    }

    // A variable-length quantity: at most four bytes, seven bits each.
    bool vlq(std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!byte(b))
                return false;
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }

    bool skip(std::uint32_t count)
    {
        if (count > m_end - m_at)
            return false;
        m_at += count;
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_end;
    std::size_t m_at;
};

std::uint32_t bigEndian(const std::uint8_t* p, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

int dataBytes(std::uint8_t status)
{
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Checks one MTrk chunk's events, from `begin` to `end`, and writes the track the library gets
// into `out`: channel messages with their status byte, tempo events and the end-of-track event,
// each after the ticks since the previous one kept. True when every event is complete and the
// track closes with its end-of-track event exactly at the chunk's end.
bool copyTrack(
    const std::uint8_t* data, std::size_t begin, std::size_t end, std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t> track;
    Reader in(data, end, begin);
    std::uint8_t running = 0;
    std::uint64_t ticks = 0;
    std::uint32_t carried = 0; // ticks of events left out, added to the next one kept
    while (!in.atEnd()) {
        std::uint32_t delta;
        std::uint8_t status;
        if (!in.vlq(delta) || !in.byte(status))
            return false;
        ticks += delta;
        carried += delta;
        if (ticks > kMaxTicks)
            return false;
        std::uint8_t bytes[2];
        if (status < 0x80) {
            // Running status: this byte is the first data byte of a repeated channel message.
            if (!running)
                return false;
            bytes[0] = status;
            status = running;
            if (dataBytes(status) == 2 && (!in.byte(bytes[1]) || bytes[1] >= 0x80))
                return false;
        } else if (status < 0xF0) {
            running = status;
            for (int i = 0; i < dataBytes(status); ++i) {
                if (!in.byte(bytes[i]) || bytes[i] >= 0x80)
                    return false;
            }
        }
        if (status < 0xF0) {
            MidiFile::appendVarLength(track, carried);
            carried = 0;
            track.push_back(status);
            track.insert(track.end(), bytes, bytes + dataBytes(status));
            continue;
        }
        // System exclusive and meta events end running status. The system exclusive ones are
        // left out: the library stumbles over some of their forms, and nothing plays them.
        running = 0;
        std::uint32_t length;
        if (status == 0xF0 || status == 0xF7) {
            if (!in.vlq(length) || !in.skip(length))
                return false;
            continue;
        }
        if (status != 0xFF)
            return false;
        std::uint8_t type;
        if (!in.byte(type) || type >= 0x80 || !in.vlq(length))
            return false;
        const std::size_t payload = in.offset();
        if (!in.skip(length))
            return false;
        if (type == 0x51) {
            if (length != 3)
                return false;
            MidiFile::appendVarLength(track, carried);
            carried = 0;
            track.insert(track.end(), { 0xFF, 0x51, 0x03 });
            track.insert(track.end(), data + payload, data + payload + 3);
        } else if (type == 0x2F) {
            if (length != 0 || in.offset() != end)
                return false;
            MidiFile::appendVarLength(track, carried);
            track.insert(track.end(), { 0xFF, 0x2F, 0x00 });
            out.insert(out.end(), { 'M', 'T', 'r', 'k' });
            putBigEndian(out, static_cast<std::uint32_t>(track.size()), 4);
            out.insert(out.end(), track.begin(), track.end());
            return true;
        }
    }
    return false; // no end-of-track event
}

void quietLibrary(const gchar*, GLogLevelFlags, const gchar*, gpointer)
{}

} // namespace

void MidiFile::appendVarLength(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value && count < 4);
    while (count > 1)
        out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

bool MidiFile::sanitize(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!data || size < 14 || size > static_cast<std::size_t>(kMaxFileSize))
        return false;
    if (bigEndian(data, 4) != 0x4D546864 /* MThd */ || bigEndian(data + 4, 4) != 6)
        return false;
    const std::uint32_t format = bigEndian(data + 8, 2);
    const std::uint32_t tracks = bigEndian(data + 10, 2);
    const std::uint32_t division = bigEndian(data + 12, 2);
    // The library reads neither format 2 (independent sequences) nor frames-per-second timing
    // (top bit of the division), and leaks what it began when it refuses them.
    if (format > 1 || tracks == 0 || (format == 0 && tracks != 1) || division == 0
        || (division & 0x8000))
        return false;
    out.assign(data, data + 14);
    std::size_t at = 14;
    std::uint32_t found = 0;
    // Chunks after the declared tracks are left out; other chunks between them are skipped.
    while (found < tracks) {
        if (size - at < 8)
            return false;
        const std::uint32_t length = bigEndian(data + at + 4, 4);
        const std::size_t begin = at + 8;
        if (length > size - begin)
            return false;
        if (bigEndian(data + at, 4) == 0x4D54726B /* MTrk */) {
            if (!copyTrack(data, begin, begin + length, out))
                return false;
            ++found;
        }
        at = begin + length;
    }
    return true;
}

MidiFileError MidiFile::parse(const std::uint8_t* data, std::size_t size, MidiSequence& sequence)
{
    std::vector<std::uint8_t> checked;
    if (!sanitize(data, size, checked))
        return MidiFileError::Malformed;

    // The library reports what it dislikes through GLib's log; the caller reports the result.
    static const guint handler = g_log_set_handler("libsmf",
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR), quietLibrary, nullptr);
    (void)handler;

    smf_t* smf = smf_load_from_memory(checked.data(), static_cast<int>(checked.size()));
    if (!smf)
        return MidiFileError::Malformed;

    MidiSequence result;
    const double rate = AudioEngine::kSampleRate;
    bool ok = true;
    smf_rewind(smf);
    while (smf_event_t* event = smf_get_next_event(smf)) {
        if (!std::isfinite(event->time_seconds) || event->time_seconds < 0) {
            ok = false;
            break;
        }
        const int length = event->midi_buffer_length;
        const unsigned char* bytes = event->midi_buffer;
        if (length < 1 || !bytes || bytes[0] < 0x80 || bytes[0] >= 0xF0)
            continue;
        if (length < 1 + dataBytes(bytes[0]))
            continue;
        std::uint32_t message = bytes[0] | (std::uint32_t(bytes[1]) << 8);
        if (dataBytes(bytes[0]) == 2)
            message |= std::uint32_t(bytes[2]) << 16;
        result.events.push_back({ std::llround(event->time_seconds * rate), message });
    }
    const double seconds = smf_get_length_seconds(smf);
    smf_delete(smf);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return MidiFileError::Malformed;
    result.lengthSamples = std::llround(seconds * rate);
    sequence = std::move(result);
    return MidiFileError::None;
}

MidiFileError MidiFile::read(const QString& path, MidiSequence& sequence)
{
    if (!QFileInfo(path).isFile())
        return MidiFileError::NotFound;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return MidiFileError::Unreadable;
    // A file too large to be a MIDI file is not read whole.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return MidiFileError::Unreadable;
    return parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size(), sequence);
}
