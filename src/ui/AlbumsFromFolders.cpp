#include "ui/AlbumsFromFolders.h"

#include "core/AlbumImport.h"
#include "core/AppState.h"
#include "core/BookAlbumOperations.h"
#include "core/DialogService.h"
#include "core/EntryFiles.h"
#include "core/LibrarySession.h"
#include "core/MediumScan.h"
#include "core/VideoOperations.h"
#include "ui/AlbumCommands.h"
#include "ui/AlbumOpener.h"
#include "ui/AlbumWindow.h"
#include "ui/BookSession.h"
#include "ui/BookWindow.h"
#include "ui/DrivePanel.h"
#include "ui/ScrollBox.h"

#include <QAction>
#include <QMetaObject>
#include <utility>

namespace tavimo {

AlbumsFromFolders::AlbumsFromFolders(LibrarySession& session, AppState& state, TForm1& bookWindow,
                                     TForm2& albumWindow, AlbumOpener& opener,
                                     AlbumCommands& albumCommands, BookSession& bookSession)
    : QObject(&bookWindow), session_(session), state_(state), bookWindow_(bookWindow),
      albumWindow_(albumWindow), opener_(opener), albumCommands_(albumCommands),
      bookSession_(bookSession) {
    panel_ = new DrivePanel(state_.drives, state_.selectedDrive, &bookWindow_);
    connect(panel_, &DrivePanel::accepted, this, &AlbumsFromFolders::mediumChosen);
    connect(bookWindow_.folderalbum, &QAction::triggered, this, &AlbumsFromFolders::chooseFolder);
    connect(bookWindow_.importalbum, &QAction::triggered, this, &AlbumsFromFolders::importAlbums);
    connect(bookWindow_.syncro, &QAction::triggered, this, &AlbumsFromFolders::toggleFolderSync);
    connect(bookWindow_.mediaalbum, &QAction::triggered, this, [this] { askForMedium(false); });
    connect(bookWindow_.N46, &QAction::triggered, this, [this] { askForMedium(true); });
    connect(&albumWindow_, &TForm2::filesAdded, this, [this] {
        if (waiting_)
            filesIn();
    });
    bookWindow_.setFolderAlbumCreator(
        [this](const QString& folder, bool oneOfMany) { createFromFolders({folder}, oneOfMany); });
}

void AlbumsFromFolders::chooseFolder() {
    if (!session_.bookOpen() || active_)
        return;
    if (const auto folder = session_.dialogs().selectFolder(QString(), state_.videoFolder))
        createFromFolders({*folder}, false);
}

AlbumsFromFolders::Job AlbumsFromFolders::folderJob(const QString& folder, bool closeAfter) const {
    return Job{albumNameForFolder(folder), videosInFolder(folder, state_.extensions), folder,
               closeAfter};
}

void AlbumsFromFolders::createFromFolders(const QStringList& folders, bool closeEach) {
    QList<Job> jobs;
    for (const QString& folder : folders)
        if (!folder.isEmpty())
            jobs.append(folderJob(folder, closeEach));
    enqueue(jobs);
}

void AlbumsFromFolders::createFromMedium(const QString& root, bool perFolder) {
    const MediumScan scan =
        scanMedium(root, session_.probe(), state_.extensions, /*withFolderVideos=*/!perFolder);
    if (!scan.usable)
        return;
    QList<Job> jobs;
    if (!perFolder) {
        jobs.append(Job{scan.albumName, scan.files, QString(), false});
    } else {
        if (!scan.rootVideos.isEmpty())
            jobs.append(Job{scan.albumName, scan.rootVideos, root, true});
        // Every folder becomes an album, also one without videos.
        for (const QString& folder : scan.folders)
            jobs.append(folderJob(folder, true));
    }
    enqueue(jobs);
}

void AlbumsFromFolders::enqueue(QList<Job> jobs) {
    if (!session_.bookOpen() || jobs.isEmpty())
        return;
    // Left out here and named once when every album is made, not once per album.
    for (Job& job : jobs)
        unfit_ += takeUnfitPaths(job.files);
    jobs_ += jobs;
    if (active_)
        return;
    active_ = true;
    // After the caller is done: the folders of one drop are all queued before the first opens.
    QMetaObject::invokeMethod(this, &AlbumsFromFolders::runNext, Qt::QueuedConnection);
}

void AlbumsFromFolders::runNext() {
    // The album of the job before closes first: one album at a time in the album window.
    if (current_.closeAfter && albumWindow_.isVisible())
        albumWindow_.close();
    current_ = Job{};
    currentIndex_ = -1;
    while (!jobs_.isEmpty()) {
        Job job = jobs_.takeFirst();
        if (!job.folder.isEmpty())
            state_.videoFolder = job.folder;
        const int index = BookAlbumOperations(session_).createAlbum(job.name);
        if (index < 0)
            continue;
        bookWindow_.scrollBox->layOut();
        bookWindow_.scrollBox->select(index);
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
    active_ = false;
    session_.flush();
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
    const int current = bookWindow_.scrollBox->currentIndex();
    if (session_.isMediaMode() || !session_.book().isValidIndex(current))
        return;
    session_.book().setFolderSync(current, on);
}

void AlbumsFromFolders::importAlbums() {
    if (!session_.bookOpen() || session_.isMediaMode() || active_)
        return;
    QString folder = session_.bookPaths().bookFolder;
    folder.chop(1);
    const QStringList files =
        session_.dialogs().openFiles(QString(), folder, QStringLiteral("アルバム (*.alb)"));
    if (files.isEmpty())
        return;
    bookWindow_.applyNoBookState();
    const int before = session_.book().count();
    tavimo::importAlbums(session_, files);
    bookWindow_.applyBookOpenState();
    bookWindow_.scrollBox->layOut();
    if (session_.book().count() > before)
        bookWindow_.scrollBox->select(session_.book().count() - 1);
}

void AlbumsFromFolders::askForMedium(bool newBook) {
    if (!session_.isMediaMode() || active_ || (!newBook && !session_.bookOpen()))
        return;
    panelForNewBook_ = newBook;
    panel_->popUp();
}

void AlbumsFromFolders::mediumChosen(const QString& root) {
    if (root.isEmpty() || !session_.isMediaMode() || active_)
        return;
    // A cancelled title makes nothing, not even albums in the book that happens to be open.
    if (panelForNewBook_ && !(newBook_ && newBook_()))
        return;
    createFromMedium(root, panelForNewBook_);
}

} // namespace tavimo
