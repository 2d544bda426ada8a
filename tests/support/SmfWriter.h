#pragma once

#include "FileBytes.h"
#include "platform/midi/MidiFile.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

#include <QString>

// Builds Standard MIDI Files byte by byte for tests, benchmarks and fuzz seeds: the chunk
// lengths are filled in when the bytes are taken.
class SmfWriter
{
public:
    explicit SmfWriter(int format = 0, int division = 480)
        : m_format(format)
        , m_division(division)
    {}

    SmfWriter& track()
    {
        m_tracks.emplace_back();
        return *this;
    }

    // Any event after `delta` ticks: the status byte and what follows it, as given.
    SmfWriter& event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
    {
        vlq(delta);
        m_tracks.back().insert(m_tracks.back().end(), bytes);
        return *this;
    }

    // Bytes as they are, without a delta time.
    SmfWriter& raw(std::initializer_list<std::uint8_t> bytes)
    {
        m_tracks.back().insert(m_tracks.back().end(), bytes);
        return *this;
    }

    SmfWriter& tempo(std::uint32_t delta, std::uint32_t microsPerQuarter)
    {
        return event(delta,
            { 0xFF, 0x51, 0x03, std::uint8_t(microsPerQuarter >> 16),
                std::uint8_t(microsPerQuarter >> 8), std::uint8_t(microsPerQuarter) });
    }

    SmfWriter& noteOn(std::uint32_t delta, int channel, int note, int velocity = 100)
    {
        return event(
            delta, { std::uint8_t(0x90 | channel), std::uint8_t(note), std::uint8_t(velocity) });
    }

    SmfWriter& noteOff(std::uint32_t delta, int channel, int note)
    {
        return event(delta, { std::uint8_t(0x80 | channel), std::uint8_t(note), 0 });
    }

    SmfWriter& end(std::uint32_t delta = 0) { return event(delta, { 0xFF, 0x2F, 0x00 }); }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out { 'M', 'T', 'h', 'd', 0, 0, 0, 6 };
        word(out, m_format);
        word(out, static_cast<int>(m_tracks.size()));
        word(out, m_division);
        for (const auto& track : m_tracks) {
            out.insert(out.end(), { 'M', 'T', 'r', 'k' });
            const auto size = static_cast<std::uint32_t>(track.size());
            out.insert(out.end(),
                { std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8),
                    std::uint8_t(size) });
            out.insert(out.end(), track.begin(), track.end());
        }
        return out;
    }

    bool save(const QString& path) const { return writeFileBytes(path, bytes()); }

private:
    void vlq(std::uint32_t value) { MidiFile::appendVarLength(m_tracks.back(), value); }

    static void word(std::vector<std::uint8_t>& out, int value)
    {
        out.push_back(std::uint8_t(value >> 8));
        out.push_back(std::uint8_t(value));
    }

    int m_format;
    int m_division;
    std::vector<std::vector<std::uint8_t>> m_tracks;
};
