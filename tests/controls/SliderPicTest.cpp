#include "SliderFixture.h"

#include <gtest/gtest.h>

TEST(SliderPic, RangeAndOverflowErrorsRefuseTheValueAndChangeNothing)
{
    struct Case
    {
        const char* what;
        bool setMin;
        int value;
        int number;
        const char* description;
    };

    const Case cases[] = {
        { "Min equal to Max", true, 100, 513, "Minimum must be less than Maximum" },
        { "Min above Max", true, 500, 513, "Minimum must be less than Maximum" },
        { "Max equal to Min", false, 0, 514, "Maximum must be greater than Minimum" },
        { "Max below Min", false, -1, 514, "Maximum must be greater than Minimum" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Slider s;
        s.slider->setCurPosition(40);
        s.keys.clear();
        const QImage before = s.slider->picture().copy();
        const PropertyError error =
            c.setMin ? s.slider->setMin(c.value) : s.slider->setMax(c.value);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->number, c.number);
        EXPECT_EQ(error->description, QString::fromLatin1(c.description));
        EXPECT_EQ(s.slider->Min(), 0);
        EXPECT_EQ(s.slider->Max(), 100);
        EXPECT_EQ(s.slider->CurPosition(), 40);
        EXPECT_TRUE(s.keys.isEmpty()) << "nothing reported to the host";
        EXPECT_EQ(s.slider->picture(), before);
    }

    Slider s;
    const PropertyError overflow = s.slider->setBackStyle(40000);
    ASSERT_TRUE(overflow.has_value());
    EXPECT_EQ(overflow->number, kOverflowError) << "BackStyle is 16 bits";
    EXPECT_FALSE(s.slider->setBackStyle(-32768).has_value());
    EXPECT_EQ(s.slider->BackStyle(), -32768);

    // Bounds move in an order that keeps Min below Max; raising Min carries the position along.
    Slider fresh(PropertyBag {});
    fresh.slider->loadNew(); // 0..10
    EXPECT_TRUE(fresh.slider->setMin(20).has_value());
    EXPECT_FALSE(fresh.slider->setMax(30).has_value());
    EXPECT_FALSE(fresh.slider->setMin(20).has_value());
    EXPECT_EQ(fresh.slider->CurPosition(), 20);
    EXPECT_TRUE(fresh.reports.empty());
}

TEST(SliderPic, PositionsAreClampedWithoutAnEvent)
{
    // 0..100 on a 100-pixel track: the pointer's offset is the position.
    const std::pair<int, int> cases[] = { { 150, 100 }, { -5, 0 }, { 37, 37 }, { INT32_MIN, 0 } };
    for (const auto& [position, stored] : cases) {
        SCOPED_TRACE(position);
        Slider s;
        s.slider->setCurPosition(position);
        EXPECT_EQ(s.slider->CurPosition(), stored);
        EXPECT_EQ(s.slider->geometry().pointerLeft, stored);
        EXPECT_TRUE(s.reports.empty());
    }

    Slider s;
    s.slider->setCurPosition(80);
    ASSERT_FALSE(s.slider->setMax(50).has_value());
    EXPECT_EQ(s.slider->CurPosition(), 50) << "lowering Max below the position moves it";
    EXPECT_EQ(s.slider->geometry().pointerLeft, 100) << "50 is the new end of the track";
    EXPECT_TRUE(s.reports.empty());
}

TEST(SliderPic, TakesItsSizeFromItsPicturesWhateverTheContainerSays)
{
    Slider s;
    EXPECT_EQ(s.slider->size(), QSize(106, 15));
    s.slider->resize(300, 40);
    EXPECT_EQ(s.slider->size(), QSize(106, 15));
    s.slider->setImageSlider(filledPicture(50, 20, kTrack));
    EXPECT_EQ(s.slider->size(), QSize(56, 20));
    s.slider->setImagePointer(QImage());
    EXPECT_EQ(s.slider->size(), QSize(50, 20));
    ASSERT_FALSE(s.slider->setMax(10).has_value());
    s.slider->setOrientation(2);
    EXPECT_EQ(s.slider->size(), QSize(50, 20)) << "no pointer: the track alone";
}

TEST(SliderPic, ComposesTrackLeftPartAndPointerOverTheMaskColour)
{
    Slider s;
    s.slider->setCurPosition(30); // pointer's left edge at 30, track from x 3, y 6..9
    EXPECT_EQ(s.pixel(50, 2), kMask) << "above the track";
    EXPECT_EQ(s.pixel(3, 6), leftColumn(0));
    EXPECT_EQ(s.pixel(29, 8), leftColumn(26)) << "the left part runs under the pointer";
    EXPECT_EQ(s.pixel(40, 8), kTrack);
    EXPECT_EQ(s.pixel(31, 0), kPointer);
    EXPECT_EQ(s.pixel(30, 0), kMask) << "the pointer's corner is left out";
    EXPECT_EQ(s.pixel(30, 1), kPointer);

    // A transparent part of a picture sees through like the mask colour.
    QImage pointer(6, 15, QImage::Format_ARGB32);
    pointer.fill(toQColor(kPointer));
    for (int y = 0; y < 15; ++y)
        pointer.setPixel(0, y, qRgba(0, 0, 0, 0));
    s.slider->setImagePointer(pointer);
    s.slider->setCurPosition(50);
    EXPECT_EQ(s.pixel(50, 2), kMask);
    EXPECT_EQ(s.pixel(50, 7), leftColumn(47));
    EXPECT_EQ(s.pixel(51, 2), kPointer);
}

TEST(SliderPic, WithMaxAtTheLeftTheLeftPartFillsFromThePointerToTheRightEnd)
{
    Slider s;
    s.slider->setOrientation(1);
    s.slider->setCurPosition(100);
    EXPECT_EQ(s.slider->geometry().pointerLeft, 0) << "Max lies at the left end";
    s.slider->setCurPosition(70); // pointer at 30: the left part covers track x 30..99
    EXPECT_EQ(s.pixel(20, 7), kTrack);
    EXPECT_EQ(s.pixel(3 + 37, 7), leftColumn(37)) << "cut from the same place of its picture";
    EXPECT_EQ(s.pixel(102, 7), leftColumn(99));
    EXPECT_EQ(s.pixel(104, 7), kMask) << "past the track";
}

TEST(SliderPic, DisabledColoursMoveDarkChannelsFurther)
{
    struct Case
    {
        const char* what;
        OleColor colour;
        int delta;
        OleColor mask;
        OleColor expected;
    };

    const Case cases[] = {
        { "lighter: 100 -> 150, 200 -> 220", rgbColor(100, 200, 0), 20, kMask,
            rgbColor(150, 220, 50) },
        { "darker: 100 -> 50, 200 -> 180", rgbColor(100, 200, 0), -20, kMask,
            rgbColor(50, 180, 0) },
        { "held at 255", rgbColor(250, 127, 255), 20, kMask, rgbColor(255, 177, 255) },
        { "2.5 rounds to 2, 3.5 to 4", rgbColor(0, 1, 2), 1, kMask, rgbColor(2, 4, 4) },
        { "landing on the mask colour", rgbColor(170, 170, 170), 22, kMask, 0xC0C0C1 },
        { "a full red steps down instead", rgbColor(235, 255, 255), 20, 0xFFFFFF,
            rgbColor(254, 255, 255) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(disabledColour(c.colour, c.delta, c.mask), c.expected);
    }
}

TEST(SliderPic, ADisabledSliderIsRecolouredAndIgnoresTheMouse)
{
    Slider s;
    s.slider->setCurPosition(30);
    s.slider->setEnabled(false);
    EXPECT_FALSE(s.slider->isEnabled());
    EXPECT_EQ(s.pixel(40, 8), disabledColour(kTrack, 20, kMask));
    EXPECT_EQ(s.pixel(50, 2), kMask) << "see-through pixels stay";
    s.slider->setDisabledIntense(86);
    EXPECT_EQ(s.slider->DisabledIntense(), 20);
    s.slider->setDisabledIntense(-1);
    EXPECT_EQ(s.slider->DisabledIntense(), 20);
    s.slider->setDisabledStyle(1);
    s.slider->setDisabledIntense(85);
    EXPECT_EQ(s.pixel(40, 8), disabledColour(kTrack, -85, kMask));

    s.clickWindowAt(QPoint(80, 7));
    EXPECT_EQ(s.slider->CurPosition(), 30);
    s.slider->setEnabled(true);
    EXPECT_EQ(s.pixel(40, 8), kTrack);
}

TEST(SliderPic, StoredPropertiesRoundTripWithDefaultsLeftOut)
{
    Slider s;
    PropertyBag saved;
    s.slider->save(saved);
    EXPECT_EQ(saved.names(),
        (QStringList { QStringLiteral("Max"), QStringLiteral("ImageSlider"),
            QStringLiteral("ImageLeft"), QStringLiteral("ImagePointer"),
            QStringLiteral("BackStyle") }));
    EXPECT_EQ(saved.value(QStringLiteral("BackStyle")).toInt(), 0);

    ASSERT_FALSE(s.slider->setMin(-7).has_value());
    s.slider->setCurPosition(-3);
    s.slider->setOrientation(3);
    s.slider->setMaskColor(SystemColor::kButtonFace);
    s.slider->setEnabled(false);
    s.slider->setDisabledIntense(5);
    s.slider->save(saved);
    Slider loaded(saved);
    EXPECT_EQ(loaded.slider->Min(), -7);
    EXPECT_EQ(loaded.slider->CurPosition(), -3);
    EXPECT_EQ(loaded.slider->Orientation(), 3);
    EXPECT_EQ(loaded.slider->MaskColor(), SystemColor::kButtonFace);
    EXPECT_FALSE(loaded.slider->Enabled());
    EXPECT_FALSE(loaded.slider->isEnabled()) << "stored disabled: refuses the mouse at once";
    EXPECT_EQ(loaded.slider->DisabledIntense(), 5);
    EXPECT_EQ(loaded.slider->ImagePointer(), pointerPicture());
    EXPECT_EQ(loaded.slider->picture(), s.slider->picture());
}

TEST(SliderPic, ANewControlStoresItsBuiltInPicturesAndLoadingChecksNothing)
{
    Slider fresh(PropertyBag {});
    fresh.slider->loadNew();
    EXPECT_EQ(fresh.slider->size(), QSize(106, 15));
    PropertyBag saved;
    fresh.slider->save(saved);
    EXPECT_EQ(saved.readPicture(QStringLiteral("ImageLeft"), {}).size(), QSize(100, 4));

    // Loaded as stored, bounds and position unchecked; the mouse still maps within the track.
    PropertyBag odd = Slider::volumeBag();
    odd.set(QStringLiteral("Min"), 50);
    odd.set(QStringLiteral("Max"), 50);
    odd.set(QStringLiteral("CurPosition"), 900);
    Slider s(odd);
    EXPECT_EQ(s.slider->CurPosition(), 900);
    EXPECT_EQ(s.slider->geometry().pointerLeft, 0);
    s.press(80);
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_EQ(s.reports[0].newPosition, 50);
}
