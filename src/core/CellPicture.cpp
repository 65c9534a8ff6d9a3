#include "core/CellPicture.h"

#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <QtGlobal>
#include <algorithm>

namespace tavimo {

namespace {

class ImagePicture final : public PictureSource {
public:
    explicit ImagePicture(const QImage& image) : m_image(image) {}
    QImage image() const override { return m_image; }

private:
    QImage m_image;
};

class JpegPicture final : public PictureSource {
public:
    explicit JpegPicture(const QByteArray& jpeg) : m_jpeg(jpeg) {}
    QImage image() const override { return jpeg::decode(m_jpeg); }

private:
    QByteArray m_jpeg;
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
    picture.m_source = std::move(source);
    return picture;
}

QImage CellPicture::image() const {
    return m_source ? m_source->image() : QImage();
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

GlyphCache::GlyphCache(qsizetype maxBytes)
    : m_cache(std::max<qsizetype>(1, maxBytes / kCostUnit)) {}

void GlyphCache::setMaxBytes(qsizetype maxBytes) {
    m_cache.setMaxCost(std::max<qsizetype>(1, maxBytes / kCostUnit));
}

qsizetype GlyphCache::maxBytes() const {
    return m_cache.maxCost() * kCostUnit;
}

QImage GlyphCache::glyph(const CellPicture& picture) {
    if (picture.isNull())
        return {};
    if (const Entry* entry = m_cache.object(picture.key()))
        return entry->glyph;
    QImage glyph = transparentGlyph(picture.image());
    const qsizetype cost = costOf(glyph);
    // An undecodable picture is remembered too, so it is not decoded again on every paint.
    m_cache.insert(picture.key(), new Entry{picture, glyph}, cost);
    return glyph;
}

} // namespace tavimo
