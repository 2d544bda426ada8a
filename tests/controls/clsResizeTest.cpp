#include "controls/clsResize.h"

#include "controls/AnalogClock.h"
#include "controls/ControlFonts.h"
#include "controls/DrawSurface.h"
#include "controls/Knob.h"
#include "controls/PropertyBag.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

TEST(clsResize, FactorsFontStepsAndGeometrySteps)
{
    struct Font
    {
        double points;
        float f;
        int stepped;
    };

    // f is single precision and the quotient double: 16 / 1.28f is just above 12.5.
    const Font fonts[] = { { 8.25, 1.28f, 6 }, { 14.25, 1.28f, 11 }, { 16, 1.28f, 13 },
        { 6, 0.8f, 7 }, { 10, 0.8f, 12 }, { 9, 2, 4 }, { 11, 2, 6 }, { 1, 2.5f, 1 },
        { 0.4, 1.25f, 1 }, { 8.25, 1.25f, 6 } };
    for (const Font& c : fonts) {
        SCOPED_TRACE(testing::Message() << c.points << " / " << c.f);
        EXPECT_EQ(fontStep(c.points, c.f), c.stepped);
    }

    struct Factors
    {
        double dpi, ratio;
        int design, current;
        bool scales;
        float f, r;
    };

    const Factors factors[] = {
        { 96, 1, 3540, 3540, false, 0, 0 },
        { 96, 1, 3540, 2832, false, 0, 0 }, // at 96 nothing, whatever the widths
        { 96, 1, 3540, 0, false, 0, 0 },
        { 120, 1.25, 3540, 3540, false, 0, 0 }, // Qt scales the window itself
        { 120, 2, 3540, 3540, false, 0, 0 },
        { 120, 1, 3540, 3540, true, 1.25f, 1 },
        { 144, 1, 3540, 3540, true, 1.5f, 1 },
        { 110, 1, 3540, 3540, true, 1.15f, 1 }, // 1.1458 to two decimals
        { 120, 1, 3540, 2832, true, 1.25f, 1.25f },
        { 120, 1, 3540, 0, false, 0, 0 }, // no division by 0
        { 0, 1, 3540, 3540, false, 0, 0 },
        { -120, 1, 3540, 3540, false, 0, 0 },
    };
    for (const Factors& c : factors) {
        SCOPED_TRACE(testing::Message()
            << c.dpi << " dpi x" << c.ratio << ", " << c.design << " / " << c.current);
        const auto k = scaleFactors(c.dpi, c.ratio, static_cast<std::int16_t>(c.design),
            static_cast<std::int16_t>(c.current));
        ASSERT_EQ(k.has_value(), c.scales);
        if (k) {
            EXPECT_EQ(k->f, c.f);
            EXPECT_EQ(k->r, c.r);
        }
    }

    EXPECT_EQ(geometryStep(1500, 1.25f), 1200);
    EXPECT_EQ(geometryStep(600, 1.25f), 480);
    EXPECT_DOUBLE_EQ(geometryStep(1000, 3540.0f / 2000), 1000 / static_cast<double>(1.77f));
}

namespace {

QFont pointFont(double points)
{
    return controlFont(QStringLiteral("DejaVu Sans"), points);
}

template <typename W> W* place(QWidget* parent, const char* name, QRect pixels, double points)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(pixels);
    w->setFont(pointFont(points));
    return w;
}

AnalogClock* placeDial(QWidget* parent)
{
    auto* dial = new AnalogClock(parent);
    PropertyBag bag;
    bag.set(QStringLiteral("ClockFont"), QVariant::fromValue(pointFont(8.25)));
    dial->load(bag);
    dial->setGeometry(20, 40, 100, 120);
    return dial;
}

} // namespace

TEST(clsResize, MainWindowTableScalesItsKindsOnceAndLeavesTheRest)
{
    QWidget window;
    window.resize(300, 400);
    // A picture that holds controls, as the skin does: a picture box, which this table leaves.
    auto* picture = place<QLabel>(&window, "Picture1", { 0, 0, 236, 400 }, 8.25);
    picture->setPixmap(QPixmap(236, 400));
    auto* label = place<QLabel>(picture, "lblTempo", { 100, 60, 40, 20 }, 8.25);
    auto* image = place<QLabel>(picture, "imstop", { 50, 100, 30, 30 }, 8.25);
    image->setPixmap(QPixmap(30, 30));
    auto* dial = placeDial(picture);
    auto* knob = new Knob(picture);
    knob->setGeometry(200, 300, 36, 36);
    auto* check = place<QCheckBox>(picture, "chk", { 100, 200, 40, 20 }, 8.25);
    window.show();

    // f 1.28, r 1.25: twips 1500 become 1200, 600 become 480.
    scaleControls(window, ScalingTable::Form, { 1.28f, 1.25f });
    EXPECT_EQ(picture->geometry(), QRect(0, 0, 236, 400));
    EXPECT_EQ(picture->font().pointSizeF(), 8.25);
    EXPECT_EQ(label->geometry(), QRect(80, 48, 32, 16));
    EXPECT_EQ(label->font().pointSizeF(), 6) << "the label row only: 6, not 6 again to 5";
    EXPECT_EQ(image->geometry(), QRect(40, 80, 30, 30)) << "an image only moves";
    EXPECT_EQ(image->font().pointSizeF(), 8.25);
    EXPECT_EQ(dial->QWidget::geometry(), QRect(16, 32, 80, 96));
    // The dial draws its points at 96 per inch: 6 x 1.28, as large as 6 points at 122.88.
    EXPECT_FLOAT_EQ(static_cast<float>(dial->ClockFont().pointSizeF()), 6 * 1.28f);
    EXPECT_EQ(knob->geometry(), QRect(200, 300, 36, 36));
    EXPECT_EQ(check->geometry(), QRect(100, 200, 40, 20)) << "only the piano's table has them";

    // At the test platform's 96 DPI the operation itself touches nothing.
    EXPECT_TRUE(IsSmallFonts(window));
    clsResize().ResizeForm(window, 3540, 2832);
    EXPECT_EQ(label->geometry(), QRect(80, 48, 32, 16));
    EXPECT_EQ(label->font().pointSizeF(), 6);
}

TEST(clsResize, PianoTableTakesItsOwnKindsAndLeavesItsBackgroundByName)
{
    QWidget window;
    window.resize(800, 400);
    auto* background = place<DrawSurface>(&window, "PicPozadina", { 0, 0, 750, 300 }, 8.25);
    auto* combo = place<QComboBox>(background, "cboInst", { 100, 60, 80, 20 }, 8.25);
    auto* label = place<QLabel>(background, "Label1", { 100, 100, 40, 20 }, 8.25);
    auto* check = place<QCheckBox>(background, "chk", { 100, 200, 40, 20 }, 14.25);
    auto* keys = place<DrawSurface>(background, "picKeys", { 200, 100, 100, 50 }, 8.25);
    keys->setTextFont(pointFont(8.25));
    auto* dial = placeDial(&window);
    window.show();

    scaleControls(window, ScalingTable::Klavir, { 1.28f, 1.25f });
    EXPECT_EQ(background->geometry(), QRect(0, 0, 750, 300));
    EXPECT_EQ(background->userScale(), QSizeF(750, 300)) << "still its pixels";
    EXPECT_EQ(combo->geometry(), QRect(80, 48, 64, 20)) << "a combo keeps its height";
    EXPECT_DOUBLE_EQ(combo->font().pointSizeF(), 7.2);
    EXPECT_EQ(label->geometry(), QRect(80, 80, 32, 16));
    EXPECT_EQ(label->font().pointSizeF(), 6);
    EXPECT_EQ(check->geometry(), QRect(80, 160, 32, 16));
    EXPECT_EQ(check->font().pointSizeF(), 11);
    // Another picture box keeps its size; its inside is 80 x 40 units now.
    EXPECT_EQ(keys->geometry(), QRect(160, 80, 100, 50));
    EXPECT_EQ(keys->userScale(), QSizeF(80, 40));
    EXPECT_FLOAT_EQ(static_cast<float>(keys->textFont().pointSizeF()), 6 * 1.28f);
    keys->setBackColor(0);
    keys->clear();
    keys->setPixel(40, 20, 0xFFFFFF);
    EXPECT_EQ(keys->pixel(40, 20), 0xFFFFFFu);
    EXPECT_EQ(keys->image().pixel(50, 25) & 0xFFFFFFu, 0xFFFFFFu) << "a unit is 1.25 pixels";
    // The dial moves and shrinks but keeps its font here.
    EXPECT_EQ(dial->QWidget::geometry(), QRect(16, 32, 80, 96));
    EXPECT_EQ(dial->ClockFont().pointSizeF(), 8.25);
}
