#include "piano/ChordBook.h"

#include "piano/KeyPlayer.h"
#include "platform/basic/MessageBoxService.h"

#include <QStringList>

namespace {

// Keys 18 and up are never part of a chord, so a melody held there survives a new chord.
constexpr int kTopChordKey = 17;

const std::array<ChordRow, kChordCount> kRows { {
    { "C", { 0, 4, 7 }, "C, C major", "C E G", "Major/Dur" },
    { "Cm", { 0, 3, 7 }, "Cm, C minor, C-", "C Eb G", "Minor/Moll" },
    { "C+5", { 0, 4, 8 }, "C+5, C#5", "C E G#", "Aug 5" },
    { "C-5", { 0, 3, 6 }, "C-5, Cb5", "C Eb Gb", "Dim 5" },
    { "C6=Am7", { 0, 4, 7, 9 }, "C6", "C E G A", "Maj 6" },
    { "Cm6", { 0, 3, 7, 9 }, "Cm6, C- 6", "C Eb G A", "Min 6" },
    { "C9", { 0, 4, 7, 14 }, "Cmaj9, Csus2, C9, Cadd9", "C E G D", "9" },
    { "Cm9", { 0, 3, 7, 14 }, "Cm9", "C Eb G D", "Min 9" },
    { "C7sus", { 0, 7, 5, 10 }, "C7sus", "C F G Bb", "7 Sus 4" },
    { "C9/6", { 0, 4, 7, 9, 14 }, "C9/6", "C E G A D", "6+9" },
    { "Cm9/6", { 0, 3, 7, 9, 14 }, "Cm9/6", "C Eb G A D", "Min 6+9" },
    { "Cmaj", { 0, 4, 7, 11 }, "Cmaj, Cmaj7", "C E G B(H)", "Maj 7" },
    { "C7", { 0, 4, 7, 10 }, "C7", "C E G Bb", "Dominant 7" },
    { "Cm maj7", { 0, 3, 7, 11 }, "Cm maj, Cm maj7, C- maj", "C Eb G B(H)", "Min+Maj 7" },
    { "Cm7=Es6", { 0, 3, 7, 10 }, "Cm7, C- 7", "C Eb G Bb", "Min 7" },
    { "Cø", { 0, 3, 6, 10 }, "Cø, Cm7(-5), Cm7(b5)", "C Eb Gb Bb", "Min 7 5b" },
    { "Co", { 0, 3, 6, 9 }, "Cdim, Co", "C Eb Gb Bbb", "Dim 7" },
    { "Cmaj(+5)", { 0, 4, 8, 11 }, "Cmaj(+5), Cmaj7(+5), Cmaj#5", "C E G# B(H)", "Maj #5" },
    { "C7(+5)", { 0, 4, 8, 10 }, "C7(+5), C7#5", "C E G# Bb", "Aug 7" },
    { "C7(-5)", { 0, 4, 6, 10 }, "C7(-5), C7(b5)", "C E Gb Bb", "7 5b" },
    { "C7/6", { 0, 4, 7, 9, 10 }, "C7/6", "C E G Bb A", "7+13" },
    { "C7/4", { 0, 4, 7, 17, 10 }, "C7/4", "C E G Bb F", "7+11" },
    { "C7/9", { 0, 4, 7, 10, 14 }, "C7/9", "C E G Bb D", "9" },
    { "C9=Gm6", { 4, 7, 10, 14 }, "C9", "E G Bb D", "9" },
    { "C7(+9)", { 0, 4, 7, 10, 15 }, "C7(+9), C7(#9)", "C E G Bb D#", "7 9#" },
    { "C7/9/6", { 0, 4, 9, 10, 14 }, "C/7/9/6", "C E (G) A Bb D", "13" },
    { "C7(-9)", { 0, 4, 7, 10, 13 }, "C7(-9), C7(b9)", "C E G Bb Db", "7 9b" },
    { "Cm7/9", { 0, 3, 7, 10, 14 }, "Cm7/9", "C Eb G Bb D", "Min 9" },
    { "Cmaj7/9", { 0, 4, 7, 11, 14 }, "Cmaj/9, Cmajadd9, Cmaj7/9", "C E G B(H) D", "Maj 7+9" },
    { "Cm maj7/9", { 0, 3, 7, 11, 14 }, "Cm maj7/9", "C Eb G B(H) D", "Min+Maj 9" },
    { "C9(5+)", { 0, 4, 8, 10, 14 }, "C9(5+), C9(5#), C7/9(5+)", "C E G# Bb D", "Aug 9" },
    { "C7/9(-5)", { 0, 4, 6, 10, 14 }, "C7/9(-5), C9(b5)", "C E Gb Bb D", "9 5b" },
    { "C(-9)5+", { 0, 4, 8, 10, 13 }, "C(-9)5+, C(b9)5#", "C E G# Bb Db", "7 5# 9b" },
    { "C7(-9)5-", { 0, 4, 6, 10, 13 }, "C7(-9)5-, C7(b9)5b", "C E Gb Bb Db", "7 5b 9b" },
    { "C7(-9)6", { 0, 4, 7, 9, 10, 13 }, "C7(-9)6, C7(b9)6", "C E G A Bb Db", "7+6 9b" },
    { "C11", { 0, 17, 7, 10, 14 }, "C11, C7/9/11, C7/4", "C (E) G Bb D F", "11" },
    { "C aug11", { 0, 4, 6, 7, 10, 14 }, "C aug11", "C E G Bb D F#", "Aug 11" },
    { "C13", { 0, 4, 17, 9, 10, 14 }, "C13, C7/9/11/13, C7/6", "C E G Bb D F A", "13" },
    { "C13(-9)", { 0, 4, 7, 9, 10, 13 }, "C13(-9), C13(b9)", "C E G Bb Db A", "13 9b" },
} };

// Row 3 is the diminished triad on every root, as its keys, its symbols and its mode have it.
const ChordSpellings kSpellings { {
    { "C E G", "D F# A", "E G# B", "F A C", "G B D", "A C# E", "B D# F#" },
    { "C Eb G", "D F A", "E G B", "F Ab C", "G Bb D", "A C E", "B D F#" },
    { "C E G#", "D F# A#", "E G# B#", "F A C#", "G B D#", "A C# E#", "B D# F##" },
    { "C Eb Gb", "D F Ab", "E G Bb", "F Ab Cb", "G Bb Db", "A C Eb", "B D F" },
    { "C E G A", "D F# A B", "E G# B C#", "F A C D", "G B D E", "A C# E F#", "B D# F# G#" },
    { "C Eb G A", "D F A B", "E G B C#", "F Ab C D", "G Bb D E", "A C E F#", "B D F# G#" },
    { "C E G D", "D F# A E", "E G# B F#", "F A C G", "G B D A", "A C# E B", "B D# F# C#" },
    { "C Eb G D", "D F A E", "E G B F#", "F Ab C G", "G Bb D A", "A C E B", "B D F# C#" },
    { "C F G Bb", "D G A C", "E A B D", "F Bb C Eb", "G C D F", "A D E G", "B E F# A" },
    { "C E G A D", "D F# A B E", "E G# B C# F#", "F A C D G", "G B D E A", "A C# E F# B",
        "B D# F# G# C#" },
    { "C Eb G A D", "D F A B E", "E G B C# F#", "F Ab C D G", "G Bb D E A", "A C E F# B",
        "B D F# G# C#" },
    { "C E G B(H)", "D F# A C#", "E G# B D#", "F A C E", "G B D F#", "A C# E G#", "B D# F# A#" },
    { "C E G Bb", "D F# A C", "E G# B D", "F A C Eb", "G B D F", "A C# E G", "B D# F# A" },
    { "C Eb G B(H)", "D F A C#", "E G B D#", "F Ab C E", "G Bb D F#", "A C E G#", "B D F# A#" },
    { "C Eb G Bb", "D F A C", "E G B D", "F Ab C Eb", "G Bb D F", "A C E G", "B D F# A" },
    { "C Eb Gb Bb", "D F Ab C", "E G Bb D", "F Ab Cb Eb", "G Bb Db F", "A C Eb G", "B D F A" },
    { "C Eb Gb Bbb", "D F Ab Cb", "E G Bb Db", "F Ab Cb Ebb", "G Bb Db Fb", "A C Eb Gb",
        "B D F Ab" },
    { "C E G# B(H)", "D F# A# C#", "E G# B# D#", "F A C# E", "G B D# F#", "A C# E# G#",
        "B D# F## A#" },
    { "C E G# Bb", "D F# A# C", "E G# B# D", "F A C# Eb", "G B D# F", "A C# E# G", "B D# F## A" },
    { "C E Gb Bb", "D F# Ab C", "E G# Bb D", "F A Cb Eb", "G B Db F", "A C# Eb G", "B D# F A" },
    { "C E G Bb A", "D F# A C B", "E G# B D C#", "F A C Eb D", "G B D F E", "A C# E G F#",
        "B D# F# A G#" },
    { "C E G Bb F", "D F# A C G", "E G# B D A", "F A C Eb Bb", "G B D F C", "A C# E G D",
        "B D# F# A E" },
    { "C E G Bb D", "D F# A C E", "E G# B D F#", "F A C Eb G", "G B D F A", "A C# E G B",
        "B D# F# A C#" },
    { "E G Bb D", "F# A C E", "G# B D F#", "A C Eb G", "B D F A", "C# E G B", "D# F# A C#" },
    { "C E G Bb D#", "D F# A C E#", "E G# B D F##", "F A C Eb G#", "G B D F A#", "A C# E G B#",
        "B D# F# A C##" },
    { "C E (G) A Bb D", "D F# (A) B C E", "E G# (B) C# D F#", "F A (C) D Eb G", "G B (D) E F A",
        "A C# (E) F# G B", "B D# (F#) G# A C#" },
    { "C E G Bb Db", "D F# A C Eb", "E G# B D F", "F A C Eb Gb", "G B D F Ab", "A C# E G Bb",
        "B D# F# A C" },
    { "C Eb G Bb D", "D F A C E", "E G B D F#", "F Ab C Eb G", "G Bb D F A", "A C E G B",
        "B D F# A C#" },
    { "C E G B(H) D", "D F# A C# E", "E G# B D# F#", "F A C E G", "G B D F# A", "A C# E G# B",
        "B D# F# A# C#" },
    { "C Eb G B(H) D", "D F A C# E", "E G B D# F#", "F Ab C E G", "G Bb D F# A", "A C E G# B",
        "B D F# A# C#" },
    { "C E G# Bb D", "D F# A# C E", "E G# B# D F#", "F A C# Eb G", "G B D# F A", "A C# E# G B",
        "B D# F## A C#" },
    { "C E Gb Bb D", "D F# Ab C E", "E G# Bb D F#", "F A Cb Eb G", "G B Db F A", "A C# Eb G B",
        "B D# F A C#" },
    { "C E G# Bb Db", "D F# A# C Eb", "E G# B# D F", "F A C# Eb Gb", "G B D# F Ab", "A C# E# G Bb",
        "B D# F## A C" },
    { "C E Gb Bb Db", "D F# Ab C Eb", "E G# Bb D F", "F A Cb Eb Gb", "G B Db F Ab", "A C# Eb G Bb",
        "B D# F A C" },
    { "C E G A Bb Db", "D F# A B C Eb", "E G# B C# D F", "F A C D Eb Gb", "G B D E F Ab",
        "A C# E F# G Bb", "B D# F# G# A C" },
    { "C (E) G Bb D F", "D (F#) A C E G", "E (G#) B D F# A", "F (A) C Eb G Bb", "G (B) D F A C",
        "A (C#) E G B D", "B (D#) F# A C# E" },
    { "C E G Bb D F#", "D F# A C E G#", "E G# B D F# A#", "F A C Eb G B", "G B D F A C#",
        "A C# E G B D#", "B D# F# A C# E#" },
    { "C E G Bb D F A", "D F# A C E G B", "E G# B D F# A C#", "F A C Eb G Bb D", "G B D F A C E",
        "A C# E G B D F#", "B D# F# A C# E G#" },
    { "C E G Bb Db A", "D F# A C Eb B", "E G# B D F C#", "F A C Eb Gb D", "G B D F Ab E",
        "A C# E G Bb F#", "B D# F# A C G#" },
} };

// The root letters C D E F G A B, and the caption that names the interval above C of the root
// the next click reaches, by the step after the click.
const char* const kRootLetters[kRootCount] = { "C", "D", "E", "F", "G", "A", "B" };
const char* const kCaptions[kRootCount + 1] = { "2nd", "3rd", "4th", "5th", "6th", "7th", "Octave",
    "2nd" };

} // namespace

std::span<const ChordRow> chordRows()
{
    return kRows;
}

const ChordSpellings& chordSpellings()
{
    return kSpellings;
}

QString ReplaceAll(const QString& SourceString, const QString& ReplaceThis, const QString& WithThis)
{
    if (ReplaceThis.isEmpty())
        return SourceString;
    return SourceString.split(ReplaceThis, Qt::KeepEmptyParts, Qt::CaseSensitive).join(WithThis);
}

QString transposeChord(const QString& text, int column)
{
    const int next = (column + 1) % kRootCount;
    QString moved = text;
    for (const auto& row : kSpellings) {
        if (moved == QString::fromUtf8(row[column]))
            moved = QString::fromUtf8(row[next]);
    }
    return moved;
}

ChordBook::ChordBook(
    KeyPlayer& keys, MessageBoxService& boxes, std::function<void(const QString&)> setMode)
    : m_keys(keys)
    , m_boxes(boxes)
    , m_setMode(std::move(setMode))
{}

void ChordBook::releaseChordKeys()
{
    for (int k = 0; k <= kTopChordKey; ++k)
        m_keys.ReleaseKey(k);
}

void ChordBook::C1_Click(int index)
{
    releaseChordKeys();
    m_text1.clear();
    m_step = 0;
    m_caption = QString::fromLatin1(kCaptions[0]);
    if (index >= 0 && index < kChordCount) {
        const ChordRow& row = kRows[index];
        for (const int k : row.keys)
            m_keys.PressKey(k);
        m_text1 = QString::fromUtf8(row.symbols);
        m_text2 = QString::fromUtf8(row.structure);
        if (m_setMode)
            m_setMode(QString::fromLatin1(row.mode));
    }
    m_text3 = m_text2;
}

void ChordBook::GGCommand9_Click()
{
    if (m_text2.isEmpty()) {
        m_boxes.msgBox(
            QStringLiteral("Select Chord to transpose."), MsgButtons::OK, MsgIcon::Information);
        return;
    }
    releaseChordKeys();
    // Steps 0 and 7 both show the chord on C.
    const int from = m_step % kRootCount;
    const int to = (from + 1) % kRootCount;
    m_text3 = transposeChord(m_text3, from);
    m_step = from + 1;
    m_caption = QString::fromLatin1(kCaptions[m_step]);
    m_text1 = ReplaceAll(
        m_text1, QString::fromLatin1(kRootLetters[from]), QString::fromLatin1(kRootLetters[to]));
    m_text2 = m_text3;
}
