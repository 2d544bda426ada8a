#include "ButtonFixture.h"
#include "controls/ControlFonts.h"

#include <vector>

#include <QPainter>

namespace {

PropertyBag plainFace(OleColor from, OleColor to)
{
    PropertyBag bag;
    bag.set(QStringLiteral("Caption"), QString());
    bag.set(QStringLiteral("GradientFromColor"), from);
    bag.set(QStringLiteral("GradientToColor"), to);
    return bag;
}

std::vector<int> redColumn(const Button& b, int x, int fromY, int toY)
{
    std::vector<int> reds;
    for (int y = fromY; y <= toY; ++y)
        reds.push_back(static_cast<int>(b.pixel(x, y) & 0xFF));
    return reds;
}

} // namespace

TEST(GGCommandGradient, RowsStepFromTheFirstColourToTheLast)
{
    // 15 rows from white to &H808080: 255 - 127 / 15 per row, rounded halves to even.
    const std::vector<int> down { 255, 247, 238, 230, 221, 213, 204, 196, 187, 179, 170, 162, 153,
        145, 136 };
    Button b(plainFace(0xFFFFFF, 0x808080), { 28, 15 });
    // The outer rows carry the border once the button has had the focus.
    EXPECT_EQ(redColumn(b, 5, 1, 13), std::vector<int>(down.begin() + 1, down.end() - 1));
    b.gg->setCaption(QString());
    EXPECT_EQ(redColumn(b, 5, 0, 14), down) << "a redraw without a border";
    EXPECT_EQ(b.pixel(5, 7), 0xC4C4C4u) << "all three channels step alike";

    // Pressed: the ends swap, the border takes the outer pixels.
    b.hover();
    b.press();
    const std::vector<int> up { 136, 145, 153, 162, 170, 179, 187, 196, 204, 213, 221, 230, 238 };
    EXPECT_EQ(redColumn(b, 5, 1, 13), up);
    b.release();
    EXPECT_EQ(redColumn(b, 5, 1, 13), std::vector<int>(down.begin() + 1, down.end() - 1));
}

TEST(GGCommandGradient, OrientationPlainFillAndNoInversion)
{
    PropertyBag bag = plainFace(0x000000, 0x1C1C1C);
    bag.set(QStringLiteral("GradientOrientation"), 1);
    Button columns(bag, { 28, 15 });
    columns.gg->setCaption(QString());
    for (int x = 0; x < 28; ++x)
        EXPECT_EQ(columns.pixel(x, 7), rgbColor(x, x, x)) << "column " << x;

    PropertyBag noInversion = plainFace(0x000000, 0x0F0F0F);
    noInversion.set(QStringLiteral("GradientInverseOnPress"), false);
    Button rows(noInversion, { 28, 15 });
    rows.hover();
    rows.press();
    for (int y = 1; y < 14; ++y)
        EXPECT_EQ(rows.pixel(5, y), rgbColor(y, y, y)) << "row " << y;
    rows.release();

    PropertyBag plain = plainFace(0x000000, 0x0F0F0F);
    plain.set(QStringLiteral("UseGradientFill"), false);
    plain.set(QStringLiteral("BackColor"), 0x336699);
    Button flat(plain, { 28, 15 });
    flat.hover();
    flat.press();
    EXPECT_EQ(inkBox(flat, 0x336699), QRect(1, 1, 26, 13)) << "the plain background, pressed too";
    flat.release();
}

TEST(GGCommandGradient, FacesWithoutExtentDrawNothingAndSurvive)
{
    for (QSize size : { QSize(0, 0), QSize(28, 0), QSize(0, 15), QSize(1, 1) }) {
        SCOPED_TRACE(size.width() * 100 + size.height());
        Button b(plainFace(0x202020, 0xFFFFFF), size);
        b.gg->setCaption(QString());
        if (size == QSize(1, 1)) {
            EXPECT_EQ(b.pixel(0, 0), 0x202020u) << "a single row in the start colour";
        }
        b.gg->setCaption(QStringLiteral("x"));
        b.hover(QPoint(0, 0));
        b.hover(b.outside());
    }
}

TEST(GGCommandLayout, CaptionAtEachAlignmentWithOffsets)
{
    struct Case
    {
        int alignment;
        QPoint at;
    };

    // A 30 x 13 caption on a 60 x 20 face: right margin 2, halves rounded down.
    const Case cases[] = {
        { 0, { 1, 1 } },
        { 1, { 1, 3 } },
        { 2, { 1, 6 } },
        { 3, { 15, 1 } },
        { 4, { 15, 3 } },
        { 5, { 15, 6 } },
        { 6, { 28, 1 } },
        { 7, { 28, 3 } },
        { 8, { 28, 6 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
        bag.set(QStringLiteral("ForeColor"), 0x0000C0);
        bag.set(QStringLiteral("CaptionAlignment"), c.alignment);
        Button b(bag);
        b.gg->setCaptionGlyph(solidGlyph(30, 13));
        EXPECT_EQ(inkBox(b, 0x0000C0), QRect(c.at, QSize(30, 13)));
        b.gg->setCaptionXOffset(-1);
        b.gg->setCaptionYOffset(-1);
        EXPECT_EQ(inkBox(b, 0x0000C0), QRect(c.at - QPoint(1, 1), QSize(30, 13)));
    }
}

TEST(GGCommandLayout, PictureCountsAsItsHimetricSizeOverOnePointSevenFive)
{
    // 76 pixels are 2011 HIMETRIC, which the layout takes as 76.6 pixels.
    struct Case
    {
        int alignment;
        QPoint at;
    };

    const Case cases[] = { { 4, { 11, 11 } }, { 8, { 22, 22 } }, { 0, { 1, 1 } } };
    QImage picture(76, 76, QImage::Format_RGB32);
    picture.fill(QColor(0, 200, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
        bag.set(QStringLiteral("Picture"), QVariant::fromValue(picture));
        bag.set(QStringLiteral("PictureAlignment"), c.alignment);
        Button b(bag, { 100, 100 });
        EXPECT_EQ(inkBox(b, rgbColor(0, 200, 0)), QRect(c.at, QSize(76, 76)));
    }
}

TEST(GGCommandLayout, OutOfRangeCodesAreRefusedAndNeverDrift)
{
    PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
    bag.set(QStringLiteral("ForeColor"), 0x0000C0);
    bag.set(QStringLiteral("CaptionAlignment"), 12);
    bag.set(QStringLiteral("CaptionXOffset"), 4);
    bag.set(QStringLiteral("GradientOrientation"), 7);
    bag.set(QStringLiteral("Border3DStyle"), 9);
    Button b(bag);
    EXPECT_EQ(b.gg->CaptionAlignment(), 4);
    EXPECT_EQ(b.gg->GradientOrientation(), 0);
    EXPECT_EQ(b.gg->Border3DStyle(), 0);
    b.gg->setCaptionGlyph(solidGlyph(30, 13));
    QStringList keys;
    QObject::connect(b.gg, &CustomControl::propertyChanged, [&](const QString& k) {
        keys << k;
    });
    b.gg->setCaptionAlignment(9);
    b.gg->setCaptionAlignment(-1);
    b.gg->setPictureAlignment(9);
    b.gg->setGradientOrientation(2);
    b.gg->setBorder3DStyle(5);
    EXPECT_TRUE(keys.isEmpty());
    EXPECT_EQ(b.gg->CaptionAlignment(), 4);
    EXPECT_EQ(b.gg->PictureAlignment(), 1);
    for (int i = 0; i < 3; ++i) {
        b.hover();
        b.hover(b.outside());
    }
    EXPECT_EQ(inkBox(b, 0x0000C0), QRect(19, 3, 30, 13)) << "centred plus the offset, once";
}

TEST(GGCommandDrawing, BorderPixelsPerState)
{
    PropertyBag bag = plainFace(0x404040, 0x404040);
    bag.set(QStringLiteral("BackColor"), 0x00E0E0);
    Button b(bag, { 10, 6 });
    const int R = 9;
    const int B = 5;
    auto corners = [&] {
        return QStringList { QString::number(b.pixel(0, 0), 16), QString::number(b.pixel(R, 0), 16),
            QString::number(b.pixel(0, B), 16), QString::number(b.pixel(R, B), 16) };
    };
    b.hover();
    // Light runs up the left side and along the top; dark down the right and along the bottom,
    // which also takes the top-right and bottom-left corners.
    EXPECT_EQ(corners(), (QStringList { "ffffff", "808080", "808080", "808080" }));
    b.press();
    EXPECT_EQ(corners(), (QStringList { "808080", "ffffff", "ffffff", "ffffff" }));
    b.release();
    b.hover(b.outside());
    EXPECT_EQ(corners(), (QStringList { "e0e0", "e0e0", "e0e0", "e0e0" }))
        << "flat: the back colour";
    EXPECT_EQ(b.pixel(4, 3), 0x404040u);

    b.gg->setAlwaysShowBorder(true);
    EXPECT_EQ(corners(), (QStringList { "ffffff", "808080", "808080", "808080" }));
    b.gg->setCaption(QStringLiteral("a"));
    EXPECT_EQ(corners(), (QStringList { "ffffff", "808080", "808080", "808080" }))
        << "kept by every redraw";
}

TEST(GGCommandDrawing, FrameStylesInsetTheFace)
{
    struct Case
    {
        int style;
        int width;
        OleColor outerTopLeft;
    };

    const Case cases[] = { { 1, 2, 0x808080 }, { 2, 3, 0xC8D0D4 }, { 3, 1, 0x808080 },
        { 4, 5, 0xC8D0D4 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Button b(plainFace(0x000000, 0x000000), { 40, 20 });
        b.gg->setBorder3DStyle(c.style);
        EXPECT_EQ(b.face->geometry(), QRect(c.width, c.width, 40 - 2 * c.width, 20 - 2 * c.width));
        const QImage shown = b.gg->grab().toImage();
        EXPECT_EQ(fromQColor(shown.pixelColor(0, 0)), c.outerTopLeft);
        EXPECT_EQ(fromQColor(shown.pixelColor(c.width, c.width)), 0u) << "the face begins inside";
        b.gg->setBorder3DStyle(0);
        EXPECT_EQ(b.face->geometry(), QRect(0, 0, 40, 20));
    }
}

TEST(GGCommandDrawing, HoverLookLeavesForeColorAndFontAsTheyWere)
{
    PropertyBag bag;
    QFont demiBold = controlFont(QStringLiteral("Arial"), 8.25, 600);
    bag.set(QStringLiteral("Font"), QVariant::fromValue(demiBold));
    bag.set(QStringLiteral("FontBoldOnHover"), true);
    bag.set(QStringLiteral("ForeColor"), 0x0000C0);
    Button b(bag);
    b.hover();
    b.press();
    b.release();
    b.hover(b.outside());
    EXPECT_EQ(b.gg->Font().weight(), 600);
    EXPECT_EQ(b.gg->ForeColor(), 0x0000C0u);
    EXPECT_EQ(b.gg->Font().family(), QStringLiteral("Arial"));
}

TEST(GGCommandProperties, SavedAndLoadedKeepEveryStoredProperty)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    PropertyBag bag;
    {
        Button a;
        a.gg->setBorder3DStyle(3);
        a.gg->setGradientFromColor(0x102030);
        a.gg->setGradientInverseOnPress(false);
        a.gg->setGradientOrientation(1);
        a.gg->setGradientToColor(0x808080);
        a.gg->setToolTipBackColor(0xFFFFFF);
        a.gg->setToolTipForeColor(0x000080);
        a.gg->setAlwaysShowBorder(true);
        a.gg->setCaption(QStringLiteral("Pitch"));
        a.gg->setCaptionAlignment(6);
        a.gg->setCaptionXOffset(-3);
        a.gg->setCaptionYOffset(2);
        a.gg->setFontBoldOnHover(true);
        a.gg->setFontColorOnHover(0xFFFFFF);
        a.gg->setForeColor(0x0000C0);
        a.gg->setPictureAlignment(8);
        a.gg->setPictureXOffset(1);
        a.gg->setPictureYOffset(-1);
        a.gg->setToolTip(QStringLiteral(" Close "));
        a.gg->setToolTipIcon(2);
        a.gg->setToolTipStyle(1);
        a.gg->setToolTipTitle(QStringLiteral("Title"));
        a.gg->setUseGradientFill(false);
        a.gg->setUseHoverProperties(false);
        a.gg->setMousePointer(15);
        a.gg->setBackColor(0xE0E0E0);
        a.gg->setFont(controlFont(QStringLiteral("Arial"), 9.75));
        a.gg->setPicture(picture);
        a.gg->setEnabled(false);
        a.gg->setDontReleaseCapture(true);
        a.gg->setToolTipCentered(true);
        a.gg->save(bag);
        EXPECT_EQ(bag.names().size(), 29);
    }
    Button b(bag);
    PropertyBag again;
    b.gg->save(again);
    for (const QString& name : bag.names()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(again.value(name), bag.value(name));
    }
    EXPECT_EQ(b.gg->Picture().pixelColor(2, 1), QColor(Qt::red));
    EXPECT_EQ(b.face->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_FALSE(b.face->isEnabled());
    EXPECT_FALSE(b.gg->ToolTipCentered());
    // DontReleaseCapture came back off: a press dragged out is cancelled.
    b.gg->setEnabled(true);
    b.hover();
    b.press();
    b.drag(b.outside());
    EXPECT_EQ(b.take(), "MouseEnter, MouseDown 1, MouseExit");
    b.release(Qt::LeftButton, b.outside());
}

TEST(GGCommandProperties, NewAndDefaultControlsStoreOnlyWhatDiffers)
{
    Button loaded;
    PropertyBag bag;
    loaded.gg->save(bag);
    EXPECT_EQ(bag.names(), QStringList {}) << "a loaded default control, captioned by its name";
    EXPECT_EQ(loaded.gg->Caption(), QStringLiteral("GGCommand1"));

    GGCommand fresh;
    fresh.setObjectName(QStringLiteral("GGCommand9"));
    fresh.loadNew();
    PropertyBag created;
    fresh.save(created);
    EXPECT_EQ(created.names(), QStringList {});
    EXPECT_EQ(fresh.Caption(), QStringLiteral("GGCommand9"));

    PropertyBag mixedCase;
    mixedCase.set(QStringLiteral("captionALIGNMENT"), 6);
    Button read(mixedCase);
    EXPECT_EQ(read.gg->CaptionAlignment(), 6);
}

TEST(GGCommandProperties, WhichSettersActOnAnUnchangedValue)
{
    Button b;
    QStringList keys;
    QObject::connect(b.gg, &CustomControl::propertyChanged, [&](const QString& k) {
        keys << k;
    });
    GGCommand& g = *b.gg;
    g.setGradientFromColor(g.GradientFromColor());
    g.setGradientToColor(g.GradientToColor());
    g.setGradientOrientation(g.GradientOrientation());
    g.setUseGradientFill(g.UseGradientFill());
    EXPECT_TRUE(keys.isEmpty());
    g.setCaption(g.Caption());
    g.setGradientInverseOnPress(g.GradientInverseOnPress());
    g.setToolTip(g.ToolTip());
    g.setBackColor(g.BackColor());
    g.setMousePointer(g.MousePointer());
    g.setEnabled(g.Enabled());
    EXPECT_EQ(keys,
        (QStringList { "Caption", "GradientInverseOnPress", "ToolTip", "BackColor", "MousePointer",
            "Enabled" }));

    keys.clear();
    g.setMousePointer(16);
    g.setMousePointer(70000);
    EXPECT_EQ(keys, (QStringList { "MousePointer", "MousePointer" })) << "refused but reported";
    EXPECT_EQ(g.MousePointer(), 0);
    g.setMousePointer(2);
    EXPECT_EQ(b.face->cursor().shape(), Qt::CrossCursor);
}

TEST(GGCommandDrawing, CaptionTextSitsWhereItsAlignmentPutsIt)
{
    // The main window's "Pitch": Arial 8.25, top-right on a 28 x 15 face, in ForeColor.
    PropertyBag bag = plainFace(0xFFFFFF, 0xFFFFFF);
    bag.set(QStringLiteral("Caption"), QStringLiteral("Pitch"));
    bag.set(QStringLiteral("CaptionAlignment"), 6);
    bag.set(QStringLiteral("ForeColor"), 0x000000);
    bag.set(
        QStringLiteral("Font"), QVariant::fromValue(controlFont(QStringLiteral("Arial"), 8.25)));
    Button b(bag, { 28, 15 });
    QRect ink;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 28; ++x) {
            if ((b.pixel(x, y) & 0xFF) < 0x80)
                ink |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 1);
    EXPECT_LE(ink.right(), 25) << "two pixels kept off the right edge";
    EXPECT_GE(ink.right(), 22) << "right-aligned";
    EXPECT_LE(ink.top(), 4) << "at the top";
}
