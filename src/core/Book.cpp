#include "core/Book.h"

#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/CellRoles.h"
#include "core/DamagedFiles.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/MediaRegistry.h"
#include "core/NameRules.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace tavimo {

namespace {

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

Book::Book() = default;
Book::~Book() = default;

bool Book::makeFolder(const QString& path, QList<Problem>& problems) {
    if (QFileInfo(path).isDir() || QDir().mkdir(path))
        return true;
    problems.append(
        {QStringLiteral("Can not Createdirectory!"), path, QString(), Problem::Icon::Error, true});
    return false;
}

void Book::clearAlbums() {
    beginResetModel();
    rows_.clear();
    loaded_.reset();
    endResetModel();
    picturesChanged_ = false;
    picturesDamaged_ = false;
    registryDamaged_ = false;
    registryChanged_ = false;
}

void Book::close() {
    clearAlbums();
    paths_ = BookPaths{};
}

int Book::indexOfAlbum(const QString& name) const {
    for (int i = 0; i < count(); ++i)
        if (rows_.at(i).name == name)
            return i;
    return -1;
}

Book::LoadResult Book::load(const QString& libraryFolder, const QString& title, BookMode mode,
                            QList<Problem>& problems) {
    if (title.isEmpty())
        return LoadResult::NoTitle;
    close();
    // A title from a hand-edited settings file must not lead outside the library folder.
    if (const std::optional<Problem> refused = refusedName(title, NameKind::BookTitle)) {
        problems.append(*refused);
        return LoadResult::Unreadable;
    }
    const BookPaths paths = BookPaths::of(libraryFolder, title);

    // An unreadable book file must not be taken for an empty book: a later save would write
    // its albums away. The book stays closed until it is read.
    const auto lines = bookfile::read(paths.bookFile, mode);
    if (!lines) {
        problems.append({QStringLiteral("ブックファイルを読み込めません。\r\n%1")
                             .arg(QDir::toNativeSeparators(paths.bookFile)),
                         paths.bookFile, QString(), Problem::Icon::Error});
        return LoadResult::Unreadable;
    }
    paths_ = paths;
    mode_ = mode;

    const QString& bookFolder = paths_.bookFolder;
    const QString& imagesFolder = paths_.imagesFolder;
    if (!QFileInfo(bookFolder).isDir()) {
        const bool made = makeFolder(bookFolder, problems) && makeFolder(imagesFolder, problems);
        return made ? LoadResult::FoldersMade : LoadResult::FolderFailed;
    }
    if (!makeFolder(imagesFolder, problems))
        return LoadResult::FolderFailed;

    const int lineCount = int(lines->size());
    auto pictures = std::make_shared<Tpackedjpg>();
    if (!QFileInfo::exists(paths_.pictureStore)) {
        picturesChanged_ = true;
    } else if (!pictures->loadFromFile(paths_.pictureStore)) {
        picturesChanged_ = true;
        picturesDamaged_ = true;
    }
    if (pictures->count() != lineCount)
        picturesChanged_ = true;
    MediaRegistry registry;
    if (mode == BookMode::Media && QFileInfo::exists(paths_.mediaDat))
        registryDamaged_ = !registry.loadFromFile(paths_.mediaDat, problems);
    // A registry that is merely short is written fitted; a damaged one stays as it is.
    registryChanged_ =
        mode == BookMode::Media && !registryDamaged_ && registry.count() != lineCount;

    QStringList refused, unreadable;
    QList<BookAlbum> albums;
    albums.reserve(lineCount);
    for (int j = 0; j < lineCount; ++j) {
        const bookfile::Line& line = lines->at(j);
        const bool unsafe = escapesBookFolder(line.name);
        if (unsafe || !QFileInfo::exists(AlbumPaths::of(paths_, line.name).album)) {
            if (unsafe)
                refused.append(line.name);
            picturesChanged_ = true;
            registryChanged_ = registryChanged_ || mode == BookMode::Media;
            continue;
        }
        const QString albumPath = AlbumPaths::of(paths_, line.name).album;
        auto entries = albumfile::read(albumPath);
        if (!entries)
            unreadable.append(albumPath);
        BookAlbum album{line.name, entries.value_or(QStringList()), line.folderSync};
        album.readable = entries.has_value();
        album.jpeg = pictures->sharedPicture(j);
        // The header tells an empty, blank or garbage entry from a picture without decoding
        // it; the grid decodes only the cells it draws.
        if (!jpeg::readSize(album.jpeg)) {
            album.jpeg = placeholderJpeg();
            picturesChanged_ = true;
        }
        album.picture = CellPicture::fromJpeg(album.jpeg);
        album.record = registry.get(j);
        albums.append(std::move(album));
    }
    beginResetModel();
    rows_ = std::move(albums);
    loaded_ = std::move(pictures);
    endResetModel();

    if (!refused.isEmpty())
        problems.append(
            {QStringLiteral("ブックの外を指す名前のアルバムはブックから外しました。\r\n%1")
                 .arg(refused.join(QStringLiteral("\r\n"))),
             QString(), QString(), Problem::Icon::Warning});
    // Kept in the book, shown empty: the album's own file stays as it is.
    if (!unreadable.isEmpty())
        problems.append(
            {QStringLiteral("アルバムファイルを読み込めません。\r\n%1")
                 .arg(QDir::toNativeSeparators(unreadable.join(QStringLiteral("\r\n")))),
             unreadable.first(), QString(), Problem::Icon::Warning});

    return LoadResult::Loaded;
}

bool Book::openNew(const QString& libraryFolder, const QString& title, BookMode mode,
                   QList<Problem>& problems) {
    clearAlbums();
    paths_ = BookPaths::of(libraryFolder, title);
    mode_ = mode;
    // A book folder left behind without its images folder is reused, not fatal.
    if (!makeFolder(paths_.bookFolder, problems) || !makeFolder(paths_.imagesFolder, problems))
        return false;
    registryChanged_ = true;
    picturesChanged_ = true;
    return true;
}

bool Book::stageTo(SaveUnit& unit) {
    if (!isOpen())
        return false;
    QList<bookfile::Line> lines;
    lines.reserve(rows_.size());
    for (const BookAlbum& album : rows_)
        lines.append({album.name, album.folderSync});
    if (!unit.stage(paths_.bookFile,
                    textfile::encodeLinesFor(paths_.bookFile, bookfile::format(lines, mode_))))
        return false;
    // A damaged media.dat stays as it was until a record changes; then it is kept beside.
    if (mode_ == BookMode::Media && !(registryDamaged_ && !registryChanged_)) {
        if (registryDamaged_ && !unit.keepDamagedCopy(paths_.mediaDat))
            return false;
        registryDamaged_ = false;
        if (!unit.stage(paths_.mediaDat, registry().encoded()))
            return false;
    }
    if (!picturesChanged_)
        return true;
    if (picturesDamaged_ && !unit.keepDamagedCopy(paths_.pictureStore))
        return false;
    picturesDamaged_ = false;
    return pictures().stageTo(unit, paths_.pictureStoreBase());
}

void Book::markSaved() {
    picturesChanged_ = false;
    registryChanged_ = false;
}

Book::SaveState Book::saveState() const {
    return {picturesChanged_, picturesDamaged_, registryChanged_, registryDamaged_};
}

void Book::restoreSaveState(const SaveState& state) {
    picturesChanged_ = picturesChanged_ || state.picturesChanged;
    picturesDamaged_ = picturesDamaged_ || state.picturesDamaged;
    registryChanged_ = registryChanged_ || state.registryChanged;
    registryDamaged_ = registryDamaged_ || state.registryDamaged;
}

Tpackedjpg Book::pictures() const {
    Tpackedjpg store;
    if (loaded_)
        store.shareLoadedBytes(*loaded_);
    for (const BookAlbum& album : rows_)
        store.addSharedPicture(album.jpeg);
    return store;
}

MediaRegistry Book::registry() const {
    MediaRegistry registry;
    for (const BookAlbum& album : rows_)
        registry.add(album.record);
    return registry;
}

void Book::appendAlbum(const BookAlbum& album, const QImage& picture) {
    BookAlbum row = album;
    if (!picture.isNull())
        row.jpeg = jpeg::encode(picture);
    if (!jpeg::readSize(row.jpeg))
        row.jpeg = placeholderJpeg();
    row.picture = CellPicture::fromJpeg(row.jpeg);
    appendRow(std::move(row));
    rowsRearranged();
}

void Book::removeAlbum(int i) {
    if (!isValidIndex(i))
        return;
    removeRowAt(i);
    rowsRearranged();
}

void Book::insertAlbum(int i, const BookAlbum& album) {
    if (i < 0 || i > count())
        return;
    insertRowAt(i, album);
    rowsRearranged();
}

// Every change of the rows' number or order changes the book file, the picture store and
// media.dat alike.
void Book::rowsRearranged() {
    picturesChanged_ = true;
    registryChanged_ = true;
    Q_EMIT bookChanged();
}

void Book::renameAlbum(int i, const QString& name) {
    if (!isValidIndex(i))
        return;
    rows_[i].name = name;
    rowUpdated(i, {Qt::DisplayRole});
    Q_EMIT bookChanged();
}

void Book::setEntries(int i, const QStringList& entries) {
    if (isValidIndex(i))
        rows_[i].entries = entries;
}

QStringList Book::takeEntries(int i) {
    return isValidIndex(i) ? std::exchange(rows_[i].entries, {}) : QStringList();
}

void Book::setFolderSync(int i, bool folderSync) {
    if (!isValidIndex(i) || rows_.at(i).folderSync == folderSync)
        return;
    rows_[i].folderSync = folderSync;
    rowUpdated(i, {SyncMarkRole});
    Q_EMIT bookChanged();
}

void Book::setJpeg(int i, const QByteArray& jpeg) {
    BookAlbum& album = rows_[i];
    album.jpeg =
        jpeg::readSize(jpeg) ? QByteArray(jpeg.constData(), jpeg.size()) : placeholderJpeg();
    album.picture = CellPicture::fromJpeg(album.jpeg);
    picturesChanged_ = true;
    rowUpdated(i, {PictureRole});
    Q_EMIT bookChanged();
}

void Book::setPicture(int i, const QImage& picture) {
    if (isValidIndex(i))
        setJpeg(i, picture.isNull() ? QByteArray() : jpeg::encode(picture));
}

void Book::setPictureJpeg(int i, const QByteArray& jpeg) {
    if (isValidIndex(i))
        setJpeg(i, jpeg);
}

void Book::setRecord(int i, const MediumRecord& record) {
    if (!isValidIndex(i) || rows_.at(i).record == record)
        return;
    rows_[i].record = record;
    registryChanged_ = true;
    Q_EMIT bookChanged();
}

CurrentMedium Book::findMedium(int i, const QStringList& lines, const DriveProbe& probe) {
    if (!isValidIndex(i))
        return {};
    MediumRecord record = rows_.at(i).record;
    const CurrentMedium current = determineCurrentMedium(record, lines, probe);
    setRecord(i, record);
    return current;
}

QVariant Book::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !isValidIndex(index.row()))
        return {};
    const BookAlbum& album = rows_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return album.name;
    case PictureRole:
        return QVariant::fromValue(album.picture);
    case SyncMarkRole:
        return album.folderSync;
    default:
        return {};
    }
}

} // namespace tavimo
