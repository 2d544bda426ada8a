#include "controls/PropertyBag.h"

#include "controls/ControlFonts.h"

#include <QPixmap>

#include <gtest/gtest.h>

TEST(PropertyBag, NamesMatchRegardlessOfCaseAndKeepTheirFirstSpelling)
{
    PropertyBag bag;
    bag.set(QStringLiteral("ClockBackColor"), 0);
    bag.set(QStringLiteral("clockbackcolor"), 5);
    EXPECT_EQ(bag.names(), QStringList { QStringLiteral("ClockBackColor") });
    EXPECT_EQ(bag.readColor(QStringLiteral("CLOCKBACKCOLOR"), 9), 5u);
}

TEST(PropertyBag, AValueEqualToItsDefaultIsNotStored)
{
    PropertyBag bag;
    bag.writeInt16(QStringLiteral("TitleHeight"), 40, 23);
    bag.writeBool(QStringLiteral("TitleShow"), true, true);
    bag.writeString(QStringLiteral("AMText"), QStringLiteral("am"), QStringLiteral("am"));
    bag.writeColor(QStringLiteral("HLForeColor"), 0xC0, SystemColor::kHighlightText);
    EXPECT_EQ(bag.names(),
        (QStringList { QStringLiteral("TitleHeight"), QStringLiteral("HLForeColor") }));
    // Writing the default later removes what an earlier write stored.
    bag.writeInt16(QStringLiteral("titleheight"), 23, 23);
    EXPECT_FALSE(bag.contains(QStringLiteral("TitleHeight")));
    EXPECT_EQ(bag.readInt16(QStringLiteral("TitleHeight"), 23), 23);
    EXPECT_EQ(bag.readColor(QStringLiteral("HLForeColor"), 0), 0xC0u);
}

TEST(PropertyBag, ReadsNumbersFromNumbersAndNumericTextOnly)
{
    struct Case
    {
        const char* what;
        QVariant stored;
        int int16;
        int int32;
    };

    const Case cases[] = {
        { "number", 40, 40, 40 },
        { "text with blanks", QStringLiteral(" 23 "), 23, 23 },
        { "hex text", QStringLiteral("&H10"), 16, 16 },
        { "half to even", 2.5, 2, 2 },
        { "garbage text", QStringLiteral("abc"), -7, -7 },
        { "empty text", QString(), -7, -7 },
        { "beyond 16 bits", 40000, -7, 40000 },
        { "beyond 32 bits", 1e12, -7, -7 },
        { "not a number", std::numeric_limits<double>::quiet_NaN(), -7, -7 },
        { "a font", QVariant::fromValue(QFont()), -7, -7 },
        { "True", true, -1, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PropertyBag bag;
        bag.set(QStringLiteral("Key"), c.stored);
        EXPECT_EQ(bag.readInt16(QStringLiteral("Key"), -7), c.int16);
        EXPECT_EQ(bag.readInt32(QStringLiteral("Key"), -7), c.int32);
    }
}

TEST(PropertyBag, ColoursReadTheSameWrittenSignedOrUnsigned)
{
    PropertyBag bag;
    bag.set(QStringLiteral("Signed"), -2147483633);
    bag.set(QStringLiteral("Unsigned"), 0x8000000Fu);
    bag.set(QStringLiteral("Hex"), QStringLiteral("&H8000000F"));
    bag.set(QStringLiteral("TooBig"), 5e9);
    bag.set(QStringLiteral("Text"), QStringLiteral("red"));
    for (const char* key : { "Signed", "Unsigned", "Hex" }) {
        SCOPED_TRACE(key);
        EXPECT_EQ(bag.readColor(QString::fromLatin1(key), 0), SystemColor::kButtonFace);
    }
    EXPECT_EQ(bag.readColor(QStringLiteral("TooBig"), 7), 7u);
    EXPECT_EQ(bag.readColor(QStringLiteral("Text"), 7), 7u);
}

TEST(PropertyBag, BooleansStringsAndFontsFallBackOnGarbage)
{
    PropertyBag bag;
    bag.set(QStringLiteral("B1"), QStringLiteral("false"));
    bag.set(QStringLiteral("B2"), QStringLiteral("-1"));
    bag.set(QStringLiteral("B3"), QStringLiteral("maybe"));
    bag.set(QStringLiteral("S"), 12);
    bag.set(QStringLiteral("F1"), QVariant::fromValue(controlFont(QStringLiteral("Tahoma"), 8.25)));
    bag.set(QStringLiteral("F2"), QStringLiteral("no font here"));
    bag.set(QStringLiteral("F3"), QVariant::fromValue(controlFont(QStringLiteral("Tahoma"), 1e9)));
    bag.set(QStringLiteral("F4"), 3);
    EXPECT_FALSE(bag.readBool(QStringLiteral("B1"), true));
    EXPECT_TRUE(bag.readBool(QStringLiteral("B2"), false));
    EXPECT_TRUE(bag.readBool(QStringLiteral("B3"), true));
    EXPECT_EQ(bag.readString(QStringLiteral("S"), QString()), QStringLiteral("12"));
    const QFont fallback = controlFont(QStringLiteral("Arial"), 10);
    EXPECT_EQ(bag.readFont(QStringLiteral("F1"), fallback).family(), QStringLiteral("Tahoma"));
    for (const char* key : { "F2", "F3", "F4", "Missing" }) {
        SCOPED_TRACE(key);
        EXPECT_EQ(bag.readFont(QString::fromLatin1(key), fallback), fallback);
    }
}

TEST(PropertyBag, PicturesAreImagesOrPixmapsAndNoneIsNotStored)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    PropertyBag bag;
    bag.writePicture(QStringLiteral("ImageSlider"), picture, QImage());
    bag.writePicture(QStringLiteral("ImageLeft"), QImage(), QImage());
    EXPECT_EQ(bag.names(), QStringList { QStringLiteral("ImageSlider") });
    EXPECT_EQ(bag.readPicture(QStringLiteral("imageslider"), QImage()), picture);

    bag.set(QStringLiteral("ImagePointer"), QPixmap::fromImage(picture));
    EXPECT_EQ(bag.readPicture(QStringLiteral("ImagePointer"), QImage()).size(), QSize(3, 2));
    bag.set(QStringLiteral("ImagePointer"), QStringLiteral("pointer.bmp"));
    EXPECT_TRUE(bag.readPicture(QStringLiteral("ImagePointer"), QImage()).isNull());
}
