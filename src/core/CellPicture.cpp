#include "core/CellPicture.h"

#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <QtGlobal>
#include <algorithm>

namespace tavimo {

namespace {

class ImagePicture final : public PictureSource {
public:
    explicit ImagePicture(const QImage& image) : image_(image) {}
    QImage image() const override { return image_; }

private:
    QImage image_;
};

class JpegPicture final : public PictureSource {
public:
    explicit JpegPicture(const QByteArray& jpeg) : jpeg_(jpeg) {}
    QImage image() const override { return jpeg::decode(jpeg_); }

private:
    QByteArray jpeg_;
};

// QCache counts cost in whole units; a kibibyte keeps the numbers small.
constexpr qsizetype kCostUnit = 1024;

qsizetype costOf(const QImage& glyph) {
    return std::max<qsizetype>(1, glyph.sizeInBytes() / kCostUnit);
}

} // namespace

CellPicture CellPicture::fromImage(const QImage& image) {
    if (image.isNull())
        return {};
    return fromSource(std::make_shared<ImagePicture>(image));
}

CellPicture CellPicture::fromJpeg(const QByteArray& jpeg) {
    if (jpeg.isEmpty())
        return {};
    return fromSource(std::make_shared<JpegPicture>(jpeg));
}

CellPicture CellPicture::fromStore(const Tpackedjpg& store, int index) {
    QByteArray jpeg;
    if (!store.getPicture(index, jpeg))
        return {};
    return fromJpeg(jpeg);
}

CellPicture CellPicture::fromSource(std::shared_ptr<const PictureSource> source) {
    CellPicture picture;
    picture.source_ = std::move(source);
    return picture;
}

QImage CellPicture::image() const {
    return source_ ? source_->image() : QImage();
}

QImage transparentGlyph(const QImage& picture) {
    if (picture.isNull())
        return {};
    QImage glyph = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = glyph.pixel(0, glyph.height() - 1);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if (line[x] == transparent)
                line[x] = 0;
        }
    }
    // Fully transparent and fully opaque pixels only: premultiplying changes nothing else.
    glyph.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return glyph;
}

GlyphCache::GlyphCache(qsizetype maxBytes) : cache_(std::max<qsizetype>(1, maxBytes / kCostUnit)) {}

void GlyphCache::setMaxBytes(qsizetype maxBytes) {
    cache_.setMaxCost(std::max<qsizetype>(1, maxBytes / kCostUnit));
}

qsizetype GlyphCache::maxBytes() const {
    return cache_.maxCost() * kCostUnit;
}

QImage GlyphCache::glyph(const CellPicture& picture) {
    if (picture.isNull())
        return {};
    if (const Entry* entry = cache_.object(picture.key()))
        return entry->glyph;
    QImage glyph = transparentGlyph(picture.image());
    const qsizetype cost = costOf(glyph);
    // An undecodable picture is remembered too, so it is not decoded again on every paint.
    cache_.insert(picture.key(), new Entry{picture, glyph}, cost);
    return glyph;
}

} // namespace tavimo
