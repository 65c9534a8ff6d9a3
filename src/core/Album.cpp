#include "core/Album.h"

#include "core/DialogService.h"
#include "core/JpegCodec.h"

#include <algorithm>

namespace tavimo {

QString fileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

void Album::setCells(VideoCells* cells) {
    cells_ = cells;
    if (cells_ == nullptr)
        return;
    cells_->clearCells();
    for (int i = 0; i < count(); ++i)
        appendCell(i);
}

void Album::setIdentity(const BookPaths& book, const QString& name, int bookIndex, BookMode mode) {
    book_ = book;
    name_ = name;
    paths_ = AlbumPaths::of(book, name);
    bookIndex_ = bookIndex;
    mode_ = mode;
}

void Album::setMedium(const MediumRecord& record, const QString& root) {
    medium_ = record;
    driveRoot_ = root;
}

QString Album::fullPath(int i) const {
    if (!isValidIndex(i))
        return {};
    return isMediaMode() ? driveRoot_ + entries_.at(i) : entries_.at(i);
}

QString Album::entryFor(const QString& fullPath) const {
    if (isMediaMode() && !driveRoot_.isEmpty() && fullPath.startsWith(driveRoot_))
        return fullPath.mid(driveRoot_.size());
    return fullPath;
}

bool Album::containsFile(const QString& fullPath) const {
    for (int i = 0; i < count(); ++i)
        if (this->fullPath(i).compare(fullPath, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool Album::needsThumbnail(int i) const {
    QByteArray jpeg;
    if (!store_.getPicture(i, jpeg))
        return true;
    return !jpeg::looksLikeJpeg(jpeg) || !jpeg::readSize(jpeg);
}

QByteArray Album::pictureBytes(int i) const {
    QByteArray jpeg;
    store_.getPicture(i, jpeg);
    return jpeg;
}

void Album::assign(const QStringList& entries, const AlbumMarks& marks, Tpackedjpg store) {
    entries_ = entries;
    const int n = count();
    marks_ = marks;
    fitted_ = marks_.bookmarks.size() != n || marks_.counts.size() != n || store.count() != n;
    marks_.bookmarks.resize(n, 0);
    marks_.counts.resize(n, 0);
    store_ = std::move(store);
    store_.resize(n);
    setCells(cells_);
}

void Album::clear() {
    entries_.clear();
    marks_ = AlbumMarks{};
    store_.clear();
    fitted_ = false;
    book_ = BookPaths{};
    paths_ = AlbumPaths{};
    name_.clear();
    bookIndex_ = -1;
    mode_ = BookMode::Normal;
    medium_ = MediumRecord{};
    driveRoot_.clear();
    if (cells_ != nullptr)
        cells_->clearCells();
}

void Album::appendCell(int i) {
    cells_->appendCell(fileNamePart(entries_.at(i)), pictureBytes(i), marks_.bookmarks.at(i),
                       marks_.counts.at(i));
}

void Album::append(const QString& entry, const QByteArray& jpeg, int64_t bookmark, int32_t count) {
    entries_.append(entry);
    marks_.bookmarks.append(bookmark);
    marks_.counts.append(count);
    store_.addPicture(jpeg);
    if (cells_ != nullptr)
        appendCell(lastIndex());
}

void Album::remove(int i) {
    if (!isValidIndex(i))
        return;
    entries_.removeAt(i);
    marks_.bookmarks.removeAt(i);
    marks_.counts.removeAt(i);
    store_.remove(i);
    if (cells_ != nullptr)
        cells_->removeCell(i);
}

void Album::removeAll(QList<int> indexes) {
    // From the back, so that every index still names the video it named.
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (int i : indexes)
        remove(i);
}

void Album::exchange(int i, int j) {
    if (!isValidIndex(i) || !isValidIndex(j) || i == j)
        return;
    entries_.swapItemsAt(i, j);
    marks_.bookmarks.swapItemsAt(i, j);
    marks_.counts.swapItemsAt(i, j);
    store_.exchange(i, j);
    if (cells_ != nullptr)
        cells_->exchangeCells(i, j);
}

void Album::move(int from, int to) {
    if (!isValidIndex(from) || !isValidIndex(to))
        return;
    for (int k = from; k < to; ++k)
        exchange(k, k + 1);
    for (int k = from; k > to; --k)
        exchange(k, k - 1);
}

void Album::reorder(const QList<int>& order) {
    const int n = count();
    if (order.size() != n)
        return;
    QList<bool> seen(n, false);
    for (int old : order) {
        if (old < 0 || old >= n || seen.at(old))
            return;
        seen[old] = true;
    }
    // Applied by exchanges: position k takes the video that belongs there; `where` follows the
    // videos as they move.
    QList<int> where(n);  // where[old] = current position of the video that was at old
    QList<int> holder(n); // holder[pos] = old index of the video now at pos
    for (int k = 0; k < n; ++k)
        where[k] = holder[k] = k;
    for (int k = 0; k < n; ++k) {
        const int from = where.at(order.at(k));
        if (from == k)
            continue;
        exchange(k, from);
        const int displaced = holder.at(k);
        holder[from] = displaced;
        where[displaced] = from;
        holder[k] = order.at(k);
        where[order.at(k)] = k;
    }
}

void Album::setPicture(int i, const QByteArray& jpeg) {
    if (!isValidIndex(i))
        return;
    store_.setPicture(i, jpeg);
    if (cells_ != nullptr)
        cells_->setCellPicture(i, pictureBytes(i));
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
    if (!isValidIndex(i))
        return;
    marks_.bookmarks[i] = position;
    if (cells_ != nullptr)
        cells_->setCellMarks(i, position, marks_.counts.at(i));
}

void Album::setPlayCount(int i, int32_t count) {
    if (!isValidIndex(i))
        return;
    marks_.counts[i] = count;
    if (cells_ != nullptr)
        cells_->setCellMarks(i, marks_.bookmarks.at(i), count);
}

bool Album::saveStore(DialogService& dialogs) const {
    const WriteResult result = store_.saveToFile(paths_.storeBase);
    if (!result)
        dialogs.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
    return bool(result);
}

bool Album::saveAlbum(DialogService& dialogs) {
    const bool storeWritten = saveStore(dialogs);
    if (entriesSaved_)
        entriesSaved_(entries_);
    const WriteResult result = albumfile::write(paths_.album, entries_);
    if (!result)
        dialogs.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
    return storeWritten && bool(result);
}

bool Album::saveMarks(DialogService& dialogs) const {
    return marks_.save(paths_, count(), dialogs);
}

} // namespace tavimo
