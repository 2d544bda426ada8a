#include "piano/ChordModes.h"

#include "piano/KeyPlayer.h"

#include <array>

namespace {

constexpr int kTopKey = 36;

// "7 9#", "7+13" and "13 9b" carry the notes of the dictionary chords that select them (a
// raised ninth over a perfect fifth, the thirteenth without a flat ninth, and with one).
const std::array<ChordMode, 65> kModes { {
    { "Normal", {} },
    { "Major/Dur", { 4, 7 } },
    { "Minor/Moll", { 3, 7 } },
    { "Dominant 7", { 4, 7, 10 } },
    { "Octave", { 12 } },
    { "Fifth", { 7 } },
    { "Forth", { 5 } },
    { "Third +", { 4 } },
    { "Third -", { 3 } },
    { "Sixth +", { 9 } },
    { "Sixth -", { 8 } },
    { "11", { 4, 7, 10, 14, 17 } },
    { "13", { 4, 7, 10, 14, 21 } },
    { "6 Sus 4", { 5, 7, 9 } },
    { "6+9", { 4, 7, 9, 14 } },
    { "7 5# 9b", { 4, 8, 10, 13 } },
    { "7 5b 9b", { 4, 6, 10, 13 } },
    { "7 5b", { 4, 6, 10 } },
    { "7 9#", { 4, 7, 10, 15 } },
    { "7 9b", { 4, 7, 10, 13 } },
    { "7 Sus 4", { 5, 7, 10 } },
    { "7+11", { 4, 7, 10, 17 } },
    { "7+13", { 4, 7, 10, 21 } },
    { "9", { 4, 7, 10, 14 } },
    { "9 13b", { 4, 7, 10, 14, 20 } },
    { "13 9b", { 4, 7, 10, 13, 21 } },
    { "7+6 9b", { 4, 7, 9, 10, 13 } },
    { "9 5b", { 4, 6, 10, 14 } },
    { "9 Sus 4", { 5, 7, 10, 14 } },
    { "Add 9", { 4, 7, 14 } },
    { "Aug 11", { 4, 7, 10, 14, 18 } },
    { "Aug 5", { 4, 8 } },
    { "Aug 7", { 4, 8, 10 } },
    { "Aug 9", { 4, 8, 10, 14 } },
    { "Dim 5", { 3, 6 } },
    { "Dim 7", { 3, 6, 9 } },
    { "Maj 11", { 4, 7, 11, 14, 17 } },
    { "Maj 13", { 4, 7, 11, 14, 21 } },
    { "Maj 6", { 4, 7, 9 } },
    { "Maj 7", { 4, 7, 11 } },
    { "Maj #5", { 4, 8, 11 } },
    { "Maj 7 Sus 4", { 5, 7, 11 } },
    { "Maj 7+11", { 4, 7, 11, 17 } },
    { "Maj 7+13", { 4, 7, 11, 21 } },
    { "Maj 7+9", { 4, 7, 11, 14 } },
    { "Maj 9 Sus 4", { 5, 7, 11, 14 } },
    { "Maj+Min 7+13", { 3, 7, 11, 21 } },
    { "Min 11", { 3, 7, 10, 14, 17 } },
    { "Min 13", { 3, 7, 10, 14, 21 } },
    { "Min 6", { 3, 7, 9 } },
    { "Min 6+9", { 3, 7, 9, 14 } },
    { "Min 7", { 3, 7, 10 } },
    { "Min 7 5#", { 3, 8, 10 } },
    { "Min 7 5b", { 3, 6, 10 } },
    { "Min 7 9b", { 3, 7, 10, 13 } },
    { "Min 7+11", { 3, 7, 10, 17 } },
    { "Min 7+13", { 3, 7, 10, 21 } },
    { "Min 9", { 3, 7, 10, 14 } },
    { "Min+Maj 11", { 3, 7, 11, 14, 17 } },
    { "Min+Maj 13", { 3, 7, 11, 14, 21 } },
    { "Min+Maj 7", { 3, 7, 11 } },
    { "Min+Maj 7+11", { 3, 7, 11, 17 } },
    { "Min+Maj 9", { 3, 7, 11, 14 } },
    { "Sus 2", { 2, 7 } },
    { "Sus 4", { 5, 7 } },
} };

} // namespace

std::span<const ChordMode> chordModes()
{
    return kModes;
}

const ChordMode* findChordMode(const QString& name)
{
    for (const ChordMode& mode : kModes) {
        if (name == QLatin1String(mode.name))
            return &mode;
    }
    return nullptr;
}

void DodajIntrvale(QStringList& list)
{
    for (const ChordMode& mode : kModes)
        list.append(QString::fromLatin1(mode.name));
}

void AkPlay(KeyPlayer& keys, int Root, double WholeTones)
{
    // Half steps of 0.5 are exact in binary, so the equality below is exact.
    double acc = 0;
    int i = Root + 1;
    for (; i <= kTopKey; ++i) {
        acc += 0.5;
        if (acc == WholeTones)
            break;
    }
    if (i > kTopKey)
        return;
    keys.PressKey(Root);
    keys.PressKey(i);
}

void playChordMode(KeyPlayer& keys, const QString& mode, int root)
{
    if (const ChordMode* found = findChordMode(mode)) {
        for (const int offset : found->offsets)
            AkPlay(keys, root, offset / 2.0);
    }
}
