#pragma once

#include <initializer_list>
#include <span>

#include <QString>
#include <QStringList>

class KeyPlayer;

// A piano mode: its name as the mode box shows it, and the semitones above the pressed key that
// it adds, in the order they are pressed.
struct ChordMode
{
    const char* name;
    std::initializer_list<int> offsets;
};

// "Normal" (no offsets, one note a key) and the 64 chord and interval modes, in list order.
std::span<const ChordMode> chordModes();

// The mode named exactly `name` (case and spacing count), or nullptr.
const ChordMode* findChordMode(const QString& name);

inline const QString kNormalMode = QStringLiteral("Normal");

// Appends the 65 mode names to `list`, leaving what it holds.
void DodajIntrvale(QStringList& list);

// Presses `Root`, then the key `WholeTones` whole tones above it (half steps as .5), when that key
// is on the keyboard; otherwise presses nothing.
void AkPlay(KeyPlayer& keys, int Root, double WholeTones);

// The chord of `mode` on key `root`: AkPlay for each offset in order. A name that is no mode
// presses nothing.
void playChordMode(KeyPlayer& keys, const QString& mode, int root);
