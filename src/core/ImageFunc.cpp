#include "core/ImageFunc.h"

#include "core/Colors.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace tavimo::imagefunc {

QImage solidBitmap(int width, int height, const QColor& color) {
    QImage image(qMax(width, 0), qMax(height, 0), QImage::Format_RGB888);
    if (!image.isNull())
        image.fill(color);
    return image;
}

QImage placeholderPicture() {
    QImage image = solidBitmap(kThumbWidth, kThumbHeight, Qt::black);
    image.setPixelColor(0, kThumbHeight - 1, colors::buttonFace());
    return image;
}

QRect thumbnailRect(int w, int h) {
    if (w == 0 || h == 0)
        return QRect(0, 0, kThumbWidth, kThumbHeight);
    // 64-bit: a picture side times 120 overflows 32 bits for very large pictures.
    const qint64 c = qint64(h) * kThumbWidth / w;
    if (c > kThumbHeight - 1) {
        const int pw = int(qint64(w) * kThumbHeight / h);
        const int m = (kThumbWidth - pw) / 2;
        return QRect(m, 0, pw, kThumbHeight);
    }
    const int m = (kThumbHeight - int(c)) / 2;
    return QRect(0, m, kThumbWidth, int(c));
}

bool fitThumbnail(const QImage& picture, QImage& out) {
    if (picture.isNull())
        return false;
    QImage thumb = solidBitmap(kThumbWidth, kThumbHeight, Qt::black);
    const QRect target = thumbnailRect(picture.width(), picture.height());
    if (target.width() > 0 && target.height() > 0) {
        // Scaling first and drawing unscaled is faster and smoother than a scaled drawImage.
        const QImage scaled =
            picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&thumb);
        painter.drawImage(target.topLeft(), scaled);
    }
    thumb.setPixelColor(0, kThumbHeight - 1, colors::buttonFace());
    out = thumb;
    return true;
}

QRect fitRect(const QRect& area, int w, int h) {
    if (w == 0 || h == 0)
        return QRect(0, 0, kThumbWidth, kThumbHeight);
    const qint64 left = area.x();
    const qint64 top = area.y();
    const qint64 width = area.width();
    const qint64 height = area.height();
    const qint64 k = qint64(h) * 128 / w;
    if (width <= 0 || height <= 0 || k <= 0)
        return area;
    if (height * 128 / width < k) {
        const qint64 pw = height * 128 / k;
        const qint64 m = (width - pw) / 2;
        return QRect(int(left + m), int(top), int(width - 2 * m), int(height));
    }
    const qint64 ph = width * k / 128;
    const qint64 m = (height - ph) / 2;
    return QRect(int(left), int(top + m), int(width), int(height - 2 * m));
}

int clampToByte(double value) {
    if (std::isnan(value) || value < 0)
        return 0;
    if (value > 255)
        return 255;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    return int(std::nearbyint(value));
}

float sinc(float x) {
    if (x == 0.0f)
        return 1.0f;
    const float y = x * std::numbers::pi_v<float>;
    return std::sin(y) / y;
}

QString threeDigits(int n) {
    if (n <= 9)
        return QStringLiteral("00") + QString::number(n);
    if (n > 99)
        return QString::number(n);
    return QStringLiteral("0") + QString::number(n);
}

QString twoDigits(int n) {
    if (n > 9)
        return QString::number(n);
    return QStringLiteral("0") + QString::number(n);
}

} // namespace tavimo::imagefunc
