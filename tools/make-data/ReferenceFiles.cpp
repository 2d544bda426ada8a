#include "ReferenceFiles.h"

#include "platform/audio/WavWriter.h"
#include "platform/midi/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace referencefiles {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Event
{
    std::uint32_t tick;
    Bytes bytes;
};

void putBigEndian(Bytes& out, std::uint32_t value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Event tempoEvent()
{
    Bytes bytes { 0xFF, 0x51, 0x03 };
    putBigEndian(bytes, kMicrosPerQuarter, 3);
    return { 0, bytes };
}

Event channelEvent(std::uint32_t tick, int status, int data1, int data2)
{
    return { tick,
        { static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(data1),
            static_cast<std::uint8_t>(data2) } };
}

// A format-0 file of the events in the order given (their ticks must not go back), closed by
// the end-of-track event at `endTick`.
QByteArray midiFile(const std::vector<Event>& events, std::uint32_t endTick)
{
    Bytes track;
    std::uint32_t tick = 0;
    for (const Event& event : events) {
        MidiFile::appendVarLength(track, event.tick - tick);
        track.insert(track.end(), event.bytes.begin(), event.bytes.end());
        tick = event.tick;
    }
    MidiFile::appendVarLength(track, endTick - tick);
    track.insert(track.end(), { 0xFF, 0x2F, 0x00 });

    Bytes file { 'M', 'T', 'h', 'd' };
    putBigEndian(file, 6, 4);
    putBigEndian(file, 0, 2); // format
    putBigEndian(file, 1, 2); // tracks
    putBigEndian(file, kDivision, 2);
    file.insert(file.end(), { 'M', 'T', 'r', 'k' });
    putBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return QByteArray(
        reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
}

} // namespace

QByteArray referenceNote(int note)
{
    constexpr std::uint32_t noteTicks = kNoteSeconds * 1000000 / kMicrosPerQuarter * kDivision;
    // Half a second after the key is let go, for the organ's release.
    constexpr std::uint32_t tailTicks = kDivision;
    return midiFile(
        {
            tempoEvent(),
            Event { 0, { 0xC0, kNoteProgram } },
            channelEvent(0, 0xE0, kNoteBend & 0x7F, kNoteBend >> 7),
            channelEvent(0, 0x90, note, 100),
            channelEvent(noteTicks, 0x80, note, 0),
        },
        noteTicks + tailTicks);
}

QByteArray polyrhythmExample(int p, int q)
{
    constexpr int channel = 9;
    constexpr std::uint32_t strokeTicks = kDivision / 4;

    struct Stroke
    {
        std::uint32_t tick;
        int note;
        int velocity;
    };

    std::vector<Stroke> strokes;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const auto start = static_cast<std::uint32_t>(cycle * kCycleTicks);
        for (int i = 0; i < p; ++i)
            strokes.push_back({ start + static_cast<std::uint32_t>(i * kCycleTicks / p),
                kFirstVoiceNote, i == 0 ? kAccentVelocity : kStrokeVelocity });
        for (int j = 0; j < q; ++j)
            strokes.push_back({ start + static_cast<std::uint32_t>(j * kCycleTicks / q),
                kSecondVoiceNote, j == 0 ? kAccentVelocity : kStrokeVelocity });
    }
    // The last cycle resolves on one more shared downbeat.
    const auto last = static_cast<std::uint32_t>(kCycles * kCycleTicks);
    strokes.push_back({ last, kFirstVoiceNote, kAccentVelocity });
    strokes.push_back({ last, kSecondVoiceNote, kAccentVelocity });

    std::vector<Event> events { tempoEvent() };
    for (const Stroke& stroke : strokes) {
        events.push_back(channelEvent(stroke.tick, 0x90 | channel, stroke.note, stroke.velocity));
        events.push_back(channelEvent(stroke.tick + strokeTicks, 0x80 | channel, stroke.note, 0));
    }
    // By time; at one tick a key is let go before the next stroke, and the first voice first.
    std::stable_sort(events.begin() + 1, events.end(), [](const Event& a, const Event& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        return (a.bytes[0] & 0xF0) == 0x80 && (b.bytes[0] & 0xF0) == 0x90;
    });
    return midiFile(events, last + kCycleTicks / 2);
}

QByteArray a440Wave()
{
    constexpr int frames = kToneRate * kToneSeconds;
    constexpr int fadeFrames = kToneRate / 50; // 20 ms
    // -6 dBFS peak.
    const double amplitude = std::pow(10.0, -6.0 / 20.0) * 32767.0;
    QByteArray pcm;
    pcm.reserve(frames * 2);
    for (int n = 0; n < frames; ++n) {
        double gain = 1.0;
        const int edge = std::min(n, frames - 1 - n);
        if (edge < fadeFrames)
            gain = 0.5 - 0.5 * std::cos(std::numbers::pi * edge / fadeFrames);
        // 440 / 44100 = 22 / 2205: the phase is taken modulo one whole cycle of 2205 samples,
        // so it stays exact over the whole file.
        const double phase = 2.0 * std::numbers::pi * ((n * 22) % 2205) / 2205.0;
        const auto sample =
            static_cast<std::int16_t>(std::lround(amplitude * gain * std::sin(phase)));
        pcm.append(static_cast<char>(sample & 0xFF));
        pcm.append(static_cast<char>((sample >> 8) & 0xFF));
    }
    return wavFileBytes(1, kToneRate, 16, pcm);
}

std::vector<DataFile> allFiles()
{
    std::vector<DataFile> files;
    for (const ReferenceNote& note : kNotes)
        files.push_back({ QString::fromLatin1(note.file), referenceNote(note.note) });
    for (const Polyrhythm& example : kExamples)
        files.push_back(
            { QString::fromLatin1(example.file), polyrhythmExample(example.p, example.q) });
    files.push_back({ QStringLiteral("440.wav"), a440Wave() });
    return files;
}

} // namespace referencefiles
