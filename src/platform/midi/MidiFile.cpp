#include "platform/midi/MidiFile.h"

#include "platform/audio/AudioEngine.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>

#include <glib.h>
#include <smf.h>

namespace {

// Largest tick count a track may reach: the library keeps times in pulses as int.
constexpr std::uint64_t kMaxTicks = 0x3FFFFFFF;

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

// One MTrk chunk's events, from `begin` to `end`: true when each event is complete and the
// track closes with its end-of-track event exactly at the chunk's end.
bool checkTrack(const std::uint8_t* data, std::size_t begin, std::size_t end)
{
    Reader in(data, end, begin);
    std::uint8_t running = 0;
    std::uint64_t ticks = 0;
    while (!in.atEnd()) {
        std::uint32_t delta;
        std::uint8_t status;
        if (!in.vlq(delta) || !in.byte(status))
            return false;
        ticks += delta;
        if (ticks > kMaxTicks)
            return false;
        if (status < 0x80) {
            // Running status: this byte is the first data byte of a repeated channel message.
            if (!running)
                return false;
            std::uint8_t data2;
            if (dataBytes(running) == 2 && (!in.byte(data2) || data2 >= 0x80))
                return false;
            continue;
        }
        if (status < 0xF0) {
            running = status;
            for (int i = 0; i < dataBytes(status); ++i) {
                std::uint8_t value;
                if (!in.byte(value) || value >= 0x80)
                    return false;
            }
            continue;
        }
        // System exclusive and meta events end running status.
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
        if (type == 0x51 && length != 3)
            return false;
        if (type == 0x2F)
            return length == 0 && in.offset() == end;
        if (!in.skip(length))
            return false;
    }
    return false; // no end-of-track event
}

void quietLibrary(const gchar*, GLogLevelFlags, const gchar*, gpointer)
{}

} // namespace

std::size_t MidiFile::checkedSize(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 14 || size > static_cast<std::size_t>(kMaxFileSize))
        return 0;
    if (bigEndian(data, 4) != 0x4D546864 /* MThd */ || bigEndian(data + 4, 4) != 6)
        return 0;
    const std::uint32_t format = bigEndian(data + 8, 2);
    const std::uint32_t tracks = bigEndian(data + 10, 2);
    const std::uint32_t division = bigEndian(data + 12, 2);
    // Frames-per-second timing (top bit of the division) is not supported by the library.
    if (format > 2 || tracks == 0 || (format == 0 && tracks != 1) || division == 0
        || (division & 0x8000))
        return 0;
    std::size_t at = 14;
    std::uint32_t found = 0;
    while (found < tracks) {
        if (size - at < 8)
            return 0;
        for (int i = 0; i < 4; ++i) {
            const char c = static_cast<char>(data[at + i]);
            const bool alnum =
                (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (!alnum)
                return 0;
        }
        const std::uint32_t length = bigEndian(data + at + 4, 4);
        const std::size_t begin = at + 8;
        if (length > size - begin)
            return 0;
        if (bigEndian(data + at, 4) == 0x4D54726B /* MTrk */) {
            if (!checkTrack(data, begin, begin + length))
                return 0;
            ++found;
        }
        at = begin + length;
    }
    return at;
}

MidiFileError MidiFile::parse(const std::uint8_t* data, std::size_t size, MidiSequence& sequence)
{
    const std::size_t checked = checkedSize(data, size);
    if (checked == 0)
        return MidiFileError::Malformed;

    // The library reports what it dislikes through GLib's log; the caller reports the result.
    static const guint handler = g_log_set_handler("libsmf",
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR), quietLibrary, nullptr);
    (void)handler;

    smf_t* smf = smf_load_from_memory(data, static_cast<int>(checked));
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
