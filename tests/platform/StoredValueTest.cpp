#include "platform/settings/StoredValue.h"

#include "FileBytes.h"
#include "platform/files/FakeFileStore.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// What a stored text reads as under each value's rule, at the rule's edges.
TEST(StoredValue, EachRuleTakesItsOwnTextsAndRefusesTheRest)
{
    const struct
    {
        const StoredValue& value;
        const char* text;
        std::optional<double> number;
    } cases[] = {
        { StoredValues::Zv1, " 102 ", 102 },
        { StoredValues::Zv1, "115.0", 115 },
        { StoredValues::Zv1, "&H70", 112 },
        { StoredValues::Zv1, "1 2", std::nullopt },
        { StoredValues::Zv1, "", std::nullopt },
        { StoredValues::Volme, "32767", 32767 },
        { StoredValues::Volme, "32768", std::nullopt },
        { StoredValues::Volme, "2.5", 2 },
        { StoredValues::Volme, "-32768.5", -32768 },
        { StoredValues::Volme, "x", std::nullopt },
        { StoredValues::Speed, "50", 50 },
        { StoredValues::Speed, "49.99", std::nullopt },
        { StoredValues::Speed, "500", 500 },
        { StoredValues::Speed, "500.01", std::nullopt },
        { StoredValues::Speed, "90 bpm", 90 },
        { StoredValues::Speed, "abc", std::nullopt },
        { StoredValues::Rate, "1", 1 },
        { StoredValues::Rate, "0", std::nullopt },
        { StoredValues::Rate, "2147483647", 2147483647 },
        { StoredValues::Rate, "2147483648", std::nullopt },
        { StoredValues::Rate, "22050.5", std::nullopt },
        { StoredValues::Rate, "44100 Hz", std::nullopt },
        { StoredValues::Channels, "32767", 32767 },
        { StoredValues::Channels, "32768", std::nullopt },
        { StoredValues::Resolution, " 8 ", 8 },
        { StoredValues::Resolution, "two", std::nullopt },
        { StoredValues::direkt, "", std::nullopt },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.name.toString().toStdString() + " \"" + c.text + '"');
        EXPECT_EQ(c.value.numberIn(QString::fromLatin1(c.text)), c.number);
        EXPECT_EQ(c.value.accepts(QString::fromLatin1(c.text)),
            c.number.has_value() || &c.value == &StoredValues::direkt);
    }
}

// Through the store: a missing value reads as its default, a refused one as its default or as
// none, by how the caller asks; a number is written as its decimal text under the value's
// section; a value whose write failed is what the run reads.
TEST(StoredValue, TheStoreReadsDefaultsForWhatIsMissingOrRefusedAndWritesDecimalText)
{
    QTemporaryDir dir;
    FakeFileStore files;
    SettingsStore store(dir.path() + QStringLiteral("/settings.reg"), files);

    EXPECT_EQ(store.number(StoredValues::Volme), 99);
    EXPECT_EQ(store.numberOrDefault(StoredValues::Rate), 44100);
    EXPECT_EQ(store.usableText(StoredValues::Speed), QStringLiteral("120"));
    EXPECT_EQ(
        store.text(StoredValues::direkt, QStringLiteral("/home/u")), QStringLiteral("/home/u"));

    ASSERT_TRUE(store.save(StoredValues::Volme, -7));
    ASSERT_TRUE(store.save(StoredValues::Rate, 0));
    ASSERT_TRUE(store.save(StoredValues::Speed, QStringLiteral("4000")));
    ASSERT_TRUE(store.save(StoredValues::direkt, QStringLiteral("/m")));
    EXPECT_EQ(fileBytes(store.filePath()),
        "[Software\\Taktovia\\Gitara]\n\"Volme\"=\"-7\"\n\"Rate\"=\"0\"\n\"Speed\"=\"4000\"\n"
        "[Software\\Taktovia\\Izlaz]\n\"direkt\"=\"/m\"\n");
    EXPECT_EQ(store.number(StoredValues::Volme), -7);
    EXPECT_EQ(store.number(StoredValues::Rate), std::nullopt);
    EXPECT_EQ(store.numberOrDefault(StoredValues::Rate), 44100);
    EXPECT_EQ(store.text(StoredValues::Speed), QStringLiteral("4000"));
    EXPECT_EQ(store.usableText(StoredValues::Speed), QStringLiteral("120"));

    files.fail = FakeFileStore::Fail::BeforeRename;
    EXPECT_FALSE(store.save(StoredValues::Channels, 2));
    EXPECT_EQ(store.numberOrDefault(StoredValues::Channels), 2);
    EXPECT_EQ(fileBytes(store.filePath()).count("Channels"), 0);
}
