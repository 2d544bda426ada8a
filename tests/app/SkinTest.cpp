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

QSize sizeOf(std::string_view name)
{
    return QSize(picture(name).width, picture(name).height);
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
