#pragma once

#include <array>
#include <vector>

#include <QByteArray>
#include <QString>

// The data files placed beside the program: nine steady reference notes to tune by, five
// polyrhythm examples and a 440 Hz tone. Every byte is computed here, so a re-run gives the
// committed files exactly.
namespace referencefiles {

struct ReferenceNote
{
    const char* file;
    int note; // MIDI note number, A4 = 69 = 440 Hz
};

// "H4" is the name of B4 where the note is taught so.
inline constexpr std::array<ReferenceNote, 9> kNotes { {
    { "D3.mid", 50 },
    { "E3.mid", 52 },
    { "G3.mid", 55 },
    { "A3.mid", 57 },
    { "D4.mid", 62 },
    { "G4.mid", 67 },
    { "A4.mid", 69 },
    { "H4.mid", 71 },
    { "E5.mid", 76 },
} };

struct Polyrhythm
{
    const char* file;
    int p; // strokes of the first voice in one cycle
    int q; // strokes of the second voice in the same cycle
};

inline constexpr std::array<Polyrhythm, 5> kExamples { {
    { "Ex1.mid", 3, 2 },
    { "Ex2.mid", 4, 3 },
    { "Ex3.mid", 5, 4 },
    { "Ex4.mid", 5, 3 },
    { "Ex5.mid", 7, 4 },
} };

// Ticks per quarter note of every file, and of one cycle of an example: 1680 divides evenly by
// 2, 3, 4, 5 and 7, so every stroke lands on a whole tick.
inline constexpr int kDivision = 420;
inline constexpr int kCycleTicks = 4 * kDivision;
// 120 quarter notes a minute: a cycle lasts two seconds.
inline constexpr int kMicrosPerQuarter = 500000;
inline constexpr int kCycles = 12;

// General MIDI percussion (channel 10) of the two voices: a bright bell against a low drum, so
// the ear tells them apart at once (a wood block was lost under the drum).
inline constexpr int kFirstVoiceNote = 67; // High Agogo
inline constexpr int kSecondVoiceNote = 64; // Low Conga
inline constexpr int kAccentVelocity = 127;
inline constexpr int kStrokeVelocity = 90;

// The reference notes' voice: an ocarina, a near-pure tone with a strong fundamental and no
// vibrato for a tuner to chase (the General MIDI organs here add a sub-octave or a detuned rank).
inline constexpr int kNoteProgram = 79;
// The General MIDI SoundFont the program always has sounds this voice 1.9 cents sharp: a pitch
// bend of -1.9 cents (of the default 2-semitone range, 8192 steps) puts the notes on their names.
inline constexpr int kNoteBend = 8192 - 78;
inline constexpr int kNoteSeconds = 10;

inline constexpr int kToneRate = 44100;
inline constexpr int kToneSeconds = 30;
inline constexpr double kToneFrequency = 440.0;

QByteArray referenceNote(int note);
QByteArray polyrhythmExample(int p, int q);
QByteArray a440Wave();

struct DataFile
{
    QString name;
    QByteArray bytes;
};

// Every file, named as it lies beside the program.
std::vector<DataFile> allFiles();

} // namespace referencefiles
