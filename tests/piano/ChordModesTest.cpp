#include "piano/ChordModes.h"

#include "KeyLog.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<int>;

TEST(ChordModesTest, NamesAreDistinctAndMatchedExactly)
{
    QStringList names { QStringLiteral("kept") };
    DodajIntrvale(names);
    ASSERT_EQ(names.size(), 66);
    EXPECT_EQ(names[0], QStringLiteral("kept"));
    EXPECT_EQ(names[1], kNormalMode);
    EXPECT_EQ(names[65], QStringLiteral("Sus 4"));
    EXPECT_EQ(std::set<QString>(names.begin(), names.end()).size(), 66u);

    EXPECT_NE(findChordMode(QStringLiteral("Forth")), nullptr);
    for (const char* miss : { "Fourth", "major/dur", "Dominant  7", "Maj 7 ", "" })
        EXPECT_EQ(findChordMode(QString::fromLatin1(miss)), nullptr) << miss;
}

TEST(ChordModesTest, OffsetsPastTheTopKeyAreDroppedOneByOne)
{
    struct Case
    {
        const char* mode;
        int root;
        Keys pressed;
    };

    const Case cases[] = {
        { "Major/Dur", 0, { 0, 4, 0, 7 } },
        { "Major/Dur", 30, { 30, 34 } },
        { "Octave", 24, { 24, 36 } },
        { "Octave", 30, {} },
        { "Sixth -", 28, { 28, 36 } },
        { "Sixth -", 29, {} },
        { "13", 16, { 16, 20, 16, 23, 16, 26, 16, 30 } },
        { "Fifth", 36, {} },
        { "Normal", 5, {} },
        { "Major", 5, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " on " + std::to_string(c.root));
        KeyLog keys;
        playChordMode(keys, QString::fromLatin1(c.mode), c.root);
        EXPECT_EQ(keys.log, c.pressed);
    }
}

} // namespace
