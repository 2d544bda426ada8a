#include "app/Skin.h"

#include "app/Metronome.h"

#include <algorithm>
#include <set>
#include <string>

#include <QImage>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

const SkinPicture& picture(std::string_view name)
{
    return *std::find_if(kSkinPictures.begin(), kSkinPictures.end(), [name](const auto& p) {
        return p.name == name;
    });
}

QRect placeOf(std::string_view control)
{
    return std::find_if(kSkinPlaces.begin(), kSkinPlaces.end(), [control](const auto& p) {
        return p.control == control;
    })->rect;
}

QSize sizeOf(std::string_view name)
{
    return QSize(picture(name).width, picture(name).height);
}

bool isMask(QRgb pixel)
{
    return qAlpha(pixel) == 255 && (pixel & 0xFFFFFFu) == kSkinMaskRgb;
}

// Rec. 601 luma of an opaque pixel, 0..255.
double luma(QRgb pixel)
{
    return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
}

} // namespace

TEST(Skin, everyPictureIsAValidSvgOfExactlyItsSizeAndOfItsOwnAndEveryShownPictureIsOne)
{
    std::vector<QImage> rendered;
    for (const auto& p : kSkinPictures) {
        SCOPED_TRACE(std::string(p.name));
        QSvgRenderer renderer(skinPicturePath(p.name));
        ASSERT_TRUE(renderer.isValid());
        EXPECT_EQ(renderer.defaultSize(), sizeOf(p.name));
        // A view box of another size would scale the drawing away from the pixel grid.
        EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), sizeOf(p.name)));
        const QImage image = renderSkinPicture(p.name);
        EXPECT_EQ(image.size(), sizeOf(p.name));
        // A picture drawn twice (normal and hover of a key ...) would hide a state.
        for (const QImage& earlier : rendered)
            EXPECT_NE(image, earlier);
        rendered.push_back(image);
    }
    EXPECT_TRUE(renderSkinPicture("NoSuchPicture").isNull());
    // The window shows pictures by ShownPicture: each value names its own picture of the skin.
    std::set<std::string_view> seen;
    for (int p = static_cast<int>(ShownPicture::playg);
         p <= static_cast<int>(ShownPicture::Image25); ++p) {
        const std::string_view name = pictureName(static_cast<ShownPicture>(p));
        EXPECT_TRUE(seen.insert(name).second) << name;
        EXPECT_FALSE(renderSkinPicture(name).isNull()) << name;
    }
}

TEST(Skin, controlsShowPicturesOfTheirSizeOnTheBackgroundWithoutCoveringEachOther)
{
    const QRect background = placeOf("Picture1");
    EXPECT_EQ(background.size(), QSize(236, 423));
    for (std::size_t i = 1; i < kSkinPlaces.size(); ++i) {
        const SkinPlace& a = kSkinPlaces[i];
        SCOPED_TRACE(std::string(a.control));
        for (const auto name : a.pictures) {
            if (!name.empty() && a.control != "SliderPic1") {
                EXPECT_EQ(sizeOf(name), a.rect.size()) << name;
            }
        }
        // The about hot spot reaches past the bottom edge; its visible part is in the corner.
        const QRect inside = a.control == "Image23" ? a.rect.intersected(background) : a.rect;
        EXPECT_TRUE(background.contains(inside));
        // The drag area lies exactly over the tempo dial; nothing else may cover anything.
        for (std::size_t j = i + 1; j < kSkinPlaces.size(); ++j) {
            const SkinPlace& b = kSkinPlaces[j];
            if (a.control == "AnalogClock1" && b.control == "Image17") {
                EXPECT_EQ(a.rect, b.rect);
            } else {
                EXPECT_FALSE(a.rect.intersects(b.rect)) << "covers " << b.control;
            }
        }
    }
    // The slider sizes itself from its pictures: track plus pointer wide, the higher of the two
    // high; the left part covers the track.
    const QSize track = sizeOf("ImageSlider"), pointer = sizeOf("ImagePointer");
    EXPECT_EQ(placeOf("SliderPic1").size(),
        QSize(track.width() + pointer.width(), std::max(track.height(), pointer.height())));
    EXPECT_EQ(sizeOf("ImageLeft"), track);
}

TEST(Skin, backgroundIsSolidAndFramesTheDialTheEmptyPlayStopSocketAndTheDarkLenses)
{
    // A background drawn for an older table would frame a dial that is no longer there.
    const QImage background = renderSkinPicture("Picture1");
    ASSERT_FALSE(background.isNull());
    for (int y = 0; y < background.height(); ++y) {
        for (int x = 0; x < background.width(); ++x)
            ASSERT_EQ(qAlpha(background.pixel(x, y)), 255) << x << "," << y;
    }
    const auto lumaAt = [&](QPoint at) {
        return luma(background.pixel(at));
    };
    const QRect dial = placeOf("AnalogClock1");
    const QPoint mid = dial.center();
    // Per side: the dark rim hugging the dial, and the step outwards to the metal bezel.
    const std::pair<QPoint, QPoint> edges[] = { { QPoint(dial.left() - 1, mid.y()), { -1, 0 } },
        { QPoint(dial.right() + 1, mid.y()), { 1, 0 } },
        { QPoint(mid.x(), dial.top() - 1), { 0, -1 } },
        { QPoint(mid.x(), dial.bottom() + 1), { 0, 1 } } };
    for (const auto& [rim, outwards] : edges) {
        EXPECT_LT(lumaAt(rim), 20) << rim.x() << "," << rim.y();
        EXPECT_GT(lumaAt(rim + outwards), lumaAt(rim) + 20) << rim.x() << "," << rim.y();
    }
    // The play/stop button is hidden until a tempo is set: its place shows an empty dark socket
    // inside a lighter ring; a hidden lamp shows a dark lens, far below the lit lamp.
    const QRect stop = placeOf("imstop");
    EXPECT_LT(lumaAt(stop.center()), 30);
    EXPECT_GT(lumaAt(QPoint(stop.center().x(), stop.top() + 1)), lumaAt(stop.center()) + 30);
    for (const auto& [control, lit] :
        { std::pair { "Image5", "Image1" }, { "imz", "Image3" }, { "Image4", "Image3" } }) {
        const QImage lamp = renderSkinPicture(lit);
        EXPECT_GT(luma(lamp.pixel(lamp.width() / 2, lamp.height() / 2)),
            lumaAt(placeOf(control).center()) + 120)
            << control;
    }
}

TEST(Skin, theSliderSeesThroughByMaskColourOnlyAtThePointersCorners)
{
    // The slider composes its pictures on a mask-coloured surface and leaves out every pixel of
    // exactly that colour; alpha plays no part. A mask pixel in the track or the left part would
    // be a hole in the volume bar; the pointer's corners alone are rounded off so.
    for (const auto name : { "ImageSlider", "ImageLeft", "ImagePointer" }) {
        SCOPED_TRACE(name);
        const QImage image = renderSkinPicture(name);
        const int r = image.width() - 1, b = image.height() - 1;
        for (int y = 0; y <= b; ++y) {
            for (int x = 0; x <= r; ++x) {
                const bool corner = (x == 0 || x == r) && (y == 0 || y == b);
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << x << "," << y;
                ASSERT_EQ(
                    isMask(image.pixel(x, y)), corner && std::string_view(name) == "ImagePointer")
                    << x << "," << y;
            }
        }
    }
}
