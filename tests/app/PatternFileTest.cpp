#include "app/PatternFile.h"

#include <gtest/gtest.h>

TEST(PatternFile, RecordsSplitIntoNamePatternAndStart)
{
    struct Case
    {
        const char* line;
        const char* name;
        const char* pattern;
        const char* start;
    };

    const Case cases[] = {
        { "Swing;ADUD|2", "Swing", "ADUD", "2" },
        { "a;b;UDD|2", "a", "b;UDD", "2" }, // a ";" after the first is a silent step
        { "x;UD", "x", "UD", "" },
        { "x", "x", "", "" },
        { "a|b;UD|3", "a|b", "UD", "3" }, // only a "|" after the name ends the pattern
        { "n;UD|1|2", "n", "UD", "1|2" },
        { ";|", "", "", "" },
        { "  ;  |  ", "  ", "  ", "  " },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const PatternRecord record = PatternRecord::split(QString::fromUtf8(c.line));
        EXPECT_EQ(record.name, QString::fromUtf8(c.name));
        EXPECT_EQ(record.pattern, QString::fromUtf8(c.pattern));
        EXPECT_EQ(record.start, QString::fromUtf8(c.start));
    }
}

TEST(PatternFile, ARecordThatSavesReadsBackAsTyped)
{
    struct Case
    {
        PatternRecord record;
        bool readsBack;
    };

    const Case cases[] = {
        { { "Swing", "ADUD", "2" }, true },
        { { "rest", "U;D;", "1" }, true },
        { { "start", "UD", "1|2" }, true },
        { { "a;b", "UDD", "2" }, false },
        { { "a|b", "UDD", "2" }, false },
        { { "a", "UD|D", "2" }, false },
        { { "a\nb", "UD", "1" }, false },
        { { "a", "U\rD", "1" }, false },
        { { "a", "UD", "1\n" }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record.line().toStdString());
        EXPECT_EQ(c.record.readsBack(), c.readsBack);
        if (!c.readsBack)
            continue;
        const QStringList lines = patternFileLines(patternFileBytes({ c.record.line() }));
        ASSERT_EQ(lines.size(), 1);
        const PatternRecord back = PatternRecord::split(lines[0]);
        EXPECT_EQ(back.name, c.record.name);
        EXPECT_EQ(back.pattern, c.record.pattern);
        EXPECT_EQ(back.start, c.record.start);
    }
}

TEST(PatternFile, EveryLineEndEndsALineAndNoLineIsEmpty)
{
    struct Case
    {
        QByteArray bytes;
        QStringList lines;
    };

    const Case cases[] = {
        { "", {} },
        { "\r\n", {} },
        { "a;U|1\r\nb;D|1\r\n", { "a;U|1", "b;D|1" } },
        { "a;U|1\rb;D|1\r", { "a;U|1", "b;D|1" } },
        { "a;U|1\nb;D|1\n", { "a;U|1", "b;D|1" } },
        { "a\r\r\nb\n\rc\r\n\n", { "a", "b", "c" } },
        { "a\r\n\r\n\r\nb", { "a", "b" } },
        { "last;UD|1", { "last;UD|1" } },
        { "x;UD\r\nx", { "x;UD", "x" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_EQ(patternFileLines(c.bytes), c.lines);
    }
}

TEST(PatternFile, LinesAreUtf8WhereValidElseWindows1252)
{
    struct Case
    {
        QByteArray bytes;
        QString line;
    };

    const Case cases[] = {
        { "Caf\xc3\xa9;UD|1", QStringLiteral("Caf\u00e9;UD|1") },
        { "Caf\xe9;UD|1", QStringLiteral("Caf\u00e9;UD|1") },
        { "\x80 \x8a\x9f;U|1", QStringLiteral("\u20ac \u0160\u0178;U|1") },
        { "\x81\x8d", QStringLiteral("\u0081\u008d") },
        { "\xef\xbb\xbf"
          "a;U|1",
            QStringLiteral("a;U|1") },
        // A lone lead byte makes the line Windows-1252 as a whole.
        { "\xc3\xa9\xc3", QStringLiteral("\u00c3\u00a9\u00c3") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(patternFileLines(c.bytes), QStringList { c.line });
    }
    // A byte-order mark is skipped at the start of the file only.
    EXPECT_EQ(patternFileLines("a\r\n\xef\xbb\xbf"
                               "b"),
        QStringList({ QStringLiteral("a"), QStringLiteral("\ufeffb") }));
    // Each line on its own: one from another program does not turn its neighbours.
    EXPECT_EQ(patternFileLines("\xc3\xa9\r\n\xe9\r\n"),
        QStringList({ QStringLiteral("\u00e9"), QStringLiteral("\u00e9") }));
}

TEST(PatternFile, TheFileIsUtf8WithCrLfAfterEveryLine)
{
    EXPECT_EQ(patternFileBytes({}), QByteArray());
    EXPECT_EQ(patternFileBytes({ QStringLiteral("Caf\u00e9;UD|1"), QStringLiteral("x;€|2") }),
        QByteArray("Caf\xc3\xa9;UD|1\r\nx;\xe2\x82\xac|2\r\n"));
    const QStringList marked { QStringLiteral("\ufeffa;U|1"), QStringLiteral("b") };
    EXPECT_EQ(patternFileLines(patternFileBytes(marked)), marked);
}
