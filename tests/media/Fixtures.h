#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

// Fixture videos made by tests/fixtures/make-fixtures.sh (see tests/fixtures/README.md).
namespace tavimo::media::test {

inline QString fixture(const QString& name) {
    QString dir = qEnvironmentVariable("TAVIMO_FIXTURE_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(TAVIMO_FIXTURE_DIR);
    return dir + QLatin1Char('/') + name;
}

// The pattern's colours; lossy codecs stay within `tolerance` of them in a quadrant's middle.
inline const QColor red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0},
    white{255, 255, 255}, yellow{255, 255, 0};

inline bool near(QRgb got, const QColor& want, int tolerance = 48) {
    return std::abs(qRed(got) - want.red()) <= tolerance &&
           std::abs(qGreen(got) - want.green()) <= tolerance &&
           std::abs(qBlue(got) - want.blue()) <= tolerance;
}

// The colour in the middle of a quadrant (column 0 or 1, row 0 or 1) as text for messages.
inline QRgb quadrant(const QImage& image, int column, int row) {
    return image.pixel(image.width() * (1 + 2 * column) / 4, image.height() * (1 + 2 * row) / 4);
}

inline std::string rgbText(QRgb c) {
    return QStringLiteral("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).toStdString();
}

// Checks the four quadrants: top left, top right, bottom left, bottom right.
inline ::testing::AssertionResult showsQuadrants(const QImage& image, const QColor& tl,
                                                 const QColor& tr, const QColor& bl,
                                                 const QColor& br, int tolerance = 48) {
    if (image.isNull())
        return ::testing::AssertionFailure() << "no picture";
    const QColor want[2][2] = {{tl, tr}, {bl, br}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
            const QRgb got = quadrant(image, column, row);
            if (!near(got, want[row][column], tolerance))
                return ::testing::AssertionFailure()
                       << "quadrant row " << row << " column " << column << " is " << rgbText(got)
                       << ", expected " << rgbText(want[row][column].rgb());
        }
    return ::testing::AssertionSuccess();
}

} // namespace tavimo::media::test
