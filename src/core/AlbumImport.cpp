#include "core/AlbumImport.h"

#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/FileCopy.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tavimo {

namespace {

// The picture the source book keeps for the album: its entry in the book's picture store at
// the album's line of the book file (a "-->" line too). Empty when there is none.
QByteArray pictureFromSourceBook(const QString& libraryFolder, const QString& sourceFolder,
                                 const QString& name) {
    const QString title = QFileInfo(sourceFolder).fileName();
    const BookPaths source = BookPaths::of(libraryFolder, title);
    // Only a book of this library: the folder must be the book's own folder.
    if (QDir::cleanPath(QFileInfo(sourceFolder).absoluteFilePath()) !=
        QDir::cleanPath(QFileInfo(source.bookFolder).absoluteFilePath()))
        return {};
    const auto lines = bookfile::read(source.bookFile, BookMode::Normal);
    if (!lines)
        return {};
    int line = -1;
    for (int k = 0; k < lines->size() && line < 0; ++k)
        if (lines->at(k).name.compare(name, Qt::CaseInsensitive) == 0)
            line = k;
    Tpackedjpg store;
    if (line < 0 || !store.loadFromFile(source.pictureStore))
        return {};
    QByteArray jpeg;
    store.getPicture(line, jpeg);
    return jpeg;
}

// The files an album brings along: (source, destination), the album file first.
QList<std::pair<QString, QString>> albumFilePairs(const QString& file, const QString& name,
                                                  const BookPaths& target) {
    const AlbumPaths to = AlbumPaths::of(target, name);
    const AlbumPaths from = AlbumPaths::inFolder(QFileInfo(file).absolutePath() + u'/', name);
    return {
        {file, to.album}, {from.counts, to.counts}, {from.marks, to.marks}, {from.store, to.store}};
}

void removeFiles(const QStringList& paths) {
    for (const QString& path : paths)
        QFile::remove(path);
}

} // namespace

ImportedAlbum copyAlbumForImport(const QString& file, const QString& name, const BookPaths& target,
                                 const QString& libraryFolder, const std::atomic_bool* stop,
                                 const std::function<void(qint64, qint64)>& progress) {
    ImportedAlbum result;
    const auto entries = albumfile::read(file);
    if (!entries) {
        result.failed.append(file);
        return result;
    }
    const auto pairs = albumFilePairs(file, name, target);
    qint64 total = 0;
    for (const auto& [source, destination] : pairs)
        total += QFileInfo(source).size();
    qint64 before = 0; // bytes of the files already through
    QStringList written;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto& [source, destination] = pairs.at(i);
        const bool albumFile = i == 0;
        if (!albumFile && !QFileInfo::exists(source)) {
            if (QFileInfo::exists(destination))
                QFile::remove(destination);
            continue;
        }
        const auto copied = [&](qint64 bytes) {
            if (progress)
                progress(before + bytes, total);
        };
        const WriteResult copy = copyFileAtomically(source, destination, stop, copied);
        if (stop != nullptr && stop->load()) {
            // Whole files of an album that does not join the book would pass for its own.
            removeFiles(written + QStringList{destination});
            result.stopped = true;
            return result;
        }
        if (copy) {
            written.append(destination);
        } else {
            result.failed.append(source);
            if (albumFile)
                return result;
        }
        before += QFileInfo(source).size();
    }
    result.copied = true;
    result.entries = *entries;
    result.jpeg = pictureFromSourceBook(libraryFolder, QFileInfo(file).absolutePath(), name);
    return result;
}

AlbumImportRun::AlbumImportRun(LibrarySession& session, QObject* parent)
    : QObject(parent), session_(session) {
    // Albums copied for one book never join another.
    connect(&session_, &LibrarySession::bookReplaced, this, [this] {
        if (running_)
            cancel();
    });
}

AlbumImportRun::~AlbumImportRun() {
    worker_.stopAndWait();
    // The album being copied never joins the book now: its files go.
    removeFiles(inFlight_);
}

bool AlbumImportRun::start(const QStringList& albumFiles) {
    const Book& book = session_.book();
    if (running_ || !book.isOpen() || book.mode() != BookMode::Normal)
        return false;
    target_ = book.paths();
    files_ = albumFiles;
    next_ = 0;
    imported_ = 0;
    failed_.clear();
    cancelled_ = false;
    running_ = true;
    importNext();
    return true;
}

void AlbumImportRun::cancel() {
    if (!running_)
        return;
    cancelled_ = true;
    worker_.requestStop(); // the album being copied comes back stopped, or whole
}

bool AlbumImportRun::bookStillOpen() const {
    const Book& book = session_.book();
    return book.isOpen() && book.mode() == BookMode::Normal && book.paths().title == target_.title;
}

bool AlbumImportRun::nameAccepted(const QString& name) {
    // In any letter case: the album's store would be the book's picture store.
    if (albumNamedLikeBook(name, target_.title)) {
        Q_EMIT problemFound({kImportNamedLikeBookMessage});
        return false;
    }
    for (const BookAlbum& album : session_.book().albums()) {
        if (album.name.compare(name, Qt::CaseInsensitive) == 0) {
            Q_EMIT problemFound({kImportNameTakenMessage});
            return false;
        }
    }
    if (const std::optional<Problem> refused = refusedAlbumName(name, target_.title)) {
        Q_EMIT problemFound(*refused);
        return false;
    }
    return true;
}

void AlbumImportRun::importNext() {
    while (!cancelled_ && bookStillOpen() && next_ < files_.size()) {
        const QString file = files_.at(next_++);
        const QString name = QFileInfo(file).completeBaseName();
        // The questions above may have let the book go meanwhile.
        if (name.isEmpty() || !nameAccepted(name) || cancelled_ || !bookStillOpen())
            continue;
        for (const auto& pair : albumFilePairs(file, name, target_))
            inFlight_.append(pair.second);
        const int index = next_ - 1;
        const int count = int(files_.size());
        const BookPaths target = target_;
        const QString library = session_.libraryFolder();
        worker_.start(
            // The work reads only its copies; `this` is used in what it posts, which runs on
            // this object's thread while the worker, a member, lives.
            [this, file, name, target, library, index, count](WorkerThread& worker) {
                int reported = -1;
                const auto progress = [&](qint64 done, qint64 total) {
                    const double part = total > 0 ? double(done) / double(total) : 1.0;
                    const int permille = int(1000.0 * (index + part) / count);
                    if (permille != reported) {
                        reported = permille;
                        worker.post([this, permille] { Q_EMIT progressed(permille); });
                    }
                };
                return copyAlbumForImport(file, name, target, library, &worker.stopFlag(),
                                          progress);
            },
            [this, name](const ImportedAlbum& album) { albumCopied(name, album); });
        return;
    }
    finish();
}

void AlbumImportRun::albumCopied(const QString& name, const ImportedAlbum& album) {
    failed_ += album.failed;
    if (album.copied && bookStillOpen()) {
        BookAlbum row{.name = name, .entries = album.entries};
        row.jpeg = album.jpeg;
        session_.book().appendAlbum(row);
        ++imported_;
    } else if (album.copied) {
        removeFiles(inFlight_); // copied for a book that is gone
    }
    inFlight_.clear();
    importNext();
}

void AlbumImportRun::finish() {
    running_ = false;
    if (!failed_.isEmpty())
        Q_EMIT problemFound(
            {QStringLiteral("コピーできなかったファイルがあります。\r\n%1")
                 .arg(QDir::toNativeSeparators(failed_.join(QStringLiteral("\r\n")))),
             failed_.first(), QString(), Problem::Icon::Warning});
    session_.flush();
    Q_EMIT finished(imported_);
}

} // namespace tavimo
