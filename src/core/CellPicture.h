#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <memory>

namespace tavimo {

class Tpackedjpg;

// Where a cell's picture comes from. Implementations decode on demand, so a grid of 100,000
// cells holds 100,000 cheap handles and only the visible pictures as bitmaps.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // The picture, or a null image when it cannot be had.
    virtual QImage image() const = 0;
};

// A cheap, shareable handle to one picture. Copies share the source, and with it the cached
// bitmap: moving a picture from cell to cell costs no decoding.
class CellPicture {
public:
    CellPicture() = default;
    // A bitmap that is already in memory (the placeholder, a clipboard picture).
    static CellPicture fromImage(const QImage& image);
    // JPEG bytes, decoded when the picture is first drawn. The bytes are shared, not copied.
    static CellPicture fromJpeg(const QByteArray& jpeg);
    static CellPicture fromSource(std::shared_ptr<const PictureSource> source);
    // Entry `index` of a picture store, still as JPEG; no picture for an empty entry or an
    // invalid index. The handle keeps its own bytes: the store may change afterwards.
    static CellPicture fromStore(const Tpackedjpg& store, int index);

    bool isNull() const { return !source_; }
    QImage image() const;
    // Identity of the picture for caches; equal for copies of one handle.
    const PictureSource* key() const { return source_.get(); }

private:
    std::shared_ptr<const PictureSource> source_;
};

// The picture as a cell's button draws it: pixels of the bottom-left pixel's colour become
// transparent, so the button face shows through them. Premultiplied ARGB, ready to draw.
QImage transparentGlyph(const QImage& picture);

// Glyphs of recently drawn pictures, bounded in bytes. Entries keep their source alive, so a
// key is never reused for another picture while it is cached.
class GlyphCache {
public:
    explicit GlyphCache(qsizetype maxBytes = 16 * 1024 * 1024);
    // The glyph of `picture`, decoded and made transparent on first use; null for a null or
    // undecodable picture.
    QImage glyph(const CellPicture& picture);
    void setMaxBytes(qsizetype maxBytes);
    qsizetype maxBytes() const;
    int size() const { return int(cache_.count()); }
    void clear() { cache_.clear(); }

private:
    struct Entry {
        CellPicture picture;
        QImage glyph;
    };
    QCache<const PictureSource*, Entry> cache_;
};

} // namespace tavimo
