#include "core/ThumbnailMigration.h"

#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/MessageOnlyDialogs.h"
#include "core/NameRules.h"
#include "core/ProgressSink.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <condition_variable>
#include <mutex>

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
        // A run that was stopped or killed has deleted the loose files of the stores it wrote;
        // packing them again would write those stores over with empty pictures.
        if (QFileInfo(storeBase + QStringLiteral(".pjpg")).isFile())
            return;
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
                       DialogService& dialogs, const std::atomic_bool* stopRequested) {
    dialogs.message(kNotice, DialogService::Buttons::Ok, DialogService::Icon::Information);
    const QStringList books = bookFiles(libraryFolder);
    progress.BeginProgress(int(books.size()) - 1);
    for (int n = 1; n <= books.size(); ++n) {
        if (stopRequested != nullptr && stopRequested->load())
            break;
        migrateBook(libraryFolder, books.at(n - 1), jpegFiles, dialogs);
        progress.StepProgress(n + 1);
    }
    progress.EndProgress();
}

struct RunState {
    // Used on the interface thread only, and only while the run is not closed.
    ProgressSink* progress;
    DialogService* dialogs;
    // Interface thread only: the run is gone, and what it referred to may be gone too.
    bool closed = false;
    std::atomic_bool stopRequested{false};

    // The message the worker waits on, by its number; guarded by mutex.
    std::mutex mutex;
    std::condition_variable answered;
    quint64 asked = 0;
    quint64 answeredAsk = 0;
    DialogService::Answer answer = DialogService::Answer::Cancel;
};

namespace {

// Queued to the interface thread, where the application object lives. Not to the run itself:
// a message box opened by such a call runs a nested event loop in which the run may be
// destroyed, and a call must not return into an object that is gone.
template <typename F> void toInterfaceThread(F f) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(f), Qt::QueuedConnection);
}

// Progress calls from the worker, delivered in order on the interface thread.
class QueuedProgress final : public ProgressSink {
public:
    explicit QueuedProgress(std::shared_ptr<RunState> state) : state_(std::move(state)) {}
    void BeginProgress(int maximum) override {
        deliver([maximum](ProgressSink& p) { p.BeginProgress(maximum); });
    }
    void StepProgress(int position) override {
        deliver([position](ProgressSink& p) { p.StepProgress(position); });
    }
    void EndProgress() override {
        deliver([](ProgressSink& p) { p.EndProgress(); });
    }

private:
    template <typename F> void deliver(F call) {
        toInterfaceThread([state = state_, call] {
            if (!state->closed)
                call(*state->progress);
        });
    }
    std::shared_ptr<RunState> state_;
};

// Messages from the worker, shown one after the other on the interface thread; the worker
// waits for each answer unless the run stops. The migration asks nothing but messages.
class QueuedMessages final : public MessageOnlyDialogs {
public:
    explicit QueuedMessages(std::shared_ptr<RunState> state) : state_(std::move(state)) {}
    Answer message(const QString& text, Buttons buttons, Icon icon,
                   const QString& caption) override {
        RunState& s = *state_;
        std::unique_lock lock(s.mutex);
        if (s.stopRequested)
            return Answer::Cancel;
        const quint64 ask = ++s.asked;
        toInterfaceThread([state = state_, ask, text, buttons, icon, caption] {
            if (state->closed || state->stopRequested)
                return;
            const Answer answer = state->dialogs->message(text, buttons, icon, caption);
            {
                std::lock_guard answerLock(state->mutex);
                state->answer = answer;
                state->answeredAsk = ask;
            }
            state->answered.notify_all();
        });
        s.answered.wait(lock, [&] { return s.answeredAsk == ask || s.stopRequested; });
        return s.answeredAsk == ask ? s.answer : Answer::Cancel;
    }

private:
    std::shared_ptr<RunState> state_;
};

} // namespace

ThumbnailMigrationRun::ThumbnailMigrationRun(const QString& libraryFolder, bool jpegFiles,
                                             ProgressSink& progress, DialogService& dialogs,
                                             QObject* parent)
    : QObject(parent), libraryFolder_(libraryFolder), jpegFiles_(jpegFiles),
      state_(std::make_shared<RunState>()) {
    state_->progress = &progress;
    state_->dialogs = &dialogs;
}

ThumbnailMigrationRun::~ThumbnailMigrationRun() {
    state_->closed = true;
    stop();
    if (worker_.joinable())
        worker_.join();
}

void ThumbnailMigrationRun::start() {
    if (started_)
        return;
    started_ = true;
    if (bookFiles(libraryFolder_).isEmpty()) {
        migrateThumbnails(libraryFolder_, jpegFiles_, *state_->progress, *state_->dialogs);
        Q_EMIT finished();
        return;
    }
    worker_ = std::thread([this, state = state_, folder = libraryFolder_, jpeg = jpegFiles_] {
        QueuedProgress progress(state);
        QueuedMessages messages(state);
        migrateThumbnails(folder, jpeg, progress, messages, &state->stopRequested);
        // The last call queued: everything the worker reported is delivered before it.
        toInterfaceThread([this, state] {
            if (!state->closed)
                workerEnded();
        });
    });
}

void ThumbnailMigrationRun::stop() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopRequested = true;
    }
    state_->answered.notify_all();
}

void ThumbnailMigrationRun::workerEnded() {
    worker_.join();
    Q_EMIT finished();
}

void startThumbnailMigration(QObject* context, const QString& libraryFolder, bool jpegFiles,
                             ProgressSink& progress, DialogService& dialogs,
                             std::function<void()> finished) {
    auto* run = new ThumbnailMigrationRun(libraryFolder, jpegFiles, progress, dialogs, context);
    QObject::connect(run, &ThumbnailMigrationRun::finished, context,
                     [run, done = std::move(finished)] {
                         run->deleteLater();
                         if (done)
                             done();
                     });
    run->start();
}

} // namespace tavimo::migration
