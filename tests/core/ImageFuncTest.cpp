#include "core/ImageFunc.h"

#include "core/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace tavimo;
using namespace tavimo::imagefunc;

TEST(ImageFunc, ThumbnailRectKeepsTheAspectInIntegerSteps) {
    EXPECT_EQ(thumbnailRect(640, 480), QRect(0, 0, 120, 90));
    EXPECT_EQ(thumbnailRect(800, 600), QRect(0, 0, 120, 90));
    EXPECT_EQ(thumbnailRect(1280, 720), QRect(0, 11, 120, 67)); // (0, 11)-(120, 78)
    EXPECT_EQ(thumbnailRect(480, 640), QRect(26, 0, 67, 90));   // (26, 0)-(93, 90)
    EXPECT_EQ(thumbnailRect(0, 0), QRect(0, 0, 120, 90));
    EXPECT_EQ(thumbnailRect(1920, 0), QRect(0, 0, 120, 90));
    // Sides large enough to overflow 32-bit products.
    EXPECT_EQ(thumbnailRect(40000000, 30000000), QRect(0, 0, 120, 90));
}

TEST(ImageFunc, FitRectCentresAndNeverDividesByZero) {
    EXPECT_EQ(fitRect(QRect(0, 0, 640, 480), 1280, 720), QRect(0, 60, 640, 360));
    EXPECT_EQ(fitRect(QRect(10, 20, 640, 360), 640, 480), QRect(10 + 80, 20, 480, 360));
    EXPECT_EQ(fitRect(QRect(0, 0, 640, 480), 0, 480), QRect(0, 0, 120, 90));
    // No area to fit into, or a picture so wide that its fixed-point ratio is 0.
    EXPECT_EQ(fitRect(QRect(5, 5, 0, 100), 640, 480), QRect(5, 5, 0, 100));
    EXPECT_EQ(fitRect(QRect(5, 5, 100, 0), 640, 480), QRect(5, 5, 100, 0));
    const QRect wide = fitRect(QRect(0, 0, 640, 480), 100000, 1);
    EXPECT_EQ(wide.width(), 640);
}

TEST(ImageFunc, PicturesAre24BitWithTheButtonFaceCorner) {
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    const QImage placeholder = placeholderPicture();
    EXPECT_EQ(placeholder.size(), QSize(120, 90));
    EXPECT_EQ(placeholder.format(), QImage::Format_RGB888);
    EXPECT_EQ(placeholder.pixelColor(0, 89), face);
    EXPECT_EQ(placeholder.pixelColor(1, 89), QColor(Qt::black));
    EXPECT_EQ(placeholder.pixelColor(119, 0), QColor(Qt::black));

    QImage wide(1280, 720, QImage::Format_RGB32);
    wide.fill(Qt::white);
    QImage thumb;
    ASSERT_TRUE(fitThumbnail(wide, thumb));
    EXPECT_EQ(thumb.size(), QSize(120, 90));
    EXPECT_EQ(thumb.pixelColor(60, 5), QColor(Qt::black));  // band above
    EXPECT_EQ(thumb.pixelColor(60, 45), QColor(Qt::white)); // picture
    EXPECT_EQ(thumb.pixelColor(60, 85), QColor(Qt::black)); // band below
    EXPECT_EQ(thumb.pixelColor(0, 89), face);

    QImage untouched = placeholder;
    EXPECT_FALSE(fitThumbnail(QImage(), untouched));
    EXPECT_EQ(untouched, placeholder);

    const QImage solid = solidBitmap(3, 2, QColor(1, 2, 3));
    EXPECT_EQ(solid.size(), QSize(3, 2));
    EXPECT_EQ(solid.pixelColor(2, 1), QColor(1, 2, 3));
}

TEST(ImageFunc, StoredColoursMapPlainAndSystemValues) {
    EXPECT_EQ(colors::fromStored(0x00FF8040), QColor(0x40, 0x80, 0xFF));
    EXPECT_EQ(colors::toStored(QColor(0x40, 0x80, 0xFF)), 0x00FF8040);
    EXPECT_EQ(colors::fromStored(colors::kButtonFace),
              QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(colors::kButtonFace, -2147483633);
    EXPECT_TRUE(colors::isSystemColor(colors::kButtonFace));
    EXPECT_FALSE(colors::isSystemColor(0x00FFFFFF));
}

TEST(ImageFunc, ClampRoundsHalvesToEvenAndSincIsSinglePrecision) {
    EXPECT_EQ(clampToByte(254.5), 254);
    EXPECT_EQ(clampToByte(253.5), 254);
    EXPECT_EQ(clampToByte(0.5), 0);
    EXPECT_EQ(clampToByte(-3), 0);
    EXPECT_EQ(clampToByte(300), 255);
    EXPECT_EQ(clampToByte(255.4), 255);
    EXPECT_EQ(clampToByte(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(clampToByte(std::numeric_limits<double>::infinity()), 255);

    EXPECT_EQ(sinc(0.0f), 1.0f);
    EXPECT_NEAR(sinc(1.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(sinc(0.5f), 2.0f / 3.14159265f, 1e-6f);
    EXPECT_EQ(sinc(-0.5f), sinc(0.5f));
}

TEST(ImageFunc, DigitTexts) {
    EXPECT_EQ(threeDigits(7), QStringLiteral("007"));
    EXPECT_EQ(threeDigits(0), QStringLiteral("000"));
    EXPECT_EQ(threeDigits(42), QStringLiteral("042"));
    EXPECT_EQ(threeDigits(123), QStringLiteral("123"));
    EXPECT_EQ(threeDigits(1000), QStringLiteral("1000"));
    EXPECT_EQ(twoDigits(5), QStringLiteral("05"));
    EXPECT_EQ(twoDigits(10), QStringLiteral("10"));
}
