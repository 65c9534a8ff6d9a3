#include "core/CaptureFiles.h"

#include "core/ImageFunc.h"

#include <QFileInfo>
#include <QtEndian>
#include <cstring>

namespace tavimo::capture {

QString captureName(const QDateTime& localTime, int counter) {
    using imagefunc::twoDigits;
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return twoDigits(date.month()) + twoDigits(date.day()) + u'_' + twoDigits(time.hour()) +
           twoDigits(time.minute()) + u'_' + imagefunc::threeDigits(counter) +
           QStringLiteral(".bmp");
}

QString CaptureNames::next(const QDateTime& localTime) {
    return captureName(localTime, counter_++);
}

namespace {

void put16(uchar*& p, quint16 v) {
    qToLittleEndian(v, p);
    p += 2;
}

void put32(uchar*& p, quint32 v) {
    qToLittleEndian(v, p);
    p += 4;
}

} // namespace

QByteArray encodeBmp24(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull())
        return {};
    constexpr int kHeaderBytes = 14 + 40;
    const qint64 stride = (qint64(bgr.width()) * 3 + 3) / 4 * 4;
    const qint64 pixelBytes = stride * bgr.height();
    if (kHeaderBytes + pixelBytes > 0x7fffffff)
        return {};
    QByteArray bytes(int(kHeaderBytes + pixelBytes), '\0');
    auto* p = reinterpret_cast<uchar*>(bytes.data());
    *p++ = 'B';
    *p++ = 'M';
    put32(p, quint32(bytes.size()));
    put32(p, 0); // reserved
    put32(p, kHeaderBytes);
    put32(p, 40);
    put32(p, quint32(bgr.width()));
    put32(p, quint32(bgr.height())); // positive: the bottom row comes first
    put16(p, 1);                     // planes
    put16(p, 24);
    put32(p, 0); // uncompressed
    put32(p, quint32(pixelBytes));
    put32(p, 0); // no resolution
    put32(p, 0);
    put32(p, 0); // no palette
    put32(p, 0);
    const size_t rowBytes = size_t(bgr.width()) * 3;
    for (int y = bgr.height() - 1; y >= 0; --y, p += stride)
        std::memcpy(p, bgr.constScanLine(y), rowBytes);
    return bytes;
}

WriteResult saveBmp24(const QString& path, const QImage& picture) {
    const QByteArray bytes = encodeBmp24(picture);
    if (bytes.isEmpty())
        return {false, path, QStringLiteral("no picture")};
    return writeFileAtomically(path, bytes);
}

QString captureFolderOr(const QString& captureFolder, const QString& libraryFolder) {
    return captureFolder.isEmpty() ? libraryFolder : captureFolder;
}

QString withBmpExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".bmp") : path;
}

} // namespace tavimo::capture
