#include "piano/ChordBook.h"

#include "KeyLog.h"
#include "NoteNames.h"
#include "piano/ChordModes.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<int>;

std::vector<int> shifted(std::vector<int> classes, int by)
{
    for (int& pc : classes)
        pc = (pc + by) % 12;
    std::sort(classes.begin(), classes.end());
    return classes;
}

TEST(ChordBookTest, TablesAgreeWithTheModesAndAcrossTheRoots)
{
    constexpr int kRootSteps[kRootCount] = { 0, 2, 4, 5, 7, 9, 11 };
    const auto rows = chordRows();
    const ChordSpellings& spellings = chordSpellings();
    for (int r = 0; r < kChordCount; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const ChordRow& row = rows[r];
        const QString structure = QString::fromUtf8(row.structure);
        EXPECT_EQ(structure, QString::fromUtf8(spellings[r][0]));

        const ChordMode* mode = findChordMode(QString::fromLatin1(row.mode));
        ASSERT_NE(mode, nullptr) << row.mode;
        std::set<int> modeClasses { 0 };
        for (const int offset : mode->offsets)
            modeClasses.insert(offset % 12);
        for (const int k : row.keys) {
            // Row 37 presses the eleventh its mode does not hold.
            const bool inMode = modeClasses.count(k % 12) || (r == 37 && k == 17);
            EXPECT_TRUE(inMode) << "key " << k << " not in " << row.mode;
        }

        const std::vector<int> onC = pitchClasses(structure);
        for (int col = 0; col < kRootCount; ++col) {
            SCOPED_TRACE("column " + std::to_string(col));
            const QString cell = QString::fromUtf8(spellings[r][col]);
            EXPECT_EQ(pitchClasses(cell), shifted(onC, kRootSteps[col]));
            for (int other = 0; other < kChordCount; ++other) {
                if (other != r) {
                    EXPECT_NE(cell, QString::fromUtf8(spellings[other][col])) << "row " << other;
                }
            }
            // One click moves it exactly one root on.
            EXPECT_EQ(
                transposeChord(cell, col), QString::fromUtf8(spellings[r][(col + 1) % kRootCount]));
        }
    }
    EXPECT_EQ(transposeChord(QStringLiteral("C E  G"), 0), QStringLiteral("C E  G"));
}

TEST(ChordBookTest, ReplaceAllCutsFromTheLeftWithoutOverlaps)
{
    struct Case
    {
        const char* source;
        const char* what;
        const char* with;
        const char* result;
    };

    const Case cases[] = {
        { "Cm, C minor, C-", "C", "D", "Dm, D minor, D-" },
        { "aaa", "aa", "b", "ba" },
        { "Cm7(b5)", "B", "C", "Cm7(b5)" },
        { "", "C", "D", "" },
        { "C7", "", "D", "C7" },
        { "CC", "C", "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(ReplaceAll(QString::fromLatin1(c.source), QString::fromLatin1(c.what),
                      QString::fromLatin1(c.with)),
            QString::fromLatin1(c.result));
    }
}

struct Book
{
    KeyLog keys;
    FakeMessageBoxService boxes;
    QString mode;
    ChordBook book { keys, boxes, [this](const QString& m) {
                        mode = m;
                    } };

    // The keys pressed by the last action, after its releases of keys 0..17.
    Keys pressed() const
    {
        Keys out;
        for (const int k : keys.log) {
            if (k >= 0)
                out.push_back(k);
        }
        return out;
    }
};

TEST(ChordBookTest, SelectionReleasesTheChordKeysThenPressesInRowOrder)
{
    Book b;
    b.book.C1_Click(8);
    Keys expected;
    for (int k = 0; k <= 17; ++k)
        expected.push_back(KeyLog::released(k));
    const Keys released = expected;
    expected.insert(expected.end(), { 0, 7, 5, 10 });
    EXPECT_EQ(b.keys.log, expected);
    EXPECT_EQ(b.mode, QStringLiteral("7 Sus 4"));
    EXPECT_EQ(b.book.text2(), QStringLiteral("C F G Bb"));

    b.keys.log.clear();
    b.book.C1_Click(23); // the rootless ninth
    EXPECT_EQ(b.pressed(), (Keys { 4, 7, 10, 14 }));
    EXPECT_EQ(b.book.text1(), QStringLiteral("C9"));

    // A replay with no row chosen releases and resets; the structure stays for the next click.
    b.book.GGCommand9_Click();
    b.keys.log.clear();
    b.mode.clear();
    b.book.C1_Click(-1);
    EXPECT_EQ(b.keys.log, released);
    EXPECT_EQ(b.book.text1(), QString());
    EXPECT_EQ(b.book.text2(), QStringLiteral("F# A C E"));
    EXPECT_EQ(b.book.text3(), b.book.text2());
    EXPECT_EQ(b.book.lblT1(), 0);
    EXPECT_EQ(b.book.transposeCaption(), QStringLiteral("2nd"));
    EXPECT_TRUE(b.mode.isEmpty());
}

TEST(ChordBookTest, TranspositionCyclesThroughTheSevenRoots)
{
    Book b;
    b.book.GGCommand9_Click(); // nothing shown yet
    ASSERT_EQ(b.boxes.shown().size(), 1u);
    EXPECT_EQ(b.boxes.shown()[0].text, QStringLiteral("Select Chord to transpose."));
    EXPECT_EQ(b.boxes.shown()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(b.keys.log.empty());
    EXPECT_EQ(b.book.lblT1(), 0);

    b.book.C1_Click(12); // "C7"
    const char* const captions[] = { "3rd", "4th", "5th", "6th", "7th", "Octave", "2nd", "3rd" };
    const char* const symbols[] = { "D7", "E7", "F7", "G7", "A7", "B7", "C7", "D7" };
    for (int click = 0; click < 8; ++click) {
        b.keys.log.clear();
        b.book.GGCommand9_Click();
        EXPECT_EQ(b.book.text1(), QString::fromLatin1(symbols[click])) << click;
        EXPECT_EQ(b.book.transposeCaption(), QString::fromLatin1(captions[click])) << click;
        EXPECT_EQ(b.book.lblT1(), click % 7 + 1);
        EXPECT_TRUE(b.pressed().empty()); // shown, not sounded
    }
    EXPECT_EQ(b.book.text2(), QStringLiteral("D F# A C"));

    // The diminished triad moves with its symbols; a flat's "b" is never taken for the root B.
    b.book.C1_Click(3);
    for (int click = 0; click < 6; ++click)
        b.book.GGCommand9_Click();
    EXPECT_EQ(b.book.text1(), QStringLiteral("B-5, Bb5"));
    EXPECT_EQ(b.book.text2(), QStringLiteral("B D F"));
    b.book.GGCommand9_Click();
    EXPECT_EQ(b.book.text1(), QStringLiteral("C-5, Cb5"));
    EXPECT_EQ(b.book.text2(), QStringLiteral("C Eb Gb"));
}

} // namespace
