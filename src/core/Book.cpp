#include "core/Book.h"

#include "core/AlbumCells.h"
#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/DialogService.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/NameRules.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

namespace {

void report(const WriteResult& result, DialogService& dialogs) {
    if (!result)
        dialogs.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
}

// A book file line that would name a file outside the book folder. Lines cannot hold line
// breaks or NUL; "/", "." and ".." are what is left.
bool escapesBookFolder(const QString& name) {
    return name.contains(u'/') || name == u"." || name == u"..";
}

} // namespace

const QByteArray& placeholderJpeg() {
    static const QByteArray jpeg = jpeg::encode(imagefunc::placeholderPicture());
    return jpeg;
}

bool Book::makeFolder(const QString& path, DialogService& dialogs) {
    if (QFileInfo(path).isDir() || QDir().mkdir(path))
        return true;
    dialogs.message(QStringLiteral("Can not Createdirectory!"), DialogService::Buttons::OkCancel,
                    DialogService::Icon::Error);
    return false;
}

void Book::clearAlbums() {
    albums_.clear();
    pictures_.clear();
    registry_.clear();
    if (cells_)
        cells_->clearCells();
}

void Book::close() {
    clearAlbums();
    paths_ = BookPaths{};
    picturesChanged_ = false;
    if (cells_)
        cells_->layOutCells();
}

Book::LoadResult Book::load(const QString& libraryFolder, const QString& title, BookMode mode,
                            DialogService& dialogs) {
    if (title.isEmpty())
        return LoadResult::NoTitle;
    // A title from a hand-edited settings file must not lead outside the library folder.
    if (!acceptName(title, NameKind::BookTitle, dialogs))
        return LoadResult::Unreadable;
    clearAlbums();
    paths_ = BookPaths::of(libraryFolder, title);
    mode_ = mode;
    picturesChanged_ = false;

    // An unreadable book file must not be taken for an empty book: the save at the end of the
    // load would then write its albums away.
    const auto lines = bookfile::read(paths_.bookFile, mode);
    if (!lines) {
        dialogs.message(QStringLiteral("ブックファイルを読み込めません。\r\n%1")
                            .arg(QDir::toNativeSeparators(paths_.bookFile)),
                        DialogService::Buttons::Ok, DialogService::Icon::Error);
        if (cells_)
            cells_->layOutCells();
        return LoadResult::Unreadable;
    }

    const QString bookFolder = libraryFolder + title;
    const QString imagesFolder = paths_.bookFolder + QStringLiteral("images");
    if (!QFileInfo(bookFolder).isDir()) {
        const bool made = makeFolder(bookFolder, dialogs) && makeFolder(imagesFolder, dialogs);
        if (cells_)
            cells_->layOutCells();
        return made ? LoadResult::FoldersMade : LoadResult::FolderFailed;
    }
    if (!makeFolder(imagesFolder, dialogs)) {
        if (cells_)
            cells_->layOutCells();
        return LoadResult::FolderFailed;
    }

    const int lineCount = int(lines->size());
    if (!QFileInfo::exists(paths_.pictureStore) || !pictures_.loadFromFile(paths_.pictureStore)) {
        pictures_.reset(lineCount);
        picturesChanged_ = true;
    }
    pictures_.resize(lineCount);
    if (mode == BookMode::Media)
        registry_.loadForBook(paths_.mediaDat, lineCount, dialogs);
    else
        registry_.resize(lineCount);

    QStringList refused, unreadable;
    albums_.reserve(lineCount);
    int dropped = 0;
    for (int j = 0; j < lineCount; ++j) {
        const bookfile::Line& line = lines->at(j);
        const QString albumPath = AlbumPaths::of(paths_, line.name).album;
        const bool unsafe = escapesBookFolder(line.name);
        if (unsafe || !QFileInfo::exists(albumPath)) {
            if (unsafe)
                refused.append(line.name);
            pictures_.remove(j - dropped);
            registry_.remove(j - dropped);
            picturesChanged_ = true;
            ++dropped;
            continue;
        }
        auto entries = albumfile::read(albumPath);
        if (!entries)
            unreadable.append(albumPath);
        BookAlbum album{line.name, entries.value_or(QStringList()), line.folderSync};
        const int index = int(albums_.size());
        albums_.append(std::move(album));
        const QByteArray jpeg = pictureOrPlaceholder(index);
        if (cells_)
            cells_->appendCell(line.name, jpeg, line.folderSync);
    }
    if (!refused.isEmpty())
        dialogs.message(
            QStringLiteral("ブックの外を指す名前のアルバムはブックから外しました。\r\n%1")
                .arg(refused.join(QStringLiteral("\r\n"))),
            DialogService::Buttons::Ok, DialogService::Icon::Warning);
    // Kept in the book, shown empty: the album's own file stays as it is.
    if (!unreadable.isEmpty())
        dialogs.message(QStringLiteral("アルバムファイルを読み込めません。\r\n%1")
                            .arg(QDir::toNativeSeparators(unreadable.join(QStringLiteral("\r\n")))),
                        DialogService::Buttons::Ok, DialogService::Icon::Warning);

    save(dialogs);
    if (picturesChanged_)
        savePictures(dialogs);
    if (cells_)
        cells_->layOutCells();
    return LoadResult::Loaded;
}

bool Book::openNew(const QString& libraryFolder, const QString& title, BookMode mode,
                   DialogService& dialogs) {
    clearAlbums();
    paths_ = BookPaths::of(libraryFolder, title);
    mode_ = mode;
    picturesChanged_ = false;
    // A book folder left behind without its images folder is reused, not fatal.
    if (!makeFolder(libraryFolder + title, dialogs) ||
        !makeFolder(paths_.bookFolder + QStringLiteral("images"), dialogs))
        return false;
    save(dialogs);
    savePictures(dialogs);
    if (cells_)
        cells_->layOutCells();
    return true;
}

bool Book::save(DialogService& dialogs) const {
    if (!isOpen())
        return false;
    QList<bookfile::Line> lines;
    lines.reserve(albums_.size());
    for (const BookAlbum& album : albums_)
        lines.append({album.name, album.folderSync});
    const WriteResult book = bookfile::write(paths_.bookFile, lines, mode_);
    report(book, dialogs);
    if (mode_ != BookMode::Media)
        return bool(book);
    const WriteResult media = registry_.saveToFile(paths_.mediaDat);
    report(media, dialogs);
    return book && media;
}

bool Book::savePictures(DialogService& dialogs) {
    if (!isOpen())
        return false;
    const WriteResult result = pictures_.saveToFile(paths_.pictureStoreBase());
    report(result, dialogs);
    if (result)
        picturesChanged_ = false;
    return bool(result);
}

void Book::saveCommand(DialogService& dialogs) {
    if (albums_.isEmpty())
        return;
    save(dialogs);
    savePictures(dialogs);
}

QByteArray Book::pictureOrPlaceholder(int i) {
    QByteArray jpeg;
    // The header tells an empty, blank or garbage entry from a picture without decoding it;
    // the grid decodes only the cells it draws.
    if (pictures_.getPicture(i, jpeg) && jpeg::readSize(jpeg))
        return jpeg;
    pictures_.setPicture(i, placeholderJpeg());
    picturesChanged_ = true;
    return placeholderJpeg();
}

void Book::showPicture(int i) {
    QByteArray jpeg;
    pictures_.getPicture(i, jpeg);
    if (cells_)
        cells_->setCellPicture(i, jpeg);
}

void Book::appendAlbum(const BookAlbum& album, const QImage& picture, const MediumRecord& record) {
    QByteArray jpeg = picture.isNull() ? QByteArray() : jpeg::encode(picture);
    if (jpeg.isEmpty())
        jpeg = placeholderJpeg();
    albums_.append(album);
    pictures_.addPicture(jpeg);
    registry_.add(record);
    picturesChanged_ = true;
    if (cells_)
        cells_->appendCell(album.name, jpeg, album.folderSync);
}

void Book::removeAlbum(int i) {
    if (!isValidIndex(i))
        return;
    albums_.removeAt(i);
    pictures_.remove(i);
    registry_.remove(i);
    picturesChanged_ = true;
    if (cells_)
        cells_->removeCell(i);
}

void Book::exchangeAlbums(int i, int j) {
    if (!isValidIndex(i) || !isValidIndex(j) || i == j)
        return;
    albums_.swapItemsAt(i, j);
    pictures_.exchange(i, j);
    registry_.exchange(i, j);
    picturesChanged_ = true;
    if (cells_)
        cells_->exchangeCells(i, j);
}

void Book::moveAlbum(int from, int to) {
    if (!isValidIndex(from) || !isValidIndex(to))
        return;
    for (int k = from; k < to; ++k)
        exchangeAlbums(k, k + 1);
    for (int k = from; k > to; --k)
        exchangeAlbums(k, k - 1);
}

void Book::reorder(const QList<int>& order) {
    if (order.size() != albums_.size())
        return;
    QList<int> slotOf(order.size(), -1); // where each old album stands now
    for (int k = 0; k < order.size(); ++k) {
        if (!isValidIndex(order[k]) || slotOf[order[k]] != -1)
            return;
        slotOf[order[k]] = k;
    }
    QList<int> albumAt(order.size()); // old index of the album in each slot
    for (int k = 0; k < order.size(); ++k)
        slotOf[k] = albumAt[k] = k;
    for (int k = 0; k < order.size(); ++k) {
        const int from = slotOf[order[k]];
        if (from == k)
            continue;
        exchangeAlbums(k, from);
        std::swap(albumAt[k], albumAt[from]);
        slotOf[albumAt[k]] = k;
        slotOf[albumAt[from]] = from;
    }
}

void Book::renameAlbum(int i, const QString& name) {
    if (!isValidIndex(i))
        return;
    albums_[i].name = name;
    if (cells_)
        cells_->setCellName(i, name);
}

void Book::setEntries(int i, const QStringList& entries) {
    if (isValidIndex(i))
        albums_[i].entries = entries;
}

void Book::setFolderSync(int i, bool folderSync) {
    if (!isValidIndex(i))
        return;
    albums_[i].folderSync = folderSync;
    if (cells_)
        cells_->setCellFolderSync(i, folderSync);
}

void Book::setPicture(int i, const QImage& picture) {
    if (!isValidIndex(i))
        return;
    if (picture.isNull() || !pictures_.setBitmap(i, picture))
        pictures_.setPicture(i, placeholderJpeg());
    picturesChanged_ = true;
    showPicture(i);
}

void Book::setPictureJpeg(int i, const QByteArray& jpeg) {
    if (!isValidIndex(i))
        return;
    pictures_.setPicture(i, jpeg::readSize(jpeg) ? jpeg : placeholderJpeg());
    picturesChanged_ = true;
    showPicture(i);
}

void Book::setRecord(int i, const MediumRecord& record) {
    registry_.set(i, record);
}

CurrentMedium Book::findMedium(int i, const QStringList& lines, const DriveProbe& probe) {
    if (!isValidIndex(i))
        return {};
    return determineCurrentMedium(registry_, i, lines, probe);
}

} // namespace tavimo
