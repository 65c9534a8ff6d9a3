#include "core/LibrarySession.h"

#include "core/AlbumContents.h"
#include "core/AlbumFiles.h"
#include "core/AlbumSaving.h"
#include "core/DialogService.h"
#include "core/NameRules.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

namespace {
// A change is written this long after the last one...
constexpr int kDefaultSaveDelay = 250;
// ...but no later than this after the first one while changes keep coming (a thumbnail run), so
// that with the time the writing takes every change is on the disk within a second.
constexpr int kDefaultLongestSaveDelay = 500;
// A failed save is tried again after this long.
constexpr int kRetryDelay = 2000;

} // namespace

LibrarySession::LibrarySession(const QString& libraryFolder, DialogService& dialogs,
                               const VolumeTable& volumes)
    : libraryFolder_(libraryFolder.endsWith(u'/') ? libraryFolder : libraryFolder + u'/'),
      dialogs_(dialogs), probe_(volumes) {
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this] { flush(); });
    }
    saveTimer_.setInterval(kDefaultSaveDelay);
    deadlineTimer_.setInterval(kDefaultLongestSaveDelay);
    retryTimer_.setInterval(kRetryDelay);
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

void LibrarySession::setSaveDelay(int milliseconds) {
    saveTimer_.setInterval(milliseconds);
    deadlineTimer_.setInterval(std::max(milliseconds, deadlineTimer_.interval()));
}

void LibrarySession::setLongestSaveDelay(int milliseconds) {
    deadlineTimer_.setInterval(milliseconds);
}

bool LibrarySession::leaveBook() {
    if (flush())
        return true;
    const auto answer = dialogs_.message(
        QStringLiteral("%1\r\n\r\n保存されていない変更を捨てて切り替えますか？").arg(saveFailure_),
        DialogService::Buttons::YesNo, DialogService::Icon::Warning);
    if (answer != DialogService::Answer::Yes)
        return false;
    discardPending();
    return true;
}

void LibrarySession::discardPending() {
    albumRowsDirty_ = albumMarksDirty_ = bookDirty_ = false;
    lastFailure_ = WriteResult{};
    saveFailure_.clear();
    reportedFailure_.clear();
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_})
        timer->stop();
}

bool LibrarySession::closeBook() {
    if (!leaveBook())
        return false;
    closeAlbum();
    book_.close();
    bookDirty_ = false;
    return true;
}

bool LibrarySession::switchMode(BookMode mode) {
    if (!closeBook())
        return false;
    book_.setMode(mode);
    Q_EMIT bookReplaced();
    return true;
}

Book::LoadResult LibrarySession::loadBook(const QString& title) {
    if (!closeBook())
        return Book::LoadResult::Kept;
    QList<Problem> problems;
    const Book::LoadResult result = book_.load(libraryFolder_, title, mode(), problems);
    dialogs_.tell(problems);
    if (result == Book::LoadResult::Loaded) {
        // Such an album's store would be the book's picture store: it is shown, never written.
        for (const BookAlbum& album : book_.albums())
            if (albumNamedLikeBook(album.name, book_.paths().title))
                dialogs_.message(albumNamedLikeBookReport(album.name), DialogService::Buttons::Ok,
                                 DialogService::Icon::Warning);
        // What loading fitted (albums without files, pictures, records) is written at once.
        bookDirty_ = true;
        flush();
    }
    Q_EMIT bookReplaced();
    return result;
}

Book::LoadResult LibrarySession::createBook(const QString& title,
                                            const std::optional<QStringList>& mediaBooks) {
    if (!closeBook())
        return Book::LoadResult::Kept;
    QList<Problem> problems;
    const bool opened = book_.openNew(libraryFolder_, title, mode(), problems);
    dialogs_.tell(problems);
    if (!opened) {
        Q_EMIT bookReplaced();
        return Book::LoadResult::FolderFailed;
    }
    bookDirty_ = true;
    flush([&](SaveUnit& unit) {
        return !mediaBooks ||
               unit.stage(libraryFolder_ + QStringLiteral("media.inf"),
                          textfile::encodeLinesFor(libraryFolder_ + QStringLiteral("media.inf"),
                                                   *mediaBooks));
    });
    Q_EMIT bookReplaced();
    return Book::LoadResult::Loaded;
}

bool LibrarySession::openAlbum(int index) {
    if (albumOpen() || !book_.isValidIndex(index))
        return false;
    const BookAlbum& listed = book_.album(index);
    const AlbumPaths paths = book_.albumPaths(index);
    // The book read the album file when it loaded; one that failed then is read again, and
    // stays unwritable while it cannot be read.
    albumReadOnly_ = !listed.readable;
    QStringList entries = book_.takeEntries(index);
    if (albumReadOnly_) {
        if (auto lines = albumfile::read(paths.album)) {
            entries = *lines;
            albumReadOnly_ = false;
        }
    }
    if (albumReadOnly_)
        dialogs_.message(
            QStringLiteral("アルバムファイルを読み込めません。読み取り専用で開きます。\r\n%1")
                .arg(QDir::toNativeSeparators(paths.album)),
            DialogService::Buttons::Ok, DialogService::Icon::Warning);
    albumReadOnly_ = albumReadOnly_ || albumNamedLikeBook(listed.name, book_.paths().title);

    Tpackedjpg store;
    const AlbumContents contents = openAlbumContents(paths, entries, store);
    dialogs_.tell(contents.marks.problems);
    const bool blanksDropped = contents.entries.size() != entries.size();
    albumIndex_ = index;
    album_.setIdentity(book_, index);
    album_.assign(contents.entries, contents.marks, std::move(store));
    if (blanksDropped)
        album_.setFittedOnAssign(true);
    album_.setDriveRoot(QString());
    if (book_.mode() == BookMode::Media) {
        const CurrentMedium medium = book_.findMedium(index, contents.entries, probe_);
        album_.setDriveRoot(medium.root);
        // Opening may identify the album's medium by its files: keep what was learnt at once.
        if (bookDirty_)
            flush();
    }
    albumDamaged_ = contents.damaged;
    albumRowsDirty_ = albumMarksDirty_ = false;
    return true;
}

void LibrarySession::closeAlbum() {
    if (!albumOpen())
        return;
    flush();
    // The entries go back to the book: from now on it holds them.
    book_.setEntries(albumIndex_, album_.entries());
    album_.clear();
    albumDamaged_.clear();
    albumIndex_ = -1;
    albumReadOnly_ = false;
    albumRowsDirty_ = albumMarksDirty_ = false;
}

QStringList LibrarySession::entriesOf(int index) const {
    if (index == albumIndex_ && albumOpen())
        return album_.entries();
    return book_.isValidIndex(index) ? book_.album(index).entries : QStringList();
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
    album_.setDriveRoot(root);
    if (!albumOpen() || !album_.isMediaMode() || book_.record(albumIndex_) == record)
        return;
    book_.setRecord(albumIndex_, record);
    flush();
}

void LibrarySession::setAlbumPicture(const QByteArray& jpeg) {
    if (albumOpen())
        book_.setPictureJpeg(albumIndex_, jpeg);
}

void LibrarySession::scheduleSave() {
    saveTimer_.start();
    if (!deadlineTimer_.isActive())
        deadlineTimer_.start();
}

bool LibrarySession::saveBook() {
    bookDirty_ = bookDirty_ || book_.isOpen();
    return flush();
}

bool LibrarySession::hasPendingSaves() const {
    return albumRowsDirty_ || albumMarksDirty_ || bookDirty_;
}

bool LibrarySession::stageAlbum(SaveUnit& unit) {
    // What could not be read is not written over before a copy of it is kept.
    while (!albumDamaged_.isEmpty()) {
        if (!unit.keepDamagedCopy(albumDamaged_.first()))
            return false;
        albumDamaged_.removeFirst();
    }
    return albumRowsDirty_ ? stageAlbumFiles(album_, unit) : stageAlbumMarks(album_, unit);
}

bool LibrarySession::flush(const std::function<bool(SaveUnit&)>& also, bool report) {
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_})
        timer->stop();
    if (!albumOpen() || albumReadOnly_)
        albumRowsDirty_ = albumMarksDirty_ = false;
    if (!book_.isOpen())
        bookDirty_ = false;
    if (!hasPendingSaves() && !also)
        return true;

    SaveUnit unit(libraryFolder_);
    const bool albumDue = albumRowsDirty_ || albumMarksDirty_;
    const bool bookDue = bookDirty_;
    const bool staged = (!albumDue || stageAlbum(unit)) && (!bookDue || book_.stageTo(unit)) &&
                        (!also || also(unit));
    if (staged && unit.commit()) {
        albumRowsDirty_ = albumMarksDirty_ = bookDirty_ = false;
        if (bookDue)
            book_.markSaved();
        lastFailure_ = WriteResult{};
        saveFailure_.clear();
        reportedFailure_.clear();
        Q_EMIT saved();
        if (!unit.notRemoved().isEmpty())
            dialogs_.message(
                QStringLiteral("ファイルを削除できません。\r\n%1")
                    .arg(QDir::toNativeSeparators(unit.notRemoved().join(QStringLiteral("\r\n")))),
                DialogService::Buttons::Ok, DialogService::Icon::Error);
        return true;
    }
    // Kept pending and tried again; told once while it fails the same way.
    lastFailure_ = unit.failure();
    saveFailure_ = lastFailure_.message();
    if (report && saveFailure_ != reportedFailure_) {
        reportedFailure_ = saveFailure_;
        dialogs_.message(saveFailure_, DialogService::Buttons::Ok, DialogService::Icon::Error);
    }
    Q_EMIT saveFailed(saveFailure_);
    if (hasPendingSaves())
        retryTimer_.start();
    return false;
}

void LibrarySession::markAlbumChanged() {
    // Fitting files that could not be read is no reason to write over them.
    if (!albumOpen() || !albumDamaged_.isEmpty())
        return;
    albumRowsDirty_ = true;
    scheduleSave();
}

} // namespace tavimo
