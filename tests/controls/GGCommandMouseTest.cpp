#include "ButtonFixture.h"
#include "controls/ControlFonts.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QTimer>

TEST(GGCommandMouse, HoverPressReleaseLeaveInOrder)
{
    PropertyBag bag = bagOf({ { "FontBoldOnHover", true },
        { "Font", QVariant::fromValue(controlFont(QStringLiteral("Arial"), 8.25, 600)) } });
    Button b(bag);
    b.gg->setCaptionGlyph(solidGlyph(30, 13));
    b.gg->setForeColor(0x0000C0);
    b.gg->setFontColorOnHover(0xC00000);
    b.hover();
    EXPECT_EQ(b.take(), "MouseEnter");
    EXPECT_EQ(b.moves, 1) << "after the entry";
    EXPECT_EQ(b.border(), "raised");
    EXPECT_EQ(inkBox(b, 0xC00000), QRect(15, 3, 30, 13)) << "hover colour, at rest";

    b.press();
    EXPECT_EQ(b.take(), "MouseDown 1");
    EXPECT_EQ(b.border(), "sunken");
    EXPECT_EQ(inkBox(b, 0xC00000), QRect(16, 4, 30, 13)) << "pressed: shifted by one pixel";

    b.release();
    EXPECT_EQ(b.take(), "Click, MouseUp 1");
    EXPECT_EQ(b.border(), "raised");
    EXPECT_EQ(inkBox(b, 0xC00000), QRect(15, 3, 30, 13));

    b.hover(b.outside());
    EXPECT_EQ(b.take(), "MouseExit");
    EXPECT_EQ(b.border(), "flat");
    EXPECT_EQ(inkBox(b, 0x0000C0), QRect(15, 3, 30, 13)) << "back to ForeColor";
    // The hover look is drawn with borrowed settings that are put back.
    EXPECT_EQ(b.gg->ForeColor(), 0x0000C0u);
    EXPECT_EQ(b.gg->Font().weight(), 600);
}

TEST(GGCommandMouse, APressDraggedOutIsCancelledAndItsReleaseIsNotHeard)
{
    Button b;
    b.hover();
    b.press();
    b.take();
    b.drag(b.outside());
    EXPECT_EQ(b.take(), "MouseExit");
    EXPECT_EQ(b.border(), "flat");
    b.drag(b.outside() + QPoint(5, 0));
    EXPECT_EQ(b.take(), "") << "one exit, further moves outside are not the button's";
    b.drag(b.centre());
    EXPECT_EQ(b.take(), "MouseEnter");
    EXPECT_EQ(b.border(), "raised") << "the hover face, not the pressed one";
    b.release();
    EXPECT_EQ(b.take(), "MouseUp 1") << "no click";

    b.press();
    b.drag(b.outside());
    b.take();
    b.release(Qt::LeftButton, b.outside());
    EXPECT_EQ(b.take(), "");
    b.hover(QPoint(10, 10));
    b.press();
    b.release();
    EXPECT_EQ(b.take(), "MouseEnter, MouseDown 1, Click, MouseUp 1")
        << "the next press is armed as usual";
}

TEST(GGCommandMouse, DontReleaseCaptureKeepsOnlyADraggedPress)
{
    Button b;
    b.gg->setDontReleaseCapture(true);
    b.hover();
    b.press();
    b.take();
    b.drag(b.outside());
    EXPECT_EQ(b.take(), "");
    EXPECT_EQ(b.border(), "sunken");
    b.release(Qt::LeftButton, b.outside());
    EXPECT_EQ(b.take(), "Click, MouseUp 1, MouseExit")
        << "clicks, then drops to idle where the pointer is";
    EXPECT_EQ(b.border(), "flat");

    // Without a press the hover ends on leaving, and the rest of the program gets its clicks.
    b.hover(QPoint(10, 10));
    b.hover(b.outside() + QPoint(0, 3));
    EXPECT_EQ(b.take(), "MouseEnter, MouseExit");
    QWidget other(&b.window);
    other.setGeometry(150, 5, 40, 20);
    other.show();
    QTest::mouseMove(&other, QPoint(5, 5));
    QTest::mouseClick(&other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.take(), "");
    EXPECT_EQ(b.border(), "flat");
}

TEST(GGCommandMouse, RightAndMiddlePressesArmButNeverClickOrDraw)
{
    for (Qt::MouseButton button : { Qt::RightButton, Qt::MiddleButton }) {
        SCOPED_TRACE(button);
        Button b;
        b.hover();
        b.take();
        const QImage before = b.face->image().copy();
        b.press(button);
        EXPECT_EQ(b.face->image(), before) << "nothing drawn";
        b.release(button);
        EXPECT_EQ(b.face->image(), before);
        const int code = button == Qt::RightButton ? 2 : 4;
        EXPECT_EQ(b.take(), QStringLiteral("MouseDown %1, MouseUp %1").arg(code).toStdString());
        // The right release disarmed the click: a left release alone raises none.
        b.release();
        EXPECT_EQ(b.take(), "MouseUp 1");
    }
}

TEST(GGCommandMouse, ValueTrueAndADoubleClickRaiseOneClickEach)
{
    Button b;
    b.hover();
    b.take();
    const QImage before = b.face->image().copy();
    b.gg->setValue(false);
    b.gg->setValue(true);
    EXPECT_EQ(b.take(), "Click");
    EXPECT_EQ(b.face->image(), before) << "Value changes nothing else";

    b.press();
    b.release();
    QTest::mouseDClick(b.face, Qt::LeftButton, {}, b.centre());
    b.release();
    EXPECT_EQ(b.take(), "MouseDown 1, Click, MouseUp 1, DblClick, MouseUp 1");
    b.hover(b.outside());
    EXPECT_EQ(b.take(), "MouseExit") << "still in hover after all that";
}

// A Click handler that opens a modal dialog, during which the pointer goes elsewhere.
TEST(GGCommandMouse, ClickOpeningADialogDoesNotLeaveTheHoverBehind)
{
    for (bool pointerComesBack : { false, true }) {
        SCOPED_TRACE(pointerComesBack);
        Button b;
        QObject::connect(b.gg, &GGCommand::Click, [&] {
            QDialog dialog(&b.window);
            dialog.setGeometry(500, 400, 80, 60);
            QTimer::singleShot(0, &dialog, [&] {
                QCursor::setPos(b.face->mapToGlobal(b.outside()));
                if (pointerComesBack)
                    QCursor::setPos(b.face->mapToGlobal(b.centre()));
                dialog.reject();
            });
            dialog.exec();
        });
        b.hover();
        b.press();
        b.release();
        const QString seen = QString::fromStdString(b.take());
        // Every entry has its exit but for the last one when the pointer is back on the button.
        EXPECT_EQ(seen.count(QStringLiteral("MouseExit")),
            seen.count(QStringLiteral("MouseEnter")) - (pointerComesBack ? 1 : 0))
            << seen.toStdString();
        EXPECT_TRUE(seen.startsWith(QStringLiteral("MouseEnter, MouseDown 1")))
            << seen.toStdString();
        EXPECT_TRUE(seen.contains(QStringLiteral("Click"))) << seen.toStdString();
        EXPECT_EQ(b.border(), pointerComesBack ? "raised" : "flat");
        EXPECT_EQ(b.tip(), nullptr);
    }
}

TEST(GGCommandMouse, EdgesCountAsInsideAndAWidgetOverTheButtonAsOutside)
{
    Button b;
    b.hover(QPoint(10, 10));
    b.press();
    b.take();
    b.drag(QPoint(b.face->width(), b.face->height()));
    EXPECT_EQ(b.take(), "") << "the right and bottom edges are inside";
    b.drag(QPoint(b.face->width() + 1, 5));
    EXPECT_EQ(b.take(), "MouseExit");
    b.release(Qt::LeftButton, QPoint(b.face->width() + 1, 5));

    QWidget cover(&b.window);
    cover.setGeometry(QRect(b.gg->geometry().topLeft() + QPoint(40, 0), QSize(20, 20)));
    cover.show();
    cover.raise();
    b.hover(QPoint(10, 10));
    b.press();
    b.take();
    b.drag(QPoint(50, 10));
    EXPECT_EQ(b.take(), "MouseExit") << "under the covering widget";
    b.release(Qt::LeftButton, QPoint(50, 10));
    EXPECT_EQ(b.take(), "");
}

TEST(GGCommandMouse, DisabledButtonTakesNoMouseAndKeepsItsFace)
{
    Button b;
    b.hover();
    b.window.setFocus();
    b.take();
    const QImage hovered = b.face->image().copy();
    b.gg->setEnabled(false);
    EXPECT_EQ(b.face->image(), hovered);
    b.hover(b.outside());
    EXPECT_EQ(b.take(), "MouseExit") << "leaving still ends the hover";
    b.hover();
    b.press();
    b.release();
    EXPECT_EQ(b.take(), "");
    EXPECT_EQ(b.border(), "flat");
    b.gg->setEnabled(true);
    b.hover(QPoint(3, 3));
    EXPECT_EQ(b.take(), "MouseEnter");
}

TEST(GGCommandMouse, HandlersMayChangeTheButtonCodeAndDeleteTheButtonLater)
{
    Button b;
    QPointer<GGCommand> gg = b.gg;
    QObject::connect(
        b.gg, &GGCommand::MouseDown, [](std::int16_t& button, std::int16_t&, float&, float&) {
            button = 2;
        });
    QObject::connect(b.gg, &GGCommand::Click, b.gg, &QObject::deleteLater);
    b.hover();
    b.press();
    EXPECT_EQ(b.border(), "raised") << "the press went on as a right press";
    b.release();
    EXPECT_EQ(b.take(), "MouseEnter, MouseDown 1, Click, MouseUp 1");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gg.isNull());
}
