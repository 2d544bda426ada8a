#include "platform/settings/SettingsFile.h"

#include <gtest/gtest.h>

namespace {

// What one write does to the bytes around it: only the value's own bytes change, new lines go
// where a reader of the file expects them and end as the file's lines end.
TEST(SettingsFileTest, AWriteChangesOnlyItsOwnBytes)
{
    struct Case
    {
        const char* name;
        QByteArray before;
        const char* section;
        const char* value;
        QString text;
        QByteArray after;
    };

    const Case cases[] = {
        { "no final line feed, value changed", "[S]\n\"a\"=\"1\"", "S", "a", "2",
            "[S]\n\"a\"=\"2\"" },
        { "no final line feed, value added", "[S]\n\"a\"=\"1\"", "S", "b", "2",
            "[S]\n\"a\"=\"1\"\n\"b\"=\"2\"\n" },
        { "CR LF kept", "[S]\r\n\"a\"=\"1\"\r\n", "S", "a", "2", "[S]\r\n\"a\"=\"2\"\r\n" },
        { "CR LF followed by a new line", "[S]\r\n\"a\"=\"1\"\r\n", "s", "b", "2",
            "[S]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n" },
        { "blanks around the value kept", "[S]\n  \"a\"=\"1\" \t\n", "S", "A", "22",
            "[S]\n  \"a\"=\"22\" \t\n" },
        { "added after the section's last value", "[S]\n\"a\"=\"1\"\n\n; next\n[T]\n", "S", "b",
            "2", "[S]\n\"a\"=\"1\"\n\"b\"=\"2\"\n\n; next\n[T]\n" },
        { "added to a section with no values", "[S]\n\n[T]\n", "S", "b", "2",
            "[S]\n\"b\"=\"2\"\n\n[T]\n" },
        { "new section at the end", "; c", "S", "a", "2", "; c\n[S]\n\"a\"=\"2\"\n" },
        { "empty file", "", "S", "a", "", "[S]\n\"a\"=\"\"\n" },
        { "byte order mark kept", "\xEF\xBB\xBF[S]\n\"a\"=\"1\"\n", "S", "a", "2",
            "\xEF\xBB\xBF[S]\n\"a\"=\"2\"\n" },
        { "text over a number and over raw bytes", "[S]\n\"A\"=dword:00000001\n\"r\"=hex:01\n", "S",
            "a", "x", "[S]\n\"A\"=\"x\"\n\"r\"=hex:01\n" },
        { "text over expandable text", "[S]\n\"a\"=expand:\"x\"\n", "S", "a", "x",
            "[S]\n\"a\"=\"x\"\n" },
        { "Latin-1 name kept, value in UTF-8", "[S]\n\"Zv\xE9\"=\"1\"\n", "S", "ZV\xC3\xA9",
            "\xC3\xB6", "[S]\n\"Zv\xE9\"=\"\xC3\xB6\"\n" },
        { "escapes", "", "S", "a", "\xC3\xA9\"\\\n\r", "[S]\n\"a\"=\"\xC3\xA9\\\"\\\\\\n\\r\"\n" },
        { "a text of its own beginning with U+FEFF", "", "S", "a", QStringLiteral("\uFEFFx"),
            "[S]\n\"a\"=\"\xEF\xBB\xBFx\"\n" },
        { "a repeated section: the first one", "[S]\n\"a\"=\"1\"\n[S]\n\"a\"=\"1\"\n", "S", "a",
            "2", "[S]\n\"a\"=\"2\"\n[S]\n\"a\"=\"1\"\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsFile file = SettingsFile::parse(c.before);
        ASSERT_TRUE(file.set(QString::fromUtf8(c.section), QString::fromUtf8(c.value),
            SettingsFile::Value::text(c.text)));
        EXPECT_EQ(file.bytes(), c.after);
        const auto read = SettingsFile::parse(file.bytes())
                              .find(QString::fromUtf8(c.section), QString::fromUtf8(c.value));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->value.toString(), c.text);
    }
}

TEST(SettingsFileTest, NamesThatCannotBeKeptAreRefusedAndChangeNothing)
{
    const QByteArray before = "[S]\n\"a\"=\"1\"";

    const struct
    {
        const char *section, *name;
    } cases[] = { { "S\nT", "a" }, { "T\n", "a" }, { "", "a" }, { "S", "" }, { "T", "" } };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.section + std::string(" / ") + c.name);
        SettingsFile file = SettingsFile::parse(before);
        EXPECT_FALSE(file.set(QString::fromUtf8(c.section), QString::fromUtf8(c.name),
            SettingsFile::Value::text(QStringLiteral("x"))));
        EXPECT_EQ(file.bytes(), before);
    }
}

TEST(SettingsFileTest, TextsReadAsUtf8ElseLatin1)
{
    const SettingsFile file = SettingsFile::parse("[S]\n"
                                                  "\"latin\"=\"jos\xE9\"\n"
                                                  "\"utf8\"=\"jos\xC3\xA9\"\n"
                                                  "\"cut\"=\"x\xC3\"\n"
                                                  "\"overlong\"=\"\xC0\xAF\"\n"
                                                  "\"n\xE9\"=expand:\"%\xFF\"\n");

    const struct
    {
        const char* name;
        QString text;
    } cases[] = {
        { "latin", QStringLiteral("jos\u00E9") },
        { "utf8", QStringLiteral("jos\u00E9") },
        { "cut", QStringLiteral("x\u00C3") },
        { "overlong", QStringLiteral("\u00C0\u00AF") },
        { "n\xC3\xA9", QStringLiteral("%\u00FF") },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto value = file.find(QStringLiteral("s"), QString::fromUtf8(c.name));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->value.toString(), c.text);
    }
}

} // namespace
