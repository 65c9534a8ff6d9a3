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
// Rows a thumbnail run adds to a big album are written at the latest this long after the first
// of them: within a second, with the time the writing takes, and not more often, since each save
// rewrites the whole album file. A smaller album takes the usual deadline.
constexpr int kRunRowsDelay = 800;
constexpr int kBigAlbumRows = 2000;
// Pictures a thumbnail run made are written with the store, which is rewritten whole: when they
// come to twice what the store held when it was last written (so that a run writes its store
// about one and a half times over in all)...
constexpr qsizetype kPictureGrowth = 2;
constexpr qsizetype kLeastPictureBytes = 256 * 1024;
// ...or at the latest after a minute, or five seconds per megabyte of a larger store, so that
// writing it takes a small share of the run. A kill loses no more than these pictures, which are
// made again when the album is next shown.
constexpr qsizetype kStoreBytesPerPictureSecond = 200 * 1024;
constexpr int kLeastPictureDelay = 60000;

} // namespace

LibrarySession::LibrarySession(const QString& libraryFolder, DialogService& dialogs,
                               const VolumeTable& volumes)
    : libraryFolder_(libraryFolder.endsWith(u'/') ? libraryFolder : libraryFolder + u'/'),
      dialogs_(dialogs), probe_(volumes),
      writer_(std::make_unique<SaveWriter>(
          [this](const SaveWriter::Result& result) { unitWritten(result); })) {
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_}) {
        timer->setSingleShot(true);
        // A retry takes along the pictures that the failed save held.
        connect(timer, &QTimer::timeout, this,
                [this, timer] { submitPending(timer == &retryTimer_, {}, true); });
    }
    pictureTimer_.setSingleShot(true);
    connect(&pictureTimer_, &QTimer::timeout, this, &LibrarySession::pictureWriteDue);
    saveTimer_.setInterval(kDefaultSaveDelay);
    deadlineDelay_ = kDefaultLongestSaveDelay;
    retryTimer_.setInterval(kRetryDelay);
    connect(&album_, &Album::rowsChanged, this, &LibrarySession::albumRowsChanged);
    connect(&album_, &Album::madeRowsAppended, this, [this](qsizetype bytes) {
        if (!albumOpen())
            return;
        albumEntriesDirty_ = true;
        if (!deadlineTimer_.isActive())
            deadlineTimer_.start(album_.count() < kBigAlbumRows ? deadlineDelay_ : kRunRowsDelay);
        picturesMade(bytes);
    });
    connect(&album_, &Album::picturesMade, this, &LibrarySession::picturesMade);
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
    // Whatever the writer tells from now on has no session to reach.
    writer_.reset();
}

void LibrarySession::setSaveDelay(int milliseconds) {
    saveTimer_.setInterval(milliseconds);
    deadlineDelay_ = std::max(milliseconds, deadlineDelay_);
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
    albumRowsDirty_ = albumEntriesDirty_ = albumMarksDirty_ = albumPicturesDirty_ = bookDirty_ =
        false;
    picturesPending_ = 0;
    lastFailure_ = WriteResult{};
    saveFailure_.clear();
    reportedFailure_.clear();
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_, &pictureTimer_})
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
    albumRowsDirty_ = albumEntriesDirty_ = albumMarksDirty_ = albumPicturesDirty_ = false;
    picturesPending_ = 0;
    storeWritten_ = 0;
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
    albumRowsDirty_ = albumEntriesDirty_ = albumMarksDirty_ = albumPicturesDirty_ = false;
    picturesPending_ = 0;
    pictureTimer_.stop();
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
    // A change of the user's is never later than the usual deadline, whatever waits already.
    if (!deadlineTimer_.isActive() || deadlineTimer_.remainingTime() > deadlineDelay_)
        deadlineTimer_.start(deadlineDelay_);
}

bool LibrarySession::saveBook() {
    bookDirty_ = bookDirty_ || book_.isOpen();
    return flush();
}

bool LibrarySession::hasPendingSaves() const {
    return albumRowsDirty_ || albumEntriesDirty_ || albumMarksDirty_ || albumPicturesDirty_ ||
           bookDirty_ || !inFlight_.empty();
}

void LibrarySession::picturesMade(qsizetype bytes) {
    if (!albumOpen())
        return;
    albumPicturesDirty_ = true;
    picturesPending_ += bytes;
    if (picturesPending_ >= std::max(kLeastPictureBytes, storeWritten_ * kPictureGrowth)) {
        pictureWriteDue();
        return;
    }
    if (!pictureTimer_.isActive())
        pictureTimer_.start(int(std::max<qsizetype>(
            storeWritten_ / kStoreBytesPerPictureSecond * 1000, kLeastPictureDelay)));
}

void LibrarySession::pictureWriteDue() {
    pictureTimer_.stop();
    if (albumPicturesDirty_)
        submitPending(true, {}, true);
}

void LibrarySession::saveSoon() {
    submitPending(true, {}, true);
}

bool LibrarySession::stageAlbum(SaveUnit& unit, bool withPictures) {
    // What could not be read is not written over before a copy of it is kept.
    for (const QString& damaged : std::as_const(albumDamaged_))
        unit.keepDamagedCopy(damaged);
    const bool store = albumRowsDirty_ || (albumPicturesDirty_ && withPictures);
    const bool entries = albumRowsDirty_ || albumEntriesDirty_;
    if (store) {
        const Tpackedjpg pictures = album_.store();
        storeWritten_ = pictures.byteSize();
        if (!pictures.stageTo(unit, album_.paths().storeBase))
            return false;
    }
    // The album file may list rows at its end that the store on the disk has no pictures for
    // yet; opening the album makes those again. Rows in any other order take the store along.
    if (entries)
        return stageAlbumEntries(album_, unit);
    return !albumMarksDirty_ || stageAlbumMarks(album_, unit);
}

bool LibrarySession::submitPending(bool withPictures, const std::function<bool(SaveUnit&)>& also,
                                   bool report) {
    for (QTimer* timer : {&saveTimer_, &deadlineTimer_, &retryTimer_})
        timer->stop();
    if (!albumOpen() || albumReadOnly_)
        albumRowsDirty_ = albumEntriesDirty_ = albumMarksDirty_ = albumPicturesDirty_ = false;
    if (!book_.isOpen())
        bookDirty_ = false;
    Carried carried;
    carried.albumRows = albumRowsDirty_;
    carried.albumEntries = albumEntriesDirty_;
    carried.albumMarks = albumMarksDirty_;
    carried.albumPictures = albumPicturesDirty_ && (withPictures || albumRowsDirty_);
    carried.book = bookDirty_;
    carried.report = report;
    const bool albumDue =
        carried.albumRows || carried.albumEntries || carried.albumMarks || carried.albumPictures;
    if (!albumDue && !carried.book && !also)
        return true;

    auto unit = std::make_unique<SaveUnit>(libraryFolder_);
    carried.bookState = book_.saveState();
    if (albumDue)
        carried.albumDamaged = albumDamaged_;
    const bool staged = (!albumDue || stageAlbum(*unit, withPictures)) &&
                        (!carried.book || book_.stageTo(*unit)) && (!also || also(*unit));
    if (!staged) {
        book_.restoreSaveState(carried.bookState);
        tellFailure(unit->failure(), report);
        return false;
    }
    // From here on the unit holds the change: what it carries is due again only if it fails.
    albumRowsDirty_ = albumEntriesDirty_ = albumMarksDirty_ = bookDirty_ = false;
    if (carried.albumPictures) {
        albumPicturesDirty_ = false;
        picturesPending_ = 0;
        pictureTimer_.stop();
    }
    if (carried.book)
        book_.markSaved();
    if (albumDue)
        albumDamaged_.clear();
    inFlight_.push_back(std::move(carried));
    writer_->submit(std::move(unit));
    return true;
}

void LibrarySession::unitWritten(const SaveWriter::Result& result) {
    if (inFlight_.empty())
        return;
    const Carried carried = std::move(inFlight_.front());
    inFlight_.pop_front();
    if (result.failure) {
        lastFailure_ = WriteResult{};
        saveFailure_.clear();
        reportedFailure_.clear();
        Q_EMIT saved();
        if (!result.notRemoved.isEmpty())
            dialogs_.message(
                QStringLiteral("ファイルを削除できません。\r\n%1")
                    .arg(QDir::toNativeSeparators(result.notRemoved.join(QStringLiteral("\r\n")))),
                DialogService::Buttons::Ok, DialogService::Icon::Error);
        return;
    }
    // Due again, with whatever came since; the writer holds back the units behind this one, so
    // none of them is on the disk without it.
    albumRowsDirty_ = albumRowsDirty_ || carried.albumRows;
    albumEntriesDirty_ = albumEntriesDirty_ || carried.albumEntries;
    albumMarksDirty_ = albumMarksDirty_ || carried.albumMarks;
    albumPicturesDirty_ = albumPicturesDirty_ || carried.albumPictures;
    bookDirty_ = bookDirty_ || carried.book;
    if (carried.book)
        book_.restoreSaveState(carried.bookState);
    for (const QString& damaged : carried.albumDamaged)
        if (!albumDamaged_.contains(damaged))
            albumDamaged_.append(damaged);
    if (!result.skipped)
        tellFailure(result.failure, carried.report);
    if (inFlight_.empty())
        writer_->resume();
}

void LibrarySession::tellFailure(const WriteResult& failure, bool report) {
    // Kept pending and tried again; told once while it fails the same way.
    lastFailure_ = failure;
    saveFailure_ = lastFailure_.message();
    if (report && saveFailure_ != reportedFailure_) {
        reportedFailure_ = saveFailure_;
        dialogs_.message(saveFailure_, DialogService::Buttons::Ok, DialogService::Icon::Error);
    }
    if (hasPendingSaves())
        retryTimer_.start();
}

bool LibrarySession::flush(const std::function<bool(SaveUnit&)>& also, bool report) {
    // Units handed over earlier are written first, and a failure among them is heard before
    // this one is described, so that it carries whatever that failure left due.
    writer_->waitForAll();
    if (!submitPending(true, also, report))
        return false;
    writer_->waitForAll();
    if (!lastFailure_)
        return false;
    retryTimer_.stop();
    return !hasPendingSaves();
}

void LibrarySession::markAlbumChanged() {
    // Fitting files that could not be read is no reason to write over them.
    if (!albumOpen() || !albumDamaged_.isEmpty())
        return;
    albumRowsDirty_ = true;
    scheduleSave();
}

} // namespace tavimo
