#include "core/ThumbnailMigration.h"

#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/MessageOnlyDialogs.h"
#include "core/NameRules.h"
#include "core/ProgressSink.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

namespace tavimo::migration {

namespace {

const QString kNotice = QStringLiteral("バージョンアップに伴い、縮小画像をパックします。\r\n"
                                       "少々お待ちください。");

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

    void pack(const QStringList& pictures, const QString& storeBase, DialogService& dialogs) {
        Tpackedjpg store;
        const QStringList taken = store.loadFromFiles(pictures, dialogs);
        QDir().mkpath(QFileInfo(storeBase).path());
        const WriteResult written = store.saveToFile(storeBase);
        if (written) {
            packed.unite(QSet<QString>(taken.begin(), taken.end()));
        } else {
            kept.unite(QSet<QString>(taken.begin(), taken.end()));
            dialogs.message(written.message(), DialogService::Buttons::Ok,
                            DialogService::Icon::Error);
        }
    }

    void deletePacked() const {
        for (const QString& path : packed)
            if (!kept.contains(path))
                QFile::remove(path);
    }
};

} // namespace

QStringList bookFiles(const QString& libraryFolder) {
    QDir folder(libraryFolder);
    // Windows matched "*.book" without regard to case; a library copied from there may hold
    // "X.BOOK".
    return folder.entryList({QStringLiteral("*.book")}, QDir::Files | QDir::Hidden | QDir::System,
                            QDir::Name);
}

void migrateBook(const QString& libraryFolder, const QString& bookFile, bool jpegFiles,
                 DialogService& dialogs) {
    const QString extension = jpegFiles ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
    const BookPaths book =
        BookPaths::of(libraryFolder, bookTitleFromFile(QDir(libraryFolder).filePath(bookFile)));
    const std::optional<QStringList> albums =
        textfile::readLines(QDir(libraryFolder).filePath(bookFile));
    if (!albums)
        return;

    // A line that cannot be an album name (a path reaching elsewhere) gets an empty slot: the
    // migration must never read or delete files outside the images folder.
    auto usable = [](const QString& name) {
        return !name.isEmpty() && !nameProblem(name, NameKind::Album).has_value();
    };

    LooseFiles files;
    QStringList pictures;
    for (const QString& name : *albums)
        pictures.append(usable(name) ? book.imagesFolder + name + extension : QString());
    files.pack(pictures, book.pictureStoreBase(), dialogs);

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
        files.pack(thumbnails, album.storeBase, dialogs);
    }
    // Deleting only now keeps a picture that two albums share for both of them.
    files.deletePacked();
}

void migrateThumbnails(const QString& libraryFolder, bool jpegFiles, ProgressSink& progress,
                       DialogService& dialogs) {
    dialogs.message(kNotice, DialogService::Buttons::Ok, DialogService::Icon::Information);
    const QStringList books = bookFiles(libraryFolder);
    progress.BeginProgress(int(books.size()) - 1);
    for (int n = 1; n <= books.size(); ++n) {
        migrateBook(libraryFolder, books.at(n - 1), jpegFiles, dialogs);
        progress.StepProgress(n + 1);
    }
    progress.EndProgress();
}

namespace {

// Progress calls from the worker, delivered in order on the interface thread.
class QueuedProgress final : public ProgressSink {
public:
    QueuedProgress(QObject* context, ProgressSink& target) : context_(context), target_(target) {}
    void BeginProgress(int maximum) override {
        post([&t = target_, maximum] { t.BeginProgress(maximum); });
    }
    void StepProgress(int position) override {
        post([&t = target_, position] { t.StepProgress(position); });
    }
    void EndProgress() override {
        post([&t = target_] { t.EndProgress(); });
    }

private:
    template <typename F> void post(F f) {
        QMetaObject::invokeMethod(context_, std::move(f), Qt::QueuedConnection);
    }
    QObject* context_;
    ProgressSink& target_;
};

// Messages from the worker, shown on the interface thread; the worker waits for the answer.
// The migration asks nothing but messages.
class BlockingDialogs final : public MessageOnlyDialogs {
public:
    BlockingDialogs(QObject* context, DialogService& target) : context_(context), target_(target) {}
    Answer message(const QString& text, Buttons buttons, Icon icon,
                   const QString& caption) override {
        Answer answer = Answer::Ok;
        QMetaObject::invokeMethod(
            context_, [&] { answer = target_.message(text, buttons, icon, caption); },
            Qt::BlockingQueuedConnection);
        return answer;
    }

private:
    QObject* context_;
    DialogService& target_;
};

} // namespace

void startThumbnailMigration(QObject* context, const QString& libraryFolder, bool jpegFiles,
                             ProgressSink& progress, DialogService& dialogs,
                             std::function<void()> finished) {
    if (bookFiles(libraryFolder).isEmpty()) {
        migrateThumbnails(libraryFolder, jpegFiles, progress, dialogs);
        if (finished)
            finished();
        return;
    }
    QThread* worker = QThread::create([context, libraryFolder, jpegFiles, &progress, &dialogs] {
        QueuedProgress queuedProgress(context, progress);
        BlockingDialogs blockingDialogs(context, dialogs);
        migrateThumbnails(libraryFolder, jpegFiles, queuedProgress, blockingDialogs);
    });
    worker->setObjectName(QStringLiteral("thumbnail migration"));
    QObject::connect(worker, &QThread::finished, context, [worker, done = std::move(finished)] {
        worker->wait();
        worker->deleteLater();
        if (done)
            done();
    });
    worker->start();
}

} // namespace tavimo::migration
