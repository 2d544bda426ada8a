#include "app/frmabout.h"

#include "UnloadGuard.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

TEST(frmabout, VersionTextHasABlankOnEachSideOfEachPoint)
{
    EXPECT_EQ(aboutVersionText(1, 2, 3), QStringLiteral("ver. 1 . 2 . 3"));
    EXPECT_EQ(aboutVersionText(10, 0, 205), QStringLiteral("ver. 10 . 0 . 205"));
    UnloadGuard<frmabout> unloads;
    frmabout& box = frmabout::load();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ver\\. \\d+ \\. \\d+ \\. \\d+$"))
                    .match(box.Label2->text())
                    .hasMatch())
        << box.Label2->text().toStdString();
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Kadentor"));
    // 281 x 150 inside a one-pixel border; the picture 48 x 48 at 3450, 300 twips.
    EXPECT_EQ(box.size(), QSize(283, 152));
    EXPECT_EQ(box.Picture1->geometry(), QRect(231, 21, 48, 48));
    EXPECT_EQ(box.Picture1->pixmap().size(), QSize(48, 48));
}

TEST(frmabout, AClickAnywhereOrEscClosesItAndNoOtherKeyDoes)
{
    const std::pair<const char*, Qt::Key> keys[] = { { "Enter", Qt::Key_Return },
        { "Space", Qt::Key_Space }, { "a", Qt::Key_A }, { "Esc", Qt::Key_Escape } };
    for (const auto& [name, key] : keys) {
        SCOPED_TRACE(name);
        UnloadGuard<frmabout> unloads;
        frmabout& box = frmabout::load();
        box.show();
        for (QWidget* focus : { static_cast<QWidget*>(&box), static_cast<QWidget*>(box.Picture1) })
            QTest::keyClick(focus, key);
        EXPECT_EQ(box.isVisible(), key != Qt::Key_Escape);
    }
    for (const char* where : { "frmabout", "Label1", "Label2", "Picture1" }) {
        SCOPED_TRACE(where);
        UnloadGuard<frmabout> unloads;
        frmabout& box = frmabout::load();
        box.show();
        QWidget* target = box.objectName() == QLatin1String(where)
            ? &box
            : box.findChild<QWidget*>(QString::fromLatin1(where));
        ASSERT_NE(target, nullptr);
        // On the background: below the labels, away from the picture.
        const QPoint at = target == &box ? QPoint(20, 130) : target->rect().center();
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        EXPECT_FALSE(box.isVisible());
    }
}
