#include "core/CaptureFiles.h"

#include "core/ImageFunc.h"

#include <QBuffer>
#include <QFileInfo>
#include <QStringList>
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

namespace {

struct FormatName {
    PictureFormat format;
    const char* extension; // the first is the one added to a name without
    const char* filter;
};
const FormatName kFormats[] = {
    {PictureFormat::Bmp, "bmp", "ビットマップ (*.bmp)"},
    {PictureFormat::Png, "png", "PNG (*.png)"},
    {PictureFormat::Jpeg, "jpg", "JPEG (*.jpg *.jpeg)"},
    {PictureFormat::Jpeg, "jpeg", nullptr},
};

} // namespace

QString saveDialogFilter() {
    QStringList filters;
    for (const FormatName& f : kFormats)
        if (f.filter)
            filters << QString::fromUtf8(f.filter);
    return filters.join(QStringLiteral(";;"));
}

SaveTarget saveTarget(const QString& typed, const QString& chosenFilter) {
    const QString suffix = QFileInfo(typed).suffix();
    if (!suffix.isEmpty()) {
        for (const FormatName& f : kFormats)
            if (suffix.compare(QLatin1String(f.extension), Qt::CaseInsensitive) == 0)
                return {typed, f.format};
        return {typed, PictureFormat::Bmp};
    }
    for (const FormatName& f : kFormats)
        if (f.filter && chosenFilter == QString::fromUtf8(f.filter))
            return {typed + u'.' + QLatin1String(f.extension), f.format};
    return {typed + QStringLiteral(".bmp"), PictureFormat::Bmp};
}

WriteResult savePicture(const QString& path, const QImage& picture, PictureFormat format) {
    if (format == PictureFormat::Bmp)
        return saveBmp24(path, picture);
    if (picture.isNull())
        return {false, path, QStringLiteral("no picture")};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool png = format == PictureFormat::Png;
    // JPEG holds no alpha: the picture goes as RGB, as the bitmap does.
    if (!picture.convertToFormat(QImage::Format_RGB888)
             .save(&buffer, png ? "PNG" : "JPEG", png ? -1 : 90))
        return {false, path, QStringLiteral("the picture could not be encoded")};
    return writeFileAtomically(path, bytes);
}

} // namespace tavimo::capture
