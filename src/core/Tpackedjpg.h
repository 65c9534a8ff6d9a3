#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

namespace tavimo {

class SaveUnit;

// An ordered collection of small JPEG pictures saved together in one ".pjpg" file: the book's
// album pictures, or an album's video thumbnails. It runs index-parallel to its owner's list:
// whoever inserts, deletes or moves an element does the same here at the same index.
//
// An entry is empty, holds a JPEG picture, or holds a blank picture (no image data, as after
// resize). Pictures stay as their JPEG bytes and are decoded only when asked for, so loading
// and saving never decode or re-encode anything.
//
// File layout, integers 32-bit little-endian:
//   0    128 bytes  "PJPG " + the store's name (CP932), NUL-filled
//   128  data offset = 136 + 4 * count
//   132  count
//   136  count sizes (0 for an empty or blank entry)
//   data offset: the entries' JPEG streams, concatenated in order
class Tpackedjpg {
public:
    static constexpr int kHeaderSize = 136;
    static constexpr int kTextFieldSize = 128;

    int count() const { return int(entries_.size()); }
    int lastIndex() const { return count() - 1; }
    bool isValidIndex(int i) const { return i >= 0 && i < count(); }

    // Entry state, mostly for callers that draw placeholders.
    bool isEmpty(int i) const;
    bool isBlank(int i) const;

    void clear();
    // clear, then n empty entries; a negative n is ignored.
    void reset(int n);
    // Drops the tail, or appends blank pictures, until count() == n; a negative n is ignored.
    void resize(int n);

    // Appends a copy of the JPEG bytes, or an empty entry for empty bytes.
    void addPicture(const QByteArray& jpeg);
    // Appends the bytes without copying them: they must stay valid while the store holds them
    // (a picture of another store that is kept alive, as the open album's rows are).
    void addSharedPicture(const QByteArray& jpeg);
    // Appends the bitmap as JPEG of quality 90, or an empty entry for a null bitmap.
    void addBitmap(const QImage& bitmap);

    // Swap entries, pictures or emptiness alike; nothing on invalid indexes or i == j.
    void exchange(int i, int j);
    // Entry d becomes a copy of entry s (empty when s is); nothing on invalid indexes or d == s.
    void copyEntry(int d, int s);
    // Removes entry i; later entries move down one. Nothing for an invalid index.
    void remove(int i);

    // Decodes entry i into bitmap. False when i is invalid (bitmap untouched); false with a
    // 0 x 0 bitmap when the entry is empty or blank, or when its bytes do not decode.
    bool getBitmap(int i, QImage& bitmap) const;
    // A copy of entry i's JPEG bytes (empty for a blank picture). False when i is invalid or the
    // entry is empty.
    bool getPicture(int i, QByteArray& jpeg) const;
    // Entry i's JPEG bytes without a copy: they may point into the loaded file and are valid
    // while this store lives. Empty for an empty or blank entry or an invalid index.
    QByteArray sharedPicture(int i) const;
    // Stores the bitmap as JPEG of quality 90 in entry i. False when i is invalid or encoding
    // fails (the entry is then unchanged).
    bool setBitmap(int i, const QImage& bitmap);
    // Entry i becomes a picture holding a copy of the bytes (a blank one for empty bytes).
    bool setPicture(int i, const QByteArray& jpeg);

    // Loads a ".pjpg" file. A missing or unreadable file, or one without the "PJPG" signature,
    // leaves the store as it was and returns false. Damaged contents load what is there: entries
    // that the file cannot supply stay empty.
    bool loadFromFile(const QString& path);
    // Writes path + ".pjpg" atomically, named after the file-name part of path.
    WriteResult saveToFile(const QString& pathWithoutExtension) const;

    // Stages the file path + ".pjpg" among files that are renamed into place together. The unit
    // holds a copy of the store (the pictures' bytes are shared, not copied) and puts the file
    // together when it is written, so the store may change or go meanwhile.
    bool stageTo(SaveUnit& unit, const QString& pathWithoutExtension) const;
    // The size of the file the store makes.
    qsizetype byteSize() const;
    // Keeps the loaded file of `other` mapped while this store lives: entries added with
    // addSharedPicture from `other` stay valid, and go out straight from its file.
    void shareLoadedBytes(const Tpackedjpg& other);

    // Loading and saving in memory; see loadFromFile. The store keeps a reference to the bytes.
    bool loadFromBytes(QByteArray bytes);
    QByteArray saveToBytes(const QString& name) const;

    // Fills the store from picture files, one entry per path. A path that names no file gives an
    // empty entry silently; a file that holds no readable picture gives an empty entry and the
    // problem path + " は読み込めません". JPEG files are kept as they are; other picture formats
    // (the earlier version's ".bmp" thumbnails) are converted to JPEG of quality 90.
    // An empty list leaves the store unchanged. taken: the paths whose picture was taken, so
    // the caller can delete them once the store is safely written.
    struct FilesRead {
        QStringList taken;
        QList<Problem> problems;
    };
    FilesRead loadFromFiles(const QStringList& paths);

private:
    struct Entry {
        bool hasPicture = false;
        QByteArray jpeg; // empty for a blank picture; may point into loaded_
    };

    // Reads the layout from bytes that stay valid while entries refer into them.
    bool parse(const QByteArray& bytes);
    // The file's bytes in order: header and sizes, then runs of picture data.
    QList<QByteArrayView> pieces(const QString& name, QByteArray& head,
                                 std::deque<QByteArray>& staged) const;

    std::vector<Entry> entries_;
    // The bytes of the last loaded file: a memory map of it, or a copy. Loaded entries refer
    // into them without copying, so loading touches only the header and the sizes table, and
    // an unchanged store is saved straight from the map. Files are replaced by rename, so the
    // mapped old file stays intact while the store uses it.
    QByteArray loaded_;
    std::shared_ptr<QFile> mapped_;
};

} // namespace tavimo
