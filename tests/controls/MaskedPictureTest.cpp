#include "controls/MaskedPicture.h"

#include <gtest/gtest.h>

namespace {

constexpr OleColor kMask = 0xC0C0C0;

QImage filled(int width, int height, OleColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(toQColor(colour));
    return image;
}

OleColor at(const QImage& image, int x, int y)
{
    return fromQColor(QColor(image.pixel(x, y)));
}

// A 4 x 1 source whose pixels are 1, 2, mask, 4 (as red).
QImage stripe()
{
    QImage source(4, 1, QImage::Format_RGB32);
    const OleColor pixels[] = { 1, 2, kMask, 4 };
    for (int x = 0; x < 4; ++x)
        source.setPixel(x, 0, toQColor(pixels[x]).rgb());
    return source;
}

} // namespace

TEST(TransparentBlit, CopiesAllButTheMaskColourRoundsGeometryAndClipsToBothPictures)
{
    struct Case
    {
        const char* what;
        double x, width, sourceX;
        OleColor expected[6];
    };

    constexpr OleColor o = 0x777777;
    const Case cases[] = {
        { "a mask pixel leaves the destination as it was", 1, 4, 0, { o, 1, 2, o, 4, o } },
        { "source offset 0.5 rounds to 0", 0, 2, 0.5, { 1, 2, o, o, o, o } },
        { "source offset 1.5 rounds to 2: the mask pixel first", 0, 2, 1.5, { o, 4, o, o, o, o } },
        { "destination 2.5 rounds to 2", 2.5, 1, 0, { o, o, 1, o, o, o } },
        { "wider than the source: the rest is left out", 3, 9, 1, { o, o, o, 2, o, 4 } },
        { "starting left of the destination", -2, 4, 0, { o, 4, o, o, o, o } },
        { "starting left of the source", 0, 3, -1, { o, 1, 2, o, o, o } },
        { "a negative width copies nothing", 2, -3, 0, { o, o, o, o, o, o } },
        { "far away copies nothing", 1e300, 4, 0, { o, o, o, o, o, o } },
        { "not a number copies nothing", std::nan(""), 4, 0, { o, o, o, o, o, o } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage dest = filled(6, 1, o);
        TransparentBlit(dest, c.x, 0, c.width, 1, stripe(), c.sourceX, 0, kMask);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at(dest, x, 0), c.expected[x]) << "x " << x;
    }
}

TEST(MaskRegion, HoldsTheNonMaskPixels)
{
    QImage image = filled(4, 2, kMask);
    image.setPixel(1, 0, 0);
    image.setPixel(2, 0, 0);
    image.setPixel(3, 1, 0);
    const QRegion region = maskRegion(image, kMask);
    EXPECT_EQ(region, QRegion(1, 0, 2, 1) + QRegion(3, 1, 1, 1));

    // All see-through: not an empty region (which would clear a mask) but nothing inside.
    const QRegion none = maskRegion(filled(4, 2, kMask), kMask);
    EXPECT_FALSE(none.isEmpty());
    EXPECT_FALSE(none.intersects(QRect(0, 0, 4, 2)));
}
