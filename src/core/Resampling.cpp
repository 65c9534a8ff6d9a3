#include "core/Resampling.h"

#include "core/ImageFunc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tavimo::resampling {

namespace {

bool fits(QSize target) {
    return target.width() > 0 && target.height() > 0 &&
           qint64(target.width()) * target.height() <= kMaxPixels;
}

// Adding and taking away 1.5 x 2^52 (2^23 for float) leaves a value in 0..255 rounded to the
// nearest integer with halves to even, in the default rounding mode, without a library call
// per channel. The comparisons are written so that NaN falls to 0.
inline uchar levelOf(double v) {
    v = v > 0 ? v : 0;
    v = v < 255 ? v : 255;
    return uchar((v + 6755399441055744.0) - 6755399441055744.0);
}

inline uchar levelOf(float v) {
    v = v > 0 ? v : 0;
    v = v < 255 ? v : 255;
    return uchar((v + 12582912.0f) - 12582912.0f);
}

// The source spans of area averaging along one axis: for target t, the weights of the source
// indices first[t], first[t] + 1, ... stored from offset[t] to offset[t + 1].
struct AreaAxis {
    std::vector<int> first;
    std::vector<int> offset;
    std::vector<double> weight;
};

AreaAxis areaAxis(int source, int target) {
    AreaAxis axis;
    axis.first.resize(size_t(target));
    axis.offset.resize(size_t(target) + 1);
    const double scale = double(source) / double(target);
    for (int t = 0; t < target; ++t) {
        const double a = t * scale;
        const double b = (t + 1) * scale - 0.000001;
        const int firstIndex = int(std::floor(a));
        const int lastIndex = std::min(int(std::floor(b)), source - 1);
        const double upper = std::ceil(b);
        axis.first[size_t(t)] = firstIndex;
        axis.offset[size_t(t)] = int(axis.weight.size());
        for (int i = firstIndex; i <= lastIndex; ++i) {
            double w;
            if (firstIndex == int(std::floor(b)))
                w = b - a; // the span lies in one column
            else if (i > firstIndex && i + 1 < upper)
                w = 1;
            else if (i == firstIndex)
                w = (i + 1) - a;
            else
                w = b - i;
            axis.weight.push_back(w);
        }
    }
    axis.offset[size_t(target)] = int(axis.weight.size());
    return axis;
}

// The six taps of Lanczos-3 along one axis, their weights already divided by their sum: the
// 36 products of a pixel, divided by the sum of the 36, are these products.
struct LanczosAxis {
    std::vector<std::array<int, 6>> index;
    std::vector<std::array<float, 6>> weight;
};

float lanczosWeight(float distance) {
    return imagefunc::sinc(distance) * imagefunc::sinc(distance / 3.0f);
}

LanczosAxis lanczosAxis(int source, int target) {
    LanczosAxis axis;
    axis.index.resize(size_t(target));
    axis.weight.resize(size_t(target));
    const float scale = float(source) / float(target);
    for (int t = 0; t < target; ++t) {
        const float p = float(t) * scale;
        const int ix = std::min(int(p), source - 1);
        const float f = p - float(ix);
        const std::array<float, 6> distance{f + 2, f + 1, f, 1 - f, 2 - f, 3 - f};
        std::array<int, 6>& index = axis.index[size_t(t)];
        std::array<float, 6>& weight = axis.weight[size_t(t)];
        float sum = 0;
        for (int k = 0; k < 6; ++k) {
            const int i = ix - 2 + k;
            index[size_t(k)] = (i < 0 || i > source - 1) ? ix : i;
            weight[size_t(k)] = lanczosWeight(distance[size_t(k)]);
            sum += weight[size_t(k)];
        }
        for (float& w : weight)
            w /= sum;
    }
    return axis;
}

// One source row resampled across by Lanczos-3: w x 3 channels, in single precision.
void lanczosAcross(const uchar* row, const LanczosAxis& columns, float* out) {
    const size_t count = columns.index.size();
    for (size_t x = 0; x < count; ++x) {
        const std::array<int, 6>& index = columns.index[x];
        const std::array<float, 6>& weight = columns.weight[x];
        float c0 = 0, c1 = 0, c2 = 0;
        for (size_t k = 0; k < 6; ++k) {
            const uchar* pixel = row + 3 * index[k];
            c0 += weight[k] * float(pixel[0]);
            c1 += weight[k] * float(pixel[1]);
            c2 += weight[k] * float(pixel[2]);
        }
        out[3 * x] = c0;
        out[3 * x + 1] = c1;
        out[3 * x + 2] = c2;
    }
}

} // namespace

bool is24Bit(const QImage& image) {
    return image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_BGR888;
}

QImage areaAverage(const QImage& source, QSize target) {
    if (source.isNull() || !fits(target))
        return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB888);
    if (src.isNull())
        return {};
    const int sw = src.width(), sh = src.height();
    const int tw = target.width(), th = target.height();
    const double sx = double(sw) / tw, sy = double(sh) / th;
    const float norm = float(1.0 / (sx * sy));
    const AreaAxis columns = areaAxis(sw, tw);
    const AreaAxis rows = areaAxis(sh, th);

    QImage out(target, QImage::Format_RGB888);
    if (out.isNull())
        return {};
    // Down the rows first: each target row gathers its source rows into one row of sums,
    // which the columns then share out.
    const size_t rowLength = size_t(sw) * 3;
    std::vector<double> gathered(rowLength);
    for (int y = 0; y < th; ++y) {
        std::fill(gathered.begin(), gathered.end(), 0.0);
        const int from = rows.offset[size_t(y)], to = rows.offset[size_t(y) + 1];
        for (int k = from; k < to; ++k) {
            const double w = rows.weight[size_t(k)];
            const uchar* line = src.constScanLine(rows.first[size_t(y)] + (k - from));
            double* sums = gathered.data();
            for (size_t i = 0; i < rowLength; ++i)
                sums[i] += w * double(line[i]);
        }
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < tw; ++x) {
            const int cFrom = columns.offset[size_t(x)], cTo = columns.offset[size_t(x) + 1];
            const double* sums = gathered.data() + 3 * size_t(columns.first[size_t(x)]);
            double c0 = 0, c1 = 0, c2 = 0;
            for (int k = cFrom; k < cTo; ++k, sums += 3) {
                const double w = columns.weight[size_t(k)];
                c0 += w * sums[0];
                c1 += w * sums[1];
                c2 += w * sums[2];
            }
            dst[3 * x] = levelOf(c0 * double(norm));
            dst[3 * x + 1] = levelOf(c1 * double(norm));
            dst[3 * x + 2] = levelOf(c2 * double(norm));
        }
    }
    return out;
}

bool lanczos3(QImage& image, QSize target) {
    if (!is24Bit(image) || !fits(target))
        return false;
    if (image.size() == target)
        return true;
    const int sw = image.width(), sh = image.height();
    const int tw = target.width(), th = target.height();
    const LanczosAxis columns = lanczosAxis(sw, tw);
    const LanczosAxis rows = lanczosAxis(sh, th);
    QImage out(target, image.format());
    if (out.isNull())
        return false;

    // Rows are resampled across once each, when first needed, into a ring of eight: the six
    // rows of a target row lie within six consecutive source rows, and target rows only
    // move down.
    constexpr int kRing = 8;
    const size_t across = size_t(tw) * 3;
    std::vector<float> ring(across * kRing);
    std::array<int, kRing> held;
    held.fill(-1);
    const auto acrossRow = [&](int j) -> const float* {
        float* slot = ring.data() + across * size_t(j % kRing);
        if (held[size_t(j % kRing)] != j) {
            lanczosAcross(image.constScanLine(j), columns, slot);
            held[size_t(j % kRing)] = j;
        }
        return slot;
    };
    for (int y = 0; y < th; ++y) {
        const std::array<int, 6>& index = rows.index[size_t(y)];
        const std::array<float, 6>& w = rows.weight[size_t(y)];
        const float* r0 = acrossRow(index[0]);
        const float* r1 = acrossRow(index[1]);
        const float* r2 = acrossRow(index[2]);
        const float* r3 = acrossRow(index[3]);
        const float* r4 = acrossRow(index[4]);
        const float* r5 = acrossRow(index[5]);
        uchar* dst = out.scanLine(y);
        for (size_t i = 0; i < across; ++i)
            dst[i] = levelOf(w[0] * r0[i] + w[1] * r1[i] + w[2] * r2[i] + w[3] * r3[i] +
                             w[4] * r4[i] + w[5] * r5[i]);
    }
    image = std::move(out);
    return true;
}

} // namespace tavimo::resampling
