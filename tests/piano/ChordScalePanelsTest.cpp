#include "piano/ChordScalePanels.h"

#include "PianoWindowRig.h"

#include <QCheckBox>

namespace {

// The largest difference of one channel between two pictures of the same place.
int largestDifference(const QImage& a, const QImage& b, const QRect& within, QColor* most = nullptr)
{
    int largest = 0;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            const int d = std::max({ std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                std::abs(p.blue() - q.blue()) });
            if (d > largest && most)
                *most = p;
            largest = std::max(largest, d);
        }
    }
    return largest;
}

TEST(ChordScalePanelsTest, LeftHandOnlyLooksLikeACheckBoxClearTickedAndOutOfUse)
{
    WindowRig rig;
    QCheckBox* box = rig.window->panels().Pratnja();
    const QRect place = box->geometry();
    box->hide();
    const QImage wood = rig.window->grab(place).toImage();
    box->show();
    const auto shot = [&] {
        return rig.window->grab(place).toImage();
    };
    // The square sits at the box's left, as high as the text.
    const QRect square(0, place.height() / 2 - 6, 13, 13);
    const QRect middle(4, place.height() / 2 - 2, 5, 5);

    // "Normal": out of use, greyed, yet a box.
    ASSERT_FALSE(box->isEnabled());
    QColor ink;
    const QImage greyed = shot();
    EXPECT_GE(largestDifference(greyed, wood, square, &ink), 40);
    EXPECT_LT(ink.hsvSaturation(), 60) << ink.name().toStdString();

    // A chord mode: in use, clear, in the window's green.
    rig.window->setCombo1Text(QStringLiteral("Fifth"));
    ASSERT_TRUE(box->isEnabled());
    const QImage clear = shot();
    EXPECT_GE(largestDifference(clear, wood, square, &ink), 80);
    EXPECT_GT(ink.hsvSaturation(), 80) << ink.name().toStdString();
    EXPECT_GT(ink.green(), ink.red());

    // Ticked by a click: the tick fills the middle of the square; the keys play "Left Hand only".
    WindowRig::clickAt(box, { 6, place.height() / 2 });
    EXPECT_TRUE(box->isChecked());
    EXPECT_GE(largestDifference(shot(), clear, middle), 80);
    EXPECT_TRUE(rig.holdsTheKeyboard());
    WindowRig::typeKey(Qt::Key_Q); // the upper row: a single note over the chords
    EXPECT_EQ(rig.notesOn(), (std::vector<int> { 77 }));
}

} // namespace
