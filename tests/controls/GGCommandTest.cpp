#include "ButtonFixture.h"
#include "controls/ControlFonts.h"

#include <vector>

namespace {

PropertyBag plainFace(OleColor from, OleColor to)
{
    return bagOf(
        { { "Caption", QString() }, { "GradientFromColor", from }, { "GradientToColor", to } });
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

    PropertyBag plain = plainFace(0x000000, 0x0F0F0F);
    plain.set(QStringLiteral("UseGradientFill"), false);
    plain.set(QStringLiteral("BackColor"), 0x336699);
    Button flat(plain, { 28, 15 });
    flat.hover();
    flat.press();
    EXPECT_EQ(inkBox(flat, 0x336699), QRect(1, 1, 26, 13)) << "the plain background, pressed too";
    // A press left held would stay in the application's button state for the next test.
    rows.release();
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
    // A 30 x 13 caption on a 60 x 20 face: right margin 2, halves rounded down.
    const QPoint at[] = { { 1, 1 }, { 1, 3 }, { 1, 6 }, { 15, 1 }, { 15, 3 }, { 15, 6 }, { 28, 1 },
        { 28, 3 }, { 28, 6 } };
    for (int alignment = 0; alignment <= 8; ++alignment) {
        SCOPED_TRACE(alignment);
        PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
        bag.set(QStringLiteral("ForeColor"), 0x0000C0);
        bag.set(QStringLiteral("CaptionAlignment"), alignment);
        Button b(bag);
        b.gg->setCaptionGlyph(solidGlyph(30, 13));
        EXPECT_EQ(inkBox(b, 0x0000C0), QRect(at[alignment], QSize(30, 13)));
        b.gg->setCaptionXOffset(-1);
        b.gg->setCaptionYOffset(-1);
        EXPECT_EQ(inkBox(b, 0x0000C0), QRect(at[alignment] - QPoint(1, 1), QSize(30, 13)));
    }
}

TEST(GGCommandLayout, PictureCountsAsItsHimetricSizeOverOnePointSevenFive)
{
    // 76 pixels are 2011 HIMETRIC, which the layout takes as 76.6 pixels.
    const std::pair<int, QPoint> cases[] = { { 4, { 11, 11 } }, { 8, { 22, 22 } },
        { 0, { 1, 1 } } };
    QImage picture(76, 76, QImage::Format_RGB32);
    picture.fill(QColor(0, 200, 0));
    for (const auto& [alignment, at] : cases) {
        SCOPED_TRACE(alignment);
        PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
        bag.set(QStringLiteral("Picture"), QVariant::fromValue(picture));
        bag.set(QStringLiteral("PictureAlignment"), alignment);
        Button b(bag, { 100, 100 });
        EXPECT_EQ(inkBox(b, rgbColor(0, 200, 0)), QRect(at, QSize(76, 76)));
    }
}

TEST(GGCommandLayout, OutOfRangeCodesAreRefusedAndNeverDrift)
{
    PropertyBag bag = plainFace(0xFFFFFF, 0xE0E0E0);
    for (const char* key : { "CaptionAlignment", "GradientOrientation", "Border3DStyle" })
        bag.set(QString::fromLatin1(key), 12);
    bag.set(QStringLiteral("ForeColor"), 0x0000C0);
    bag.set(QStringLiteral("CaptionXOffset"), 4);
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

TEST(GGCommandDrawing, FrameStylesInsetTheFace)
{
    struct Case
    {
        int style;
        int width;
    };

    const Case cases[] = { { 1, 2 }, { 2, 3 }, { 3, 1 }, { 4, 5 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Button b(plainFace(0x000000, 0x000000), { 40, 20 });
        b.gg->setBorder3DStyle(c.style);
        EXPECT_EQ(b.face->geometry(), QRect(c.width, c.width, 40 - 2 * c.width, 20 - 2 * c.width));
        const QImage shown = b.gg->grab().toImage();
        EXPECT_EQ(fromQColor(shown.pixelColor(c.width, c.width)), 0u) << "the face begins inside";
        b.gg->setBorder3DStyle(0);
        EXPECT_EQ(b.face->geometry(), QRect(0, 0, 40, 20));
    }
}

TEST(GGCommandProperties, EveryStoredPropertyLoadsAndSavesAgain)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    // Every key in storing order, none at its default.
    const PropertyBag stored = bagOf({ { "Caption", QStringLiteral("Pitch") },
        { "CaptionAlignment", 6 }, { "CaptionXOffset", -3 }, { "CaptionYOffset", 2 },
        { "UseHoverProperties", false }, { "FontBoldOnHover", true },
        { "FontColorOnHover", 0xFFFFFF }, { "BackColor", 0xE0E0E0 }, { "ForeColor", 0x0000C0 },
        { "Font", QVariant::fromValue(controlFont(QStringLiteral("Arial"), 9.75)) },
        { "Picture", QVariant::fromValue(picture) }, { "PictureAlignment", 8 },
        { "PictureXOffset", 1 }, { "PictureYOffset", -1 }, { "AlwaysShowBorder", true },
        { "ToolTip", QStringLiteral(" Close ") }, { "ToolTipTitle", QStringLiteral("Title") },
        { "ToolTipBackColor", 0xFFFFFF }, { "ToolTipForeColor", 0x000080 }, { "ToolTipIcon", 2 },
        { "ToolTipStyle", 1 }, { "Border3DStyle", 3 }, { "GradientOrientation", 1 },
        { "UseGradientFill", false }, { "GradientFromColor", 0x102030 },
        { "GradientToColor", 0x808080 }, { "GradientInverseOnPress", false },
        { "MousePointer", 15 }, { "Enabled", false } });
    Button b(stored);
    EXPECT_EQ(b.face->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_FALSE(b.face->isEnabled());
    // Run-time switches are not stored.
    b.gg->setDontReleaseCapture(true);
    b.gg->setToolTipCentered(true);
    PropertyBag saved;
    b.gg->save(saved);
    EXPECT_EQ(saved.names(), stored.names());
    for (const QString& name : stored.names()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(saved.value(name), stored.value(name));
    }
}

TEST(GGCommandProperties, DefaultControlsStoreNothingAndAreCaptionedByTheirName)
{
    Button loaded;
    PropertyBag bag;
    loaded.gg->save(bag);
    EXPECT_EQ(bag.names(), QStringList {});
    EXPECT_EQ(loaded.gg->Caption(), QStringLiteral("GGCommand1"));

    GGCommand fresh;
    fresh.setObjectName(QStringLiteral("GGCommand9"));
    fresh.loadNew();
    fresh.save(bag);
    EXPECT_EQ(bag.names(), QStringList {});
    EXPECT_EQ(fresh.Caption(), QStringLiteral("GGCommand9"));
}

TEST(GGCommandProperties, AnUnknownPointerIsRefusedButReported)
{
    Button b;
    QStringList keys;
    QObject::connect(b.gg, &CustomControl::propertyChanged, [&](const QString& k) {
        keys << k;
    });
    b.gg->setMousePointer(2);
    b.gg->setMousePointer(16);
    b.gg->setMousePointer(70000);
    EXPECT_EQ(keys, (QStringList { "MousePointer", "MousePointer", "MousePointer" }));
    EXPECT_EQ(b.gg->MousePointer(), 2);
    EXPECT_EQ(b.face->cursor().shape(), Qt::CrossCursor);
}
