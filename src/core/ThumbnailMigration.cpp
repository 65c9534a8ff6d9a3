#include "core/ThumbnailMigration.h"

#include "core/BookPaths.h"
#include "core/NameRules.h"
#include "core/ProgressSink.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>

namespace tavimo::migration {

namespace {

// A video entry's file name: the earlier version ran on Windows, so '\' separates folders too.
QString fileNameOf(const QString& entry) {
    const qsizetype cut = qMax(entry.lastIndexOf(u'/'), entry.lastIndexOf(u'\\'));
    return entry.mid(cut + 1);
}

// Collects which loose files went into a written store and which must stay: a file also listed
// by a store that could not be written is kept.
struct LooseFiles {
    QSet<QString> packed;
    QSet<QString> kept;
    QList<Problem> problems;

    void pack(const QStringList& pictures, const QString& store, const QString& storeBase) {
        // A run that was stopped or killed has deleted the loose files of the stores it wrote;
        // packing them again would write those stores over with empty pictures.
        if (QFileInfo(store).isFile())
            return;
        Tpackedjpg packing;
        const Tpackedjpg::FilesRead read = packing.loadFromFiles(pictures);
        problems += read.problems;
        QDir().mkpath(QFileInfo(storeBase).path());
        const WriteResult written = packing.saveToFile(storeBase);
        if (written) {
            packed.unite(QSet<QString>(read.taken.begin(), read.taken.end()));
        } else {
            kept.unite(QSet<QString>(read.taken.begin(), read.taken.end()));
            problems.append(written.problem());
        }
    }

    void deletePacked() const {
        for (const QString& path : packed)
            if (!kept.contains(path))
                QFile::remove(path);
    }
};

} // namespace

QString notice() {
    return QStringLiteral("バージョンアップに伴い、縮小画像をパックします。\r\n"
                          "少々お待ちください。");
}

QStringList bookFiles(const QString& libraryFolder) {
    QDir folder(libraryFolder);
    // Windows matched "*.book" without regard to case; a library copied from there may hold
    // "X.BOOK".
    return folder.entryList({QStringLiteral("*.book")}, QDir::Files | QDir::Hidden | QDir::System,
                            QDir::Name);
}

QList<Problem> migrateBook(const QString& libraryFolder, const QString& bookFile, bool jpegFiles) {
    const QString extension = jpegFiles ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
    const BookPaths book =
        BookPaths::of(libraryFolder, bookTitleFromFile(QDir(libraryFolder).filePath(bookFile)));
    const std::optional<QStringList> albums =
        textfile::readLines(QDir(libraryFolder).filePath(bookFile));
    if (!albums)
        return {};

    // A line that cannot be an album name (a path reaching elsewhere) gets an empty slot: the
    // migration must never read or delete files outside the images folder.
    auto usable = [](const QString& name) {
        return !name.isEmpty() && !nameProblem(name, NameKind::Album).has_value();
    };

    LooseFiles files;
    QStringList pictures;
    for (const QString& name : *albums)
        pictures.append(usable(name) ? book.imagesFolder + name + extension : QString());
    files.pack(pictures, book.pictureStore, book.pictureStoreBase());

    for (const QString& name : *albums) {
        if (!usable(name))
            continue;
        const AlbumPaths album = AlbumPaths::of(book, name);
        if (!QFileInfo(album.album).isFile())
            continue;
        const std::optional<QStringList> videos = textfile::readLines(album.album);
        if (!videos)
            continue;
        QStringList thumbnails;
        for (const QString& video : *videos) {
            const QString file = fileNameOf(video);
            thumbnails.append(file.isEmpty() ? QString() : book.imagesFolder + file + extension);
        }
        files.pack(thumbnails, album.store, album.storeBase);
    }
    // Deleting only now keeps a picture that two albums share for both of them.
    files.deletePacked();
    return files.problems;
}

ThumbnailMigrationRun::ThumbnailMigrationRun(const QString& libraryFolder, bool jpegFiles,
                                             ProgressSink& progress, QObject* parent)
    : QObject(parent), libraryFolder_(libraryFolder), jpegFiles_(jpegFiles), progress_(progress) {}

void ThumbnailMigrationRun::start() {
    if (std::exchange(started_, true))
        return;
    running_ = true;
    books_ = bookFiles(libraryFolder_);
    if (books_.isEmpty())
        begin();
    else
        QMetaObject::invokeMethod(this, &ThumbnailMigrationRun::begin, Qt::QueuedConnection);
}

void ThumbnailMigrationRun::begin() {
    // The notice may be a message box whose event loop sees this run destroyed.
    const QPointer<ThumbnailMigrationRun> self(this);
    Q_EMIT noticeDue(notice());
    if (!self)
        return;
    progress_.BeginProgress(int(books_.size()) - 1);
    packNext();
}

void ThumbnailMigrationRun::packNext() {
    if (stopped_ || packed_ == books_.size()) {
        progress_.EndProgress();
        running_ = false;
        Q_EMIT finished();
        return;
    }
    worker_.start([folder = libraryFolder_, book = books_.at(packed_),
                   jpeg = jpegFiles_](WorkerThread&) { return migrateBook(folder, book, jpeg); },
                  [this](const QList<Problem>& problems) { bookPacked(problems); });
}

void ThumbnailMigrationRun::bookPacked(const QList<Problem>& problems) {
    ++packed_;
    const QPointer<ThumbnailMigrationRun> self(this);
    if (!problems.isEmpty())
        Q_EMIT problemsFound(problems);
    if (!self)
        return;
    progress_.StepProgress(packed_ + 1);
    packNext();
}

} // namespace tavimo::migration
