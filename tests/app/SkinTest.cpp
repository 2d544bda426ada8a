#include "app/Skin.h"

#include <algorithm>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

const SkinPicture* findPicture(std::string_view name)
{
    const auto it =
        std::find_if(kSkinPictures.begin(), kSkinPictures.end(), [name](const SkinPicture& p) {
            return p.name == name;
        });
    return it == kSkinPictures.end() ? nullptr : &*it;
}

const SkinPlace* findPlace(std::string_view control)
{
    const auto it =
        std::find_if(kSkinPlaces.begin(), kSkinPlaces.end(), [control](const SkinPlace& p) {
            return p.control == control;
        });
    return it == kSkinPlaces.end() ? nullptr : &*it;
}

std::string str(std::string_view s)
{
    return std::string(s);
}

bool isMask(QRgb pixel)
{
    return qAlpha(pixel) == 255 && (pixel & 0xFFFFFFu) == kSkinMaskRgb;
}

// Rec. 601 luma of an opaque or premultiplied pixel, 0..255.
double luma(QRgb pixel)
{
    return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
}

QRgb centre(const QImage& image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(Skin, everyPictureIsAValidSvgOfExactlyItsSize)
{
    for (const auto& picture : kSkinPictures) {
        SCOPED_TRACE(str(picture.name));
        QSvgRenderer renderer(skinPicturePath(picture.name));
        ASSERT_TRUE(renderer.isValid());
        EXPECT_EQ(renderer.defaultSize(), QSize(picture.width, picture.height));
        // A view box of another size would scale the drawing away from the pixel grid.
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, picture.width, picture.height));
        const QImage image = renderSkinPicture(picture.name);
        EXPECT_EQ(image.size(), QSize(picture.width, picture.height));
    }
    EXPECT_TRUE(renderSkinPicture("NoSuchPicture").isNull());
}

TEST(Skin, everyControlShowsPicturesOfItsOwnSize)
{
    for (const auto& place : kSkinPlaces) {
        for (const auto name : place.pictures) {
            if (name.empty() || place.control == "SliderPic1")
                continue;
            SCOPED_TRACE(str(place.control) + " shows " + str(name));
            const SkinPicture* picture = findPicture(name);
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(QSize(picture->width, picture->height), place.rect.size());
        }
    }
    // The slider sizes itself from its pictures: track plus pointer wide, the higher of the two
    // high; the left part covers the track.
    const SkinPlace* slider = findPlace("SliderPic1");
    ASSERT_NE(slider, nullptr);
    const SkinPicture* track = findPicture(slider->pictures[0]);
    const SkinPicture* left = findPicture(slider->pictures[1]);
    const SkinPicture* pointer = findPicture(slider->pictures[2]);
    ASSERT_TRUE(track && left && pointer);
    EXPECT_EQ(slider->rect.size(),
        QSize(track->width + pointer->width, std::max(track->height, pointer->height)));
    EXPECT_EQ(QSize(left->width, left->height), QSize(track->width, track->height));
}

TEST(Skin, controlsLieOnTheBackgroundWithoutCoveringEachOther)
{
    const QRect background = findPlace("Picture1")->rect;
    EXPECT_EQ(background.size(), QSize(236, 423));
    // The drag area lies exactly over the tempo dial; nothing else may cover anything.
    const auto isDialAndDragArea = [](std::string_view a, std::string_view b) {
        return (a == "Image17" && b == "AnalogClock1") || (a == "AnalogClock1" && b == "Image17");
    };
    for (std::size_t i = 1; i < kSkinPlaces.size(); ++i) {
        const SkinPlace& a = kSkinPlaces[i];
        SCOPED_TRACE(str(a.control));
        EXPECT_FALSE(a.rect.isEmpty());
        // The about hot spot reaches past the bottom edge; its visible part is in the corner.
        const QRect inside = a.control == "Image23" ? a.rect.intersected(background) : a.rect;
        EXPECT_TRUE(background.contains(inside)) << inside.x() << "," << inside.y();
        for (std::size_t j = i + 1; j < kSkinPlaces.size(); ++j) {
            const SkinPlace& b = kSkinPlaces[j];
            if (isDialAndDragArea(a.control, b.control)) {
                EXPECT_EQ(a.rect, b.rect);
                continue;
            }
            EXPECT_FALSE(a.rect.intersects(b.rect)) << "covers " << b.control;
        }
    }
}

TEST(Skin, backgroundFramesTheDialAndTheSocketsWhereTheTableSaysTheyAre)
{
    // A background drawn for an older table would frame a dial that is no longer there.
    const QImage background = renderSkinPicture("Picture1");
    ASSERT_FALSE(background.isNull());
    const QRect dial = findPlace("AnalogClock1")->rect;
    const QPoint mid = dial.center();

    struct Edge
    {
        const char* side;
        QPoint rim; // the dark line hugging the dial
        QPoint bezel; // the metal frame beyond it
    };

    for (const Edge& edge : {
             Edge { "left", QPoint(dial.left() - 1, mid.y()), QPoint(dial.left() - 2, mid.y()) },
             Edge { "right", QPoint(dial.right() + 1, mid.y()), QPoint(dial.right() + 2, mid.y()) },
             Edge { "top", QPoint(mid.x(), dial.top() - 1), QPoint(mid.x(), dial.top() - 2) },
             Edge {
                 "bottom", QPoint(mid.x(), dial.bottom() + 1), QPoint(mid.x(), dial.bottom() + 2) },
         }) {
        SCOPED_TRACE(edge.side);
        const double rim = luma(background.pixel(edge.rim));
        EXPECT_LT(rim, 20);
        EXPECT_GT(luma(background.pixel(edge.bezel)), rim + 20);
    }
    // The play/stop button is hidden until a tempo is set: its place shows an empty dark socket
    // inside a lighter ring.
    const QRect stop = findPlace("imstop")->rect;
    EXPECT_LT(luma(background.pixel(stop.center())), 30);
    EXPECT_GT(luma(background.pixel(stop.center().x(), stop.top() + 1)),
        luma(background.pixel(stop.center())) + 30);
}

TEST(Skin, sliderPicturesSeeThroughByMaskColourOnly)
{
    // The slider composes its pictures on a mask-coloured surface and leaves out every pixel of
    // exactly that colour; alpha plays no part, so every pixel must be opaque.
    for (const auto name : { "ImageSlider", "ImageLeft", "ImagePointer" }) {
        SCOPED_TRACE(name);
        const QImage image = renderSkinPicture(name);
        ASSERT_FALSE(image.isNull());
        int masked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                EXPECT_EQ(qAlpha(image.pixel(x, y)), 255) << x << "," << y;
                masked += isMask(image.pixel(x, y));
            }
        }
        // A mask pixel in the track or the left part would be a hole in the volume bar.
        if (std::string_view(name) != "ImagePointer") {
            EXPECT_EQ(masked, 0);
        }
    }
    // The pointer's corners are rounded off by see-through pixels; its body is solid.
    const QImage pointer = renderSkinPicture("ImagePointer");
    const int r = pointer.width() - 1, b = pointer.height() - 1;
    for (const QPoint corner : { QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b) })
        EXPECT_TRUE(isMask(pointer.pixel(corner))) << corner.x() << "," << corner.y();
    for (int y = 0; y <= b; ++y) {
        for (int x = 1; x < r; ++x)
            EXPECT_FALSE(isMask(pointer.pixel(x, y))) << x << "," << y;
    }
}

TEST(Skin, lampsReadAtAGlance)
{
    const QImage background = renderSkinPicture("Picture1");
    const QImage accentOn = renderSkinPicture("Image1");
    const QImage accentRest = renderSkinPicture("Image2");
    const QImage beatOn = renderSkinPicture("Image3");
    ASSERT_FALSE(
        background.isNull() || accentOn.isNull() || accentRest.isNull() || beatOn.isNull());

    // A hidden lamp shows the background's dark lens: lit must stand far above it.
    struct Lamp
    {
        const char* control;
        const QImage& lit;
    };

    for (const Lamp& lamp :
        { Lamp { "Image5", accentOn }, Lamp { "imz", beatOn }, Lamp { "Image4", beatOn } }) {
        SCOPED_TRACE(lamp.control);
        const QPoint c = findPlace(lamp.control)->rect.center();
        const double off = luma(background.pixel(c));
        EXPECT_LT(off, 60);
        EXPECT_GT(luma(centre(lamp.lit)), off + 120);
    }
    // The accent is red and the beat green, far apart in hue; the accent at rest is dimmer red.
    const QColor accent = QColor::fromRgb(centre(accentOn));
    const QColor beat = QColor::fromRgb(centre(beatOn));
    const QColor rest = QColor::fromRgb(centre(accentRest));
    const int hueGap = std::abs(accent.hsvHue() - beat.hsvHue());
    EXPECT_GT(std::min(hueGap, 360 - hueGap), 90);
    EXPECT_TRUE(rest.hsvHue() < 30 || rest.hsvHue() > 330) << rest.hsvHue();
    EXPECT_LT(luma(centre(accentRest)), luma(centre(accentOn)) - 60);
    // The accent lamp is the larger one.
    EXPECT_GT(accentOn.width(), beatOn.width());
}

TEST(Skin, subdivisionKeysTellTheirStatesAndValuesApart)
{
    const char* const names[3][3] = { { "cg", "cd", "cb" }, { "og", "od", "ob" },
        { "sg", "sd", "sb" } };
    std::vector<std::pair<std::string, QImage>> images;
    for (const auto& value : names) {
        const QImage normal = renderSkinPicture(value[0]);
        const QImage selected = renderSkinPicture(value[2]);
        SCOPED_TRACE(value[2]);
        // The selected key is lit: its face far brighter than the normal one, seen at a glance.
        const QPoint face(3, 3);
        EXPECT_GT(luma(selected.pixel(face)), luma(normal.pixel(face)) + 80);
        for (const char* name : value)
            images.emplace_back(name, renderSkinPicture(name));
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
        for (std::size_t j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i].second, images[j].second)
                << images[i].first << " and " << images[j].first;
    }
}

TEST(Skin, backgroundIsSolidAndOverlaysAreCutToTheirShapes)
{
    const QImage background = renderSkinPicture("Picture1");
    ASSERT_FALSE(background.isNull());
    int holes = 0;
    for (int y = 0; y < background.height(); ++y) {
        for (int x = 0; x < background.width(); ++x)
            holes += qAlpha(background.pixel(x, y)) != 255;
    }
    EXPECT_EQ(holes, 0);
    // Round lamps, the play/stop button and the window glyphs let what lies beneath show at their
    // corners.
    for (const auto name :
        { "Image1", "Image2", "Image3", "playg", "stopg", "minimize", "close" }) {
        SCOPED_TRACE(name);
        const QImage image = renderSkinPicture(name);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
    }
}
