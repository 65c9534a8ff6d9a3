#include "core/CellPicture.h"

#include "core/Tpackedjpg.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QImage picture(QColor fill, QColor bottomLeft) {
    QImage image(120, 90, QImage::Format_RGB888);
    image.fill(fill);
    image.setPixelColor(0, 89, bottomLeft);
    return image;
}

QByteArray jpegOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

} // namespace

TEST(CellPicture, PixelsOfTheBottomLeftColourBecomeTransparent) {
    QImage image = picture(Qt::blue, Qt::lightGray);
    image.setPixelColor(60, 45, Qt::lightGray);
    const QImage glyph = transparentGlyph(image);
    ASSERT_EQ(glyph.size(), QSize(120, 90));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 89)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(60, 45)), 0);
    EXPECT_EQ(glyph.pixel(10, 10), QColor(Qt::blue).rgb());
    EXPECT_TRUE(transparentGlyph(QImage()).isNull());
}

TEST(CellPicture, JpegIsDecodedOnDemandAndBadBytesGiveNoPicture) {
    const CellPicture good = CellPicture::fromJpeg(jpegOf(picture(Qt::red, Qt::black)));
    EXPECT_EQ(good.image().size(), QSize(120, 90));
    const CellPicture bad = CellPicture::fromJpeg(QByteArray("\xff\xd8 not really", 14));
    EXPECT_FALSE(bad.isNull());
    EXPECT_TRUE(bad.image().isNull());
    EXPECT_TRUE(CellPicture::fromJpeg({}).isNull());
    EXPECT_TRUE(CellPicture::fromImage({}).isNull());
}

TEST(CellPicture, CacheSharesGlyphsBetweenCopiesAndStaysBounded) {
    GlyphCache cache(3 * 120 * 90 * 4);
    const CellPicture first = CellPicture::fromImage(picture(Qt::green, Qt::black));
    const CellPicture copy = first;
    EXPECT_EQ(copy.key(), first.key());
    const QImage glyph = cache.glyph(first);
    EXPECT_EQ(cache.glyph(copy).constBits(), glyph.constBits());

    for (int i = 0; i < 10; ++i)
        cache.glyph(CellPicture::fromImage(picture(QColor(i, i, i), Qt::white)));
    EXPECT_LE(cache.size(), 3);
    // A picture dropped from the cache is decoded again when needed.
    EXPECT_EQ(cache.glyph(first).size(), QSize(120, 90));
    EXPECT_TRUE(cache.glyph(CellPicture()).isNull());
}

TEST(CellPicture, StoreEntriesBecomeHandlesThatOutliveTheStoresChanges) {
    Tpackedjpg store;
    store.addBitmap(picture(Qt::red, Qt::black));
    store.addPicture({});
    const CellPicture first = CellPicture::fromStore(store, 0);
    EXPECT_TRUE(CellPicture::fromStore(store, 1).isNull());
    EXPECT_TRUE(CellPicture::fromStore(store, 2).isNull());
    store.clear();
    const QImage image = first.image();
    ASSERT_EQ(image.size(), QSize(120, 90));
    EXPECT_GT(qRed(image.pixel(60, 45)), 200);
}
