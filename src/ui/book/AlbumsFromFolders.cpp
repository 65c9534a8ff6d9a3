#include "ui/book/AlbumsFromFolders.h"

#include "core/AppState.h"
#include "core/BookAlbumOperations.h"
#include "core/DialogService.h"
#include "core/EntryFiles.h"
#include "core/LibrarySession.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumImportCommand.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookWindow.h"
#include "ui/book/DrivePanel.h"

#include <QMetaObject>
#include <QProgressDialog>
#include <utility>

namespace tavimo {

namespace {
const QString kListing = QStringLiteral("動画を探しています・・・");
// A listing that ends sooner shows no dialog at all.
constexpr int kProgressDelayMs = 500;
} // namespace

AlbumsFromFolders::AlbumsFromFolders(const Context& context)
    : QObject(&context.bookWindow), session_(context.session), state_(context.state),
      bookWindow_(context.bookWindow), albumWindow_(context.albumWindow), opener_(context.opener),
      albumCommands_(context.albumCommands) {
    panel_ = new DrivePanel(state_.drives, state_.selectedDrive, &bookWindow_);
    connect(panel_, &DrivePanel::accepted, this, &AlbumsFromFolders::mediumChosen);
    import_ = new AlbumImportCommand(session_, bookWindow_);
    connect(&albumWindow_, &AlbumWindow::filesAdded, this, [this] {
        if (waiting_)
            filesIn();
    });
    bookWindow_.setFolderAlbumCreator(
        [this](const QString& folder, bool oneOfMany) { createFromFolders({folder}, oneOfMany); });
    // What was listed for one book is not made in another.
    connect(&session_, &LibrarySession::bookReplaced, this, [this] {
        if (scanner_.isRunning())
            scanner_.requestStop();
    });
}

bool AlbumsFromFolders::isBusy() const {
    return active_ || import_->isRunning();
}

void AlbumsFromFolders::chooseFolder() {
    if (!session_.bookOpen() || isBusy())
        return;
    if (const auto folder = session_.dialogs().selectFolder(QString(), state_.videoFolder))
        createFromFolders({*folder}, false);
}

void AlbumsFromFolders::createFromFolders(const QStringList& folders, bool closeEach) {
    const VideoExtensions extensions = state_.extensions;
    request([folders, closeEach, extensions](const std::atomic_bool& stop) {
        return albumSourcesOfFolders(folders, closeEach, extensions, &stop);
    });
}

void AlbumsFromFolders::createFromMedium(const QString& root, bool perFolder) {
    const VideoExtensions extensions = state_.extensions;
    // The probe reads the program's volume table, which outlives every window; the worker
    // reads the mount table once, there, so a hung mount does not hold the window.
    const DriveProbe live = session_.probe();
    request([root, perFolder, extensions, live](const std::atomic_bool& stop) {
        return albumSourcesOfMedium(root, perFolder, live.snapshot(), extensions, &stop);
    });
}

void AlbumsFromFolders::request(Scan scan) {
    if (!session_.bookOpen())
        return;
    scans_.append(std::move(scan));
    if (active_)
        return; // listed once the albums asked for before are made
    active_ = true;
    // After the caller is done: the folders of one drop are all listed together.
    QMetaObject::invokeMethod(this, &AlbumsFromFolders::runNext, Qt::QueuedConnection);
}

void AlbumsFromFolders::startScan() {
    const QList<Scan> scans = std::exchange(scans_, {});
    // The book's albums stay as they are until the albums listed are made.
    listing_.emplace(bookWindow_);
    scanProgress_ = new QProgressDialog(kListing, QStringLiteral("キャンセル"), 0, 0, &bookWindow_);
    scanProgress_->setObjectName(QStringLiteral("listingProgress"));
    scanProgress_->setAutoClose(false);
    scanProgress_->setAutoReset(false);
    scanProgress_->setMinimumDuration(kProgressDelayMs);
    scanProgress_->setValue(0); // the delay counts from here
    connect(scanProgress_, &QProgressDialog::canceled, &scanner_, &WorkerThread::requestStop);
    scanner_.start(
        [scans](WorkerThread& worker) {
            QList<AlbumSource> sources;
            for (const Scan& scan : scans)
                if (!worker.stopRequested())
                    sources += scan(worker.stopFlag());
            return sources;
        },
        [this](const QList<AlbumSource>& sources) { scanned(sources); });
}

void AlbumsFromFolders::scanned(const QList<AlbumSource>& sources) {
    if (scanProgress_) {
        scanProgress_->hide();
        scanProgress_->deleteLater();
        scanProgress_ = nullptr;
    }
    listing_.reset();
    if (scanner_.stopRequested()) {
        scans_.clear(); // cancelled, or the book is another: nothing is made
    } else {
        // Left out here and named once when every album is made, not once per album.
        for (AlbumSource source : sources) {
            unfit_ += takeUnfitPaths(source.files);
            jobs_.append(std::move(source));
        }
    }
    runNext();
}

void AlbumsFromFolders::runNext() {
    // The album of the job before closes first: one album at a time in the album window.
    if (current_.closeAfter && albumWindow_.isVisible())
        albumWindow_.close();
    current_ = AlbumSource{};
    currentIndex_ = -1;
    while (!jobs_.isEmpty()) {
        AlbumSource job = jobs_.takeFirst();
        if (!job.folder.isEmpty())
            state_.videoFolder = job.folder;
        QList<Problem> problems;
        const int index = BookAlbumOperations(session_).createAlbum(job.name, problems);
        session_.dialogs().tell(problems);
        if (index < 0)
            continue;
        bookWindow_.selectAlbum(index);
        opener_.open(index);
        if (!albumWindow_.isVisible() || session_.albumIndex() != index)
            continue;
        current_ = job;
        currentIndex_ = index;
        if (!job.files.isEmpty())
            albumCommands_.addFiles(job.files);
        waiting_ = albumWindow_.isBusy();
        if (!waiting_)
            filesIn();
        return;
    }
    if (!scans_.isEmpty() && session_.bookOpen()) {
        startScan();
        return;
    }
    scans_.clear();
    active_ = false;
    // On the disk in a moment; the window does not wait for it.
    session_.saveSoon();
    if (!unfit_.isEmpty())
        session_.dialogs().message(unfitPathsMessage(std::exchange(unfit_, {})),
                                   DialogService::Buttons::Ok, DialogService::Icon::Warning);
    Q_EMIT finished();
}

void AlbumsFromFolders::filesIn() {
    waiting_ = false;
    const Album& album = session_.album();
    if (session_.albumIndex() == currentIndex_) {
        // The album shows its first video; an album without videos keeps the placeholder.
        session_.setAlbumPicture(album.count() > 0 ? album.pictureBytes(0) : QByteArray());
        if (!session_.isMediaMode())
            session_.book().setFolderSync(currentIndex_, state_.syncFolderAlbums);
    }
    QMetaObject::invokeMethod(this, &AlbumsFromFolders::runNext, Qt::QueuedConnection);
}

void AlbumsFromFolders::toggleFolderSync(bool on) {
    const int current = bookWindow_.currentAlbum();
    if (session_.isMediaMode() || !session_.book().isValidIndex(current))
        return;
    session_.book().setFolderSync(current, on);
}

void AlbumsFromFolders::importAlbums() {
    if (!active_)
        import_->run();
}

void AlbumsFromFolders::askForMedium(bool newBook) {
    if (!session_.isMediaMode() || isBusy() || (!newBook && !session_.bookOpen()))
        return;
    panelForNewBook_ = newBook;
    panel_->popUp();
}

void AlbumsFromFolders::mediumChosen(const QString& root) {
    if (root.isEmpty() || !session_.isMediaMode() || isBusy())
        return;
    // A cancelled title makes nothing, not even albums in the book that happens to be open.
    if (panelForNewBook_ && !(newBook_ && newBook_()))
        return;
    createFromMedium(root, panelForNewBook_);
}

} // namespace tavimo
