#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <span>

#include <QString>

class KeyPlayer;
class MessageBoxService;

// A chord of the dictionary, on the root C: its list name, the keys it presses (from key 0, in
// order), its symbols, its structure (note names) and the piano mode it selects. UTF-8 texts.
struct ChordRow
{
    const char* name;
    std::initializer_list<int> keys;
    const char* symbols;
    const char* structure;
    const char* mode;
};

inline constexpr int kChordCount = 39;
inline constexpr int kRootCount = 7; // C D E F G A B

// The 39 chords in list order.
std::span<const ChordRow> chordRows();

// Each chord's structure spelled on the roots C, D, E, F, G, A, B; the C column is the
// dictionary's structure text. No text stands twice in a column.
using ChordSpellings = std::array<std::array<const char*, kRootCount>, kChordCount>;
const ChordSpellings& chordSpellings();

// `SourceString` with every occurrence of `ReplaceThis` (found from the left, without overlaps,
// case-sensitive) replaced by `WithThis`. An empty `ReplaceThis` changes nothing.
QString ReplaceAll(
    const QString& SourceString, const QString& ReplaceThis, const QString& WithThis);

// chord0 .. chord6: moves `text` from root `column` to the next root (B goes back to C) by
// testing the rows in order, each test on the text as the rows before left it. A text found in
// no row comes back unchanged.
QString transposeChord(const QString& text, int column);

// The dictionary's selection and the transposition button without their widgets: the texts of
// the symbols box (`Text1`), the structure box (`Text2`), its working copy (`Text3`), the
// transposition step (`lblT1`) and the button's caption. UI thread only.
class ChordBook
{
public:
    // `setMode` puts a chord's piano mode into the mode box.
    ChordBook(
        KeyPlayer& keys, MessageBoxService& boxes, std::function<void(const QString&)> setMode);

    // A row chosen (or replayed) by its list index; -1 (no row) only releases and resets.
    void C1_Click(int index);
    // Moves the shown chord to the next root; it releases the chord and sounds nothing.
    void GGCommand9_Click();

    const QString& text1() const { return m_text1; }

    const QString& text2() const { return m_text2; }

    const QString& text3() const { return m_text3; }

    int lblT1() const { return m_step; }

    const QString& transposeCaption() const { return m_caption; }

private:
    void releaseChordKeys();

    KeyPlayer& m_keys;
    MessageBoxService& m_boxes;
    std::function<void(const QString&)> m_setMode;
    QString m_text1;
    QString m_text2;
    QString m_text3;
    int m_step = 0;
    QString m_caption = QStringLiteral("2nd");
};
