#include "core/CaptureFiles.h"

#include "core/CapturePicture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tavimo;
using namespace tavimo::capture;

TEST(CaptureFiles, NamesCarryTheTimeAndACounterOfEveryNameMade) {
    const QDateTime december(QDate(2024, 12, 6), QTime(10, 5, 59));
    EXPECT_EQ(captureName(december, 7), QStringLiteral("1206_1005_007.bmp"));
    const QDateTime july(QDate(2024, 7, 1), QTime(23, 0));
    EXPECT_EQ(captureName(july, 1234), QStringLiteral("0701_2300_1234.bmp"));

    CaptureNames names;
    QStringList made;
    for (int i = 0; i < 101; ++i)
        made << names.next(july);
    EXPECT_EQ(made[0], QStringLiteral("0701_2300_000.bmp"));
    EXPECT_EQ(made[10], QStringLiteral("0701_2300_010.bmp"));
    EXPECT_EQ(made[100], QStringLiteral("0701_2300_100.bmp"));
    EXPECT_EQ(names.counter(), 101);
}

// A 24-bit bitmap, bottom row first, rows padded to four bytes, that other readers take back.
TEST(CaptureFiles, BitmapsAre24BitsBottomUpWithPaddedRows) {
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(2, 0, qRgb(0, 0, 255));
    picture.setPixel(0, 1, qRgb(1, 2, 3));
    picture.setPixel(1, 1, qRgb(4, 5, 6));
    picture.setPixel(2, 1, qRgb(7, 8, 9));
    const QByteArray bytes = encodeBmp24(picture);
    ASSERT_EQ(bytes.size(), 54 + 2 * 12); // 9 bytes a row, padded to 12
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 2), quint32(bytes.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 10), 54u);
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 18), 3);
    EXPECT_EQ(qFromLittleEndian<qint32>(p + 22), 2);
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 28), 24);
    // The bottom row first, blue, green, red.
    EXPECT_EQ(QByteArray(bytes.constData() + 54, 3), QByteArray("\x03\x02\x01", 3));
    EXPECT_EQ(QByteArray(bytes.constData() + 66, 3), QByteArray("\x00\x00\xff", 3));

    const QImage back = QImage::fromData(bytes, "BMP");
    ASSERT_EQ(back.size(), picture.size());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
    EXPECT_TRUE(encodeBmp24(QImage()).isEmpty());
}

TEST(CaptureFiles, AFailedWriteNamesTheFileAndLeavesNothing) {
    QTemporaryDir dir;
    QImage picture(4, 4, QImage::Format_RGB888);
    picture.fill(Qt::blue);
    const QString missing = dir.path() + QStringLiteral("/gone/0101_0000_000.bmp");
    const WriteResult failed = saveBmp24(missing, picture);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(failed.message().contains(missing));
    EXPECT_FALSE(QFile::exists(missing));

    const QString path = dir.path() + QStringLiteral("/0101_0000_001.bmp");
    EXPECT_TRUE(saveBmp24(path, picture));
    EXPECT_EQ(QImage(path).pixel(3, 3), qRgb(0, 0, 255));
}

TEST(CaptureFiles, FoldersAndExtensions) {
    EXPECT_EQ(captureFolderOr(QString(), QStringLiteral("/lib")), QStringLiteral("/lib"));
    EXPECT_EQ(captureFolderOr(QStringLiteral("/pics"), QStringLiteral("/lib")),
              QStringLiteral("/pics"));
}

// The name typed in the save dialog says the format; without an extension the filter chosen
// says it and gives its extension.
TEST(CaptureFiles, TheNameOrTheFilterChoosesTheFormat) {
    const QStringList filters = saveDialogFilter().split(QStringLiteral(";;"));
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral("ビットマップ (*.bmp)")) << "the bitmap is the default";
    const auto target = [](const char* typed, const QString& filter) {
        const SaveTarget t = saveTarget(QString::fromUtf8(typed), filter);
        return std::make_pair(t.path, t.format);
    };
    using F = PictureFormat;
    for (const QString& filter : filters) {
        EXPECT_EQ(target("/p/a.PNG", filter), std::make_pair(QStringLiteral("/p/a.PNG"), F::Png));
        EXPECT_EQ(target("/p/a.jpeg", filter),
                  std::make_pair(QStringLiteral("/p/a.jpeg"), F::Jpeg));
        EXPECT_EQ(target("/p/a.Jpg", filter), std::make_pair(QStringLiteral("/p/a.Jpg"), F::Jpeg));
        EXPECT_EQ(target("/p/a.bmp", filter), std::make_pair(QStringLiteral("/p/a.bmp"), F::Bmp));
        EXPECT_EQ(target("/p/a.gif", filter), std::make_pair(QStringLiteral("/p/a.gif"), F::Bmp));
    }
    EXPECT_EQ(target("/p/a", filters[0]), std::make_pair(QStringLiteral("/p/a.bmp"), F::Bmp));
    EXPECT_EQ(target("/p/a", filters[1]), std::make_pair(QStringLiteral("/p/a.png"), F::Png));
    EXPECT_EQ(target("/p/a", filters[2]), std::make_pair(QStringLiteral("/p/a.jpg"), F::Jpeg));
    EXPECT_EQ(target("/p/a", QString()), std::make_pair(QStringLiteral("/p/a.bmp"), F::Bmp));
    EXPECT_EQ(target("/p.d/a", QString()), std::make_pair(QStringLiteral("/p.d/a.bmp"), F::Bmp));
}

TEST(CaptureFiles, PngAndJpegKeepThePicture) {
    QTemporaryDir dir;
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int x = 8; x < 16; ++x)
        for (int y = 0; y < 8; ++y)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    const QString png = dir.path() + QStringLiteral("/a.png");
    const QString jpeg = dir.path() + QStringLiteral("/a.jpg");
    ASSERT_TRUE(savePicture(png, picture, PictureFormat::Png));
    ASSERT_TRUE(savePicture(jpeg, picture, PictureFormat::Jpeg));
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), picture);
    const QImage back(jpeg);
    ASSERT_EQ(back.size(), picture.size());
    EXPECT_GT(qRed(back.pixel(2, 4)), 200);
    EXPECT_GT(qBlue(back.pixel(13, 4)), 200);
    EXPECT_FALSE(
        savePicture(dir.path() + QStringLiteral("/gone/a.png"), picture, PictureFormat::Png));
}

// A cropped video is captured as the player shows it: the rows left by the crop, at their own
// size, never stretched back to the whole height.
TEST(CapturePicture, TheCropThePlayerShowsIsKept) {
    QImage frame(8, 8, QImage::Format_RGB32);
    frame.fill(Qt::black);
    for (int x = 0; x < 8; ++x)
        for (int y = 2; y < 6; ++y)
            frame.setPixel(x, y, qRgb(200, 100, 50));
    const QRect crop(0, 2, 8, 4);
    EXPECT_EQ(ownPictureSize({8, 8}, crop), QSize(8, 4));
    EXPECT_EQ(ownPictureSize({8, 8}, QRect()), QSize(8, 8));
    EXPECT_EQ(ownPictureSize({8, 8}, QRect(0, 6, 8, 4)), QSize(8, 8)); // not inside: ignored

    const QImage own = fromDecodedFrame(frame, crop, {16, 8}, true);
    ASSERT_EQ(own.size(), QSize(8, 4));
    EXPECT_EQ(own.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(own.pixel(7, 3), qRgb(200, 100, 50));
    const QImage shown = fromDecodedFrame(frame, crop, {16, 8}, false);
    ASSERT_EQ(shown.size(), QSize(16, 8));
    EXPECT_EQ(shown.format(), QImage::Format_RGB888);
    EXPECT_EQ(shown.pixel(15, 7), qRgb(200, 100, 50));
    EXPECT_TRUE(fromDecodedFrame(frame, crop, {}, false).isNull());

    const QImage averaged = fromShownPicture(shown, own.size(), true);
    EXPECT_EQ(averaged.size(), QSize(8, 4));
    EXPECT_EQ(fromShownPicture(shown, own.size(), false).size(), QSize(16, 8));
    EXPECT_TRUE(fromShownPicture(QImage(), own.size(), true).isNull());
    EXPECT_TRUE(fromShownPicture(shown, QSize(), true).isNull());
}
