#include "core/Resampling.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

using namespace tavimo;
using resampling::areaAverage;
using resampling::lanczos3;

namespace {

QImage randomPicture(int w, int h, std::mt19937& random) {
    QImage image(w, h, QImage::Format_RGB888);
    std::uniform_int_distribution<int> level(0, 255);
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int i = 0; i < w * 3; ++i)
            line[i] = uchar(level(random));
    }
    return image;
}

int levelOf(double v) {
    if (!(v > 0))
        return 0;
    return v > 255 ? 255 : int(std::nearbyint(v));
}

// Area averaging written out pixel by pixel, straight from its definition, in double.
QImage referenceAreaAverage(const QImage& src, int w, int h) {
    const int sw = src.width(), sh = src.height();
    const double sx = double(sw) / w, sy = double(sh) / h;
    const double norm = double(float(1.0 / (sx * sy)));
    const auto weight = [](int i, double a, double b) {
        const int fa = int(std::floor(a)), fb = int(std::floor(b));
        if (fa == fb)
            return b - a;
        if (i == fa)
            return (i + 1) - a;
        if (i == fb)
            return b - i;
        return 1.0;
    };
    QImage out(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        const double y0 = y * sy, y1 = (y + 1) * sy - 0.000001;
        for (int x = 0; x < w; ++x) {
            const double x0 = x * sx, x1 = (x + 1) * sx - 0.000001;
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int j = int(std::floor(y0)); j <= int(std::floor(y1)) && j < sh; ++j)
                    for (int i = int(std::floor(x0)); i <= int(std::floor(x1)) && i < sw; ++i)
                        sum +=
                            weight(i, x0, x1) * weight(j, y0, y1) * src.constScanLine(j)[3 * i + c];
                out.scanLine(y)[3 * x + c] = uchar(levelOf(sum * norm));
            }
        }
    }
    return out;
}

// Lanczos-3 written out pixel by pixel: 36 products normalised by their sum, in double.
QImage referenceLanczos3(const QImage& src, int w, int h) {
    const int sw = src.width(), sh = src.height();
    const auto sinc = [](double t) {
        return t == 0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
    };
    const auto taps = [&](int t, int source, int target, int index[6], double weight[6]) {
        const double p = t * (double(source) / target);
        const int ix = int(p);
        const double f = p - ix;
        for (int k = 0; k < 6; ++k) {
            const int i = ix - 2 + k;
            index[k] = i < 0 || i >= source ? ix : i;
            const double d = std::abs(f - (k - 2));
            weight[k] = sinc(d) * sinc(d / 3);
        }
    };
    QImage out(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        int row[6];
        double wy[6];
        taps(y, sh, h, row, wy);
        for (int x = 0; x < w; ++x) {
            int column[6];
            double wx[6];
            taps(x, sw, w, column, wx);
            double total = 0;
            for (int j = 0; j < 6; ++j)
                for (int i = 0; i < 6; ++i)
                    total += wy[j] * wx[i];
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int j = 0; j < 6; ++j)
                    for (int i = 0; i < 6; ++i)
                        sum += wy[j] * wx[i] / total * src.constScanLine(row[j])[3 * column[i] + c];
                out.scanLine(y)[3 * x + c] = uchar(levelOf(sum));
            }
        }
    }
    return out;
}

// The largest difference of one channel between two pictures of one size.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i)
            largest = std::max(largest, std::abs(a.constScanLine(y)[i] - b.constScanLine(y)[i]));
    return largest;
}

QImage twoByTwo(QRgb topLeft, QRgb bottomRight) {
    QImage image(2, 2, QImage::Format_RGB888);
    image.fill(Qt::black);
    image.setPixel(0, 0, topLeft);
    image.setPixel(1, 1, bottomRight);
    return image;
}

} // namespace

// 2 x 2 to 1 x 1: the first row and column weigh 1, the second 0.999999, then x 0.25.
TEST(Resampling, AreaAveragingWeighsTheEndOfASpanJustBelowOne) {
    // Top left alone: 6 x 0.25 = 1.5 and 10 x 0.25 = 2.5 go to the even 2; 2 x 0.25 to 0.
    EXPECT_EQ(areaAverage(twoByTwo(qRgb(6, 2, 10), 0), {1, 1}).pixel(0, 0), qRgb(2, 0, 2));
    // Bottom right alone: 6 x 0.999999^2 x 0.25 is just below 1.5, so 1 (a plain mean says 2).
    EXPECT_EQ(areaAverage(twoByTwo(0, qRgb(6, 255, 0)), {1, 1}).pixel(0, 0), qRgb(1, 64, 0));
    // A flat picture stays flat whatever the ratio, 255 included.
    QImage white(1920, 1080, QImage::Format_RGB32);
    white.fill(Qt::white);
    const QImage small = areaAverage(white, {120, 90});
    EXPECT_EQ(small.format(), QImage::Format_RGB888);
    EXPECT_EQ(small.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(small.pixel(119, 89), qRgb(255, 255, 255));
}

TEST(Resampling, AreaAveragingRefusesSizesItCannotMake) {
    const QImage picture(4, 4, QImage::Format_RGB888);
    EXPECT_TRUE(areaAverage(picture, {0, 4}).isNull());
    EXPECT_TRUE(areaAverage(picture, {100000, 100000}).isNull());
    EXPECT_TRUE(areaAverage(QImage(), {4, 4}).isNull());
}

TEST(Resampling, LanczosLeavesAPictureOfTheTargetSizeAndRefusesOthersThan24Bits) {
    std::mt19937 random(7);
    QImage picture = randomPicture(33, 17, random);
    const QImage before = picture;
    EXPECT_TRUE(lanczos3(picture, {33, 17}));
    EXPECT_EQ(picture, before);

    QImage argb(8, 8, QImage::Format_ARGB32);
    argb.fill(Qt::red);
    const QImage argbBefore = argb;
    EXPECT_FALSE(lanczos3(argb, {16, 16}));
    EXPECT_EQ(argb, argbBefore);
    EXPECT_FALSE(lanczos3(picture, {0, 10}));
    EXPECT_FALSE(lanczos3(picture, {100000, 100000}));
    EXPECT_EQ(picture, before);
}

// Where the target position falls on a whole source pixel, that pixel comes out unchanged:
// the other taps there weigh sinc at whole numbers, zero up to single-precision rounding.
TEST(Resampling, LanczosReproducesThePixelAtAWholeNumberPosition) {
    std::mt19937 random(11);
    const QImage source = randomPicture(40, 30, random);
    QImage doubled = source;
    ASSERT_TRUE(lanczos3(doubled, {80, 60}));
    QImage halved = source;
    ASSERT_TRUE(lanczos3(halved, {20, 15}));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(doubled.pixel(2 * x, 2 * y), source.pixel(x, y)) << x << "," << y;
            if (x % 2 == 0 && y % 2 == 0) {
                ASSERT_EQ(halved.pixel(x / 2, y / 2), source.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

// The fast separable resamplers against the formulas computed plainly in double precision,
// on random pictures (whose sharp steps make Lanczos overshoot and clamp), up and down, at
// whole and odd ratios: never more than one level apart.
TEST(Resampling, BothAgreeWithAPlainDoublePrecisionComputation) {
    std::mt19937 random(2024);
    const QList<std::pair<QSize, QSize>> cases{
        {{64, 48}, {16, 12}}, {{64, 48}, {21, 13}}, {{37, 29}, {120, 90}}, {{100, 75}, {99, 74}},
        {{5, 3}, {17, 11}},   {{1, 1}, {7, 5}},     {{90, 60}, {1, 1}},    {{31, 47}, {47, 31}},
    };
    for (const auto& [from, to] : cases) {
        const QImage source = randomPicture(from.width(), from.height(), random);
        const QImage area = areaAverage(source, to);
        ASSERT_EQ(area.size(), to);
        EXPECT_LE(largestDifference(area, referenceAreaAverage(source, to.width(), to.height())), 1)
            << "area " << from.width() << "x" << from.height() << " to " << to.width() << "x"
            << to.height();
        QImage lanczos = source;
        ASSERT_TRUE(lanczos3(lanczos, to));
        ASSERT_EQ(lanczos.size(), to);
        EXPECT_LE(largestDifference(lanczos, referenceLanczos3(source, to.width(), to.height())), 1)
            << "lanczos " << from.width() << "x" << from.height() << " to " << to.width() << "x"
            << to.height();
    }
}
