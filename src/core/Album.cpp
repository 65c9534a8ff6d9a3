#include "core/Album.h"

#include "core/Book.h"
#include "core/CellRoles.h"
#include "core/EntryFiles.h"
#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"

#include <algorithm>

namespace tavimo {

QString fileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

Album::Album() = default;
Album::~Album() = default;

void Album::setIdentity(const Book& book, int index) {
    book_ = &book;
    index_ = index;
}

const QString& Album::name() const {
    static const QString none;
    return book_ ? book_->album(index_).name : none;
}

AlbumPaths Album::paths() const {
    return book_ ? book_->albumPaths(index_) : AlbumPaths{};
}

const BookPaths& Album::bookPaths() const {
    static const BookPaths none;
    return book_ ? book_->paths() : none;
}

BookMode Album::mode() const {
    return book_ ? book_->mode() : BookMode::Normal;
}

MediumRecord Album::medium() const {
    return book_ ? book_->record(index_) : MediumRecord{};
}

QStringList Album::entries() const {
    QStringList list;
    list.reserve(rows_.size());
    for (const VideoRow& row : rows_)
        list.append(row.entry);
    return list;
}

int Album::indexOf(quint64 id, int hint) const {
    if (isValidIndex(hint) && rows_.at(hint).id == id)
        return hint;
    for (int i = 0; i < count(); ++i)
        if (rows_.at(i).id == id)
            return i;
    return -1;
}

QString Album::fullPath(int i) const {
    if (!isValidIndex(i))
        return {};
    return entryFile(mode(), driveRoot_, rows_.at(i).entry);
}

QString Album::fileName(int i) const {
    return fileNamePart(fullPath(i));
}

QString Album::entryFor(const QString& fullPath) const {
    if (isMediaMode() && !driveRoot_.isEmpty() && fullPath.startsWith(driveRoot_))
        return fullPath.mid(driveRoot_.size());
    return fullPath;
}

bool Album::isLocalFile(int i) const {
    return isPathHere(fullPath(i));
}

bool Album::containsFile(const QString& fullPath) const {
    for (int i = 0; i < count(); ++i)
        if (this->fullPath(i).compare(fullPath, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool Album::needsThumbnail(int i) const {
    if (!isValidIndex(i))
        return true;
    const QByteArray& jpeg = rows_.at(i).jpeg;
    return !jpeg::looksLikeJpeg(jpeg) || !jpeg::readSize(jpeg);
}

QByteArray Album::pictureBytes(int i) const {
    // A real copy: the row's bytes may point into the mapped store, which goes with the album.
    if (!isValidIndex(i))
        return {};
    const QByteArray& held = rows_.at(i).jpeg;
    return QByteArray(held.constData(), held.size());
}

VideoRow Album::makeRow(const QString& entry, const QByteArray& jpeg, int64_t bookmark,
                        int32_t count) {
    VideoRow row;
    row.id = nextId_++;
    row.entry = entry;
    row.jpeg = jpeg;
    if (!jpeg.isEmpty())
        row.picture = CellPicture::fromJpeg(jpeg);
    row.bookmark = bookmark;
    row.count = count;
    return row;
}

void Album::assign(const QStringList& entries, const AlbumMarks& marks, Tpackedjpg store) {
    const int n = int(entries.size());
    fitted_ = marks.bookmarks.size() != n || marks.counts.size() != n || store.count() != n;
    auto loaded = std::make_shared<const Tpackedjpg>(std::move(store));
    beginResetModel();
    rows_.clear();
    rows_.reserve(n);
    for (int i = 0; i < n; ++i)
        rows_.append(makeRow(entries.at(i), loaded->sharedPicture(i), marks.bookmarks.value(i),
                             marks.counts.value(i)));
    loaded_ = std::move(loaded);
    endResetModel();
}

void Album::clear() {
    beginResetModel();
    rows_.clear();
    loaded_.reset();
    fitted_ = false;
    book_ = nullptr;
    index_ = -1;
    driveRoot_.clear();
    endResetModel();
}

void Album::append(const QString& entry, const QByteArray& jpeg, int64_t bookmark, int32_t count) {
    appendRow(makeRow(entry, jpeg, bookmark, count));
    Q_EMIT rowsChanged();
}

void Album::remove(int i) {
    if (!isValidIndex(i))
        return;
    removeRowAt(i);
    Q_EMIT rowsChanged();
}

void Album::removeAll(QList<int> indexes) {
    // From the back, so that every index still names the video it named.
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    // A few go one by one; many (a synchronised folder, a disk of missing files) in one pass.
    constexpr qsizetype kOneByOne = 16;
    if (indexes.size() <= kOneByOne) {
        for (int i : indexes)
            remove(i);
        return;
    }
    QList<bool> gone(count(), false);
    for (int i : indexes)
        if (isValidIndex(i))
            gone[i] = true;
    beginResetModel();
    QList<VideoRow> kept;
    kept.reserve(rows_.size());
    for (int i = 0; i < count(); ++i)
        if (!gone.at(i))
            kept.append(std::move(rows_[i]));
    rows_ = std::move(kept);
    endResetModel();
    Q_EMIT rowsChanged();
}

void Album::appendMade(const QString& entry, const QByteArray& jpeg) {
    appendRow(makeRow(entry, jpeg, 0, 0));
    Q_EMIT madeRowsAppended(jpeg.size());
}

bool Album::assignPicture(int i, const QByteArray& jpeg) {
    if (!isValidIndex(i))
        return false;
    VideoRow& row = rows_[i];
    row.jpeg = QByteArray(jpeg.constData(), jpeg.size());
    row.picture = jpeg.isEmpty() ? CellPicture() : CellPicture::fromJpeg(row.jpeg);
    rowUpdated(i, {PictureRole});
    return true;
}

void Album::setPicture(int i, const QByteArray& jpeg) {
    if (assignPicture(i, jpeg))
        Q_EMIT rowsChanged();
}

void Album::setMadePicture(int i, const QByteArray& jpeg) {
    if (assignPicture(i, jpeg))
        Q_EMIT picturesMade(jpeg.size());
}

bool Album::setBitmap(int i, const QImage& bitmap) {
    if (!isValidIndex(i))
        return false;
    const QByteArray jpeg = jpeg::encode(bitmap);
    if (jpeg.isEmpty())
        return false;
    setPicture(i, jpeg);
    return true;
}

void Album::setBookmark(int i, int64_t position) {
    if (!isValidIndex(i) || rows_.at(i).bookmark == position)
        return;
    rows_[i].bookmark = position;
    rowUpdated(i, {BookmarkRole});
    Q_EMIT marksChanged();
}

void Album::setPlayCount(int i, int32_t count) {
    if (!isValidIndex(i) || rows_.at(i).count == count)
        return;
    rows_[i].count = count;
    rowUpdated(i, {PlayCountRole});
    Q_EMIT marksChanged();
}

Tpackedjpg Album::store() const {
    Tpackedjpg store;
    // Pictures that point into the loaded file go out straight from it, which stays mapped
    // while the store lives, on whichever thread writes it.
    if (loaded_)
        store.shareLoadedBytes(*loaded_);
    for (const VideoRow& row : rows_)
        store.addSharedPicture(row.jpeg);
    return store;
}

QVariant Album::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !isValidIndex(index.row()))
        return {};
    const VideoRow& row = rows_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return fileName(index.row());
    case PictureRole:
        return QVariant::fromValue(row.picture);
    case BookmarkRole:
        return qint64(row.bookmark);
    case PlayCountRole:
        return qint32(row.count);
    default:
        return {};
    }
}

} // namespace tavimo
