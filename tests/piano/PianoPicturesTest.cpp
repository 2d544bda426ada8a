#include "piano/PianoPictures.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// A picture the generator writes but the resource list leaves out draws nothing at run time:
// every drawn file must load, and a glyph must be a shape on a clear ground, since only its
// alpha is painted in the button's text colour.
TEST(PianoPicturesTest, EveryDrawnPictureLoadsAndGlyphsAreShapesOnClear)
{
    const QDir folder(QStringLiteral(KADENTOR_SOURCE_DIR "/resources/piano"));
    const QStringList files = folder.entryList({ QStringLiteral("*.svg") }, QDir::Files);
    ASSERT_GE(files.size(), 20);
    int glyphs = 0;
    for (const QString& file : files) {
        const QString name = file.chopped(4);
        const QImage picture = pianoPicture(name);
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        if (!name.startsWith(QStringLiteral("glyph_")))
            continue;
        ++glyphs;
        const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(argb.pixel(0, 0)), 0) << name.toStdString();
        EXPECT_EQ(qAlpha(argb.pixel(argb.width() - 1, argb.height() - 1)), 0) << name.toStdString();
        int solid = 0;
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x)
                solid += qAlpha(argb.pixel(x, y)) > 200 ? 1 : 0;
        EXPECT_GT(solid * 10, argb.width() * argb.height()) << name.toStdString();
        EXPECT_LT(solid * 10, argb.width() * argb.height() * 9) << name.toStdString();
    }
    EXPECT_GE(glyphs, 3);
    EXPECT_TRUE(pianoPicture(QStringLiteral("no_such_picture")).isNull());
}

} // namespace
