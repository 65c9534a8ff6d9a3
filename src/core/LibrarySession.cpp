#include "core/LibrarySession.h"

#include "core/AlbumContents.h"
#include "core/AlbumFiles.h"
#include "core/AlbumSaving.h"
#include "core/DamagedFiles.h"
#include "core/DialogService.h"
#include "core/NameRules.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

namespace {
constexpr int kDefaultSaveDelay = 300;

} // namespace

LibrarySession::LibrarySession(const QString& libraryFolder, DialogService& dialogs,
                               const VolumeTable& volumes)
    : libraryFolder_(libraryFolder.endsWith(u'/') ? libraryFolder : libraryFolder + u'/'),
      dialogs_(dialogs), probe_(volumes) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kDefaultSaveDelay);
    connect(&saveTimer_, &QTimer::timeout, this, &LibrarySession::flush);
    connect(&album_, &Album::rowsChanged, this, &LibrarySession::albumRowsChanged);
    connect(&album_, &Album::marksChanged, this, [this] {
        albumMarksDirty_ = true;
        scheduleSave();
    });
    connect(&book_, &Book::bookChanged, this, [this] {
        bookDirty_ = true;
        scheduleSave();
    });
}

// Nothing pending is lost when the session goes (a test, an exit that skipped its sequence).
LibrarySession::~LibrarySession() {
    flush();
}

Book::LoadResult LibrarySession::loadBook(const QString& title) {
    closeBook();
    const Book::LoadResult result = book_.load(libraryFolder_, title, mode_, dialogs_);
    // Such an album's store would be the book's picture store: it is shown, never written.
    for (const BookAlbum& album : book_.albums())
        if (albumNamedLikeBook(album.name, book_.paths().title))
            dialogs_.message(albumNamedLikeBookReport(album.name), DialogService::Buttons::Ok,
                             DialogService::Icon::Warning);
    Q_EMIT bookReplaced();
    return result;
}

bool LibrarySession::createBook(const QString& title) {
    closeBook();
    const bool made = book_.openNew(libraryFolder_, title, mode_, dialogs_);
    Q_EMIT bookReplaced();
    return made;
}

void LibrarySession::closeBook() {
    closeAlbum();
    flush();
    book_.close();
    bookDirty_ = false;
}

bool LibrarySession::openAlbum(int index) {
    if (albumOpen() || !book_.isValidIndex(index))
        return false;
    const BookAlbum& listed = book_.album(index);
    const AlbumPaths paths = book_.albumPaths(index);
    // The book read the album file when it loaded; one that failed then is read again, and
    // stays unwritable while it cannot be read.
    QStringList entries = listed.entries;
    albumReadOnly_ = !listed.readable;
    if (albumReadOnly_) {
        if (auto lines = albumfile::read(paths.album)) {
            entries = *lines;
            albumReadOnly_ = false;
            book_.setEntries(index, entries);
        }
    }
    if (albumReadOnly_)
        dialogs_.message(
            QStringLiteral("アルバムファイルを読み込めません。読み取り専用で開きます。\r\n%1")
                .arg(QDir::toNativeSeparators(paths.album)),
            DialogService::Buttons::Ok, DialogService::Icon::Warning);
    albumReadOnly_ = albumReadOnly_ || albumNamedLikeBook(listed.name, book_.paths().title);

    Tpackedjpg store;
    const AlbumContents contents = openAlbumContents(paths, entries, store, dialogs_);
    const bool blanksDropped = contents.entries.size() != entries.size();
    albumIndex_ = index;
    album_.setIdentity(book_.paths(), listed.name, book_.mode());
    album_.assign(contents.entries, contents.marks, std::move(store));
    if (blanksDropped)
        album_.setFittedOnAssign(true);
    if (book_.mode() == BookMode::Media) {
        const CurrentMedium medium = book_.findMedium(index, contents.entries, probe_);
        album_.setMedium(medium.record, medium.root);
        // Opening may identify the album's medium by its files: keep what was learnt at once.
        if (bookDirty_)
            flush();
    } else {
        album_.setMedium(MediumRecord{}, QString());
    }
    albumDamaged_ = contents.damaged;
    albumRowsDirty_ = albumMarksDirty_ = false;
    return true;
}

void LibrarySession::closeAlbum() {
    if (!albumOpen())
        return;
    flush();
    album_.clear();
    albumDamaged_.clear();
    albumIndex_ = -1;
    albumReadOnly_ = false;
    albumRowsDirty_ = albumMarksDirty_ = false;
}

void LibrarySession::albumRowsChanged() {
    if (!albumOpen())
        return;
    applyEmptyMediumRule();
    albumRowsDirty_ = true;
    scheduleSave();
}

void LibrarySession::applyEmptyMediumRule() {
    if (!album_.isMediaMode() || album_.count() > 0 || album_.medium() == MediumRecord{})
        return;
    recordMedium(MediumRecord{}, album_.driveRoot());
}

void LibrarySession::recordMedium(const MediumRecord& record, const QString& root) {
    album_.setMedium(record, root);
    if (!albumOpen() || !album_.isMediaMode() || book_.record(albumIndex_) == record)
        return;
    book_.setRecord(albumIndex_, record);
    book_.save(dialogs_);
}

int LibrarySession::createAlbum(QString name) {
    if (name.isEmpty() || !book_.isOpen())
        return -1;
    const auto taken = [this](const QString& candidate) {
        if (albumNamedLikeBook(candidate, book_.paths().title))
            return true;
        for (const BookAlbum& album : book_.albums())
            if (album.name.compare(candidate, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    while (taken(name))
        name += u'_';
    if (!acceptAlbumName(name, book_.paths().title, dialogs_))
        return -1;
    const WriteResult written = albumfile::write(AlbumPaths::of(book_.paths(), name).album, {});
    if (!written) {
        dialogs_.message(written.message(), DialogService::Buttons::Ok,
                         DialogService::Icon::Error);
        return -1;
    }
    book_.appendAlbum(BookAlbum{.name = name});
    return book_.count() - 1;
}

void LibrarySession::setAlbumPicture(const QByteArray& jpeg) {
    if (albumOpen())
        book_.setPictureJpeg(albumIndex_, jpeg);
}

void LibrarySession::scheduleSave() {
    saveTimer_.start();
}

bool LibrarySession::hasPendingSaves() const {
    return albumRowsDirty_ || albumMarksDirty_ || bookDirty_;
}

void LibrarySession::flush() {
    saveTimer_.stop();
    if (albumOpen() && !albumReadOnly_) {
        // What could not be read is not written over before a copy of it is kept. A failed
        // write was shown and stays due: the next change or flush tries again.
        const bool due = albumRowsDirty_ || albumMarksDirty_;
        if (due && keepDamagedFiles()) {
            if (albumRowsDirty_) {
                book_.setEntries(albumIndex_, album_.entries());
                albumRowsDirty_ = albumMarksDirty_ = !saveAlbumFiles(album_, dialogs_);
            } else {
                albumMarksDirty_ = !saveAlbumMarks(album_, dialogs_);
            }
        }
    } else {
        albumRowsDirty_ = albumMarksDirty_ = false;
    }
    if (bookDirty_ && book_.isOpen()) {
        const bool saved = book_.save(dialogs_);
        bookDirty_ = !saved || (book_.picturesChanged() && !book_.savePictures(dialogs_));
    } else {
        bookDirty_ = false;
    }
}

bool LibrarySession::keepDamagedFiles() {
    while (!albumDamaged_.isEmpty()) {
        const QString path = albumDamaged_.first();
        if (!keepDamagedCopy(path)) {
            dialogs_.message(QStringLiteral("ファイルを保存できませんでした。\r\n%1")
                                 .arg(QDir::toNativeSeparators(path + QStringLiteral(".damaged"))),
                             DialogService::Buttons::Ok, DialogService::Icon::Error);
            return false;
        }
        albumDamaged_.removeFirst();
    }
    return true;
}

void LibrarySession::markAlbumChanged() {
    // Fitting files that could not be read is no reason to write over them.
    if (!albumOpen() || !albumDamaged_.isEmpty())
        return;
    albumRowsDirty_ = true;
    scheduleSave();
}

} // namespace tavimo
