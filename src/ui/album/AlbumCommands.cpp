#include "ui/album/AlbumCommands.h"

#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/DialogService.h"
#include "core/FavouriteCopy.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/RegularFiles.h"
#include "ui/album/AlbumWindow.h"

#include <QFileInfo>
#include <QMenu>

namespace tavimo {

namespace {
const QString kSorting = QStringLiteral("ソート実行中・・・・・・");
} // namespace

AlbumCommands::AlbumCommands(AlbumWindow& window, QMenu& favourites, LibrarySession& session,
                             AppState& state, FileTrash& trash, ProgramLauncher& launcher)
    : QObject(&window), window_(window), favourites_(favourites), session_(session), state_(state),
      dialogs_(session.dialogs()), trash_(trash), launcher_(launcher), ops_(session) {
    connect(&window, &AlbumWindow::pathsDropped, this, &AlbumCommands::dropPaths);
    connect(&window, &AlbumWindow::albumReady, this, &AlbumCommands::rebuildFavourites);
    connect(&favourites_, &QMenu::aboutToShow, this, &AlbumCommands::rebuildFavourites);
}

bool AlbumCommands::playerShown() const {
    return player_ != nullptr && player_->isVisible();
}

void AlbumCommands::select(int index) {
    window_.setCurrentVideo(index);
}

void AlbumCommands::move(RowStep step) {
    if (!window_.isBusy())
        select(ops_.move(window_.currentVideo(), step));
}

void AlbumCommands::deleteFromAlbum() {
    if (window_.isBusy() || !ops_.canDelete(window_.currentVideo()))
        return;
    const int current = ops_.deleteFromAlbum(window_.currentVideo());
    window_.updateCaption();
    window_.layOutGrid();
    select(current);
}

void AlbumCommands::deleteFile() {
    if (window_.isBusy() || !ops_.canDelete(window_.currentVideo()))
        return;
    if (const std::optional<Problem> problem = ops_.trashFile(window_.currentVideo(), trash_))
        dialogs_.tell(*problem);
    const int current = ops_.deleteFromAlbum(window_.currentVideo());
    window_.updateCaption();
    select(current);
}

void AlbumCommands::sort(bool byName) {
    if (window_.isBusy() || !ops_.canSort())
        return;
    const int current = window_.currentVideo();
    window_.setSorting(true);
    window_.setStatusTexts(QString(), kSorting);
    if (byName)
        ops_.sortByName();
    else
        ops_.sortByPlayCount();
    window_.setStatusTexts(QString(), QString());
    window_.setSorting(false);
    select(current);
}

void AlbumCommands::sortByName() {
    sort(true);
}

void AlbumCommands::sortByPlayCount() {
    sort(false);
}

void AlbumCommands::openFiles() {
    if (window_.isBusy())
        return;
    QStringList files =
        dialogs_.openFiles(QString(), state_.videoFolder, window_.openDialogFilter());
    if (files.isEmpty())
        return;
    state_.videoFolder = QFileInfo(files.first()).absolutePath();
    albumshow::sortNames(files);
    addFiles(files);
}

void AlbumCommands::openFolder() {
    if (window_.isBusy() || playerShown())
        return;
    if (const auto folder = dialogs_.selectFolder(QString(), state_.videoFolder))
        addFolder(*folder);
}

void AlbumCommands::addFolder(const QString& folder) {
    if (window_.isBusy() || folder.isEmpty())
        return;
    state_.videoFolder = folder;
    const QStringList files = videosInFolder(folder, state_.extensions);
    if (!files.isEmpty())
        addFiles(files);
}

void AlbumCommands::addFiles(const QStringList& fullPaths) {
    // An album open read-only would show the videos and never save them.
    if (window_.isBusy() || session_.albumReadOnly())
        return;
    const int before = window_.album().count();
    // The rules ask which volume holds each file: the mount table is read once for all.
    QList<Problem> problems;
    const QStringList files =
        ops_.prepareAddition(fullPaths, session_.probe().snapshot(), problems);
    dialogs_.tell(problems);
    if (window_.album().count() != before) {
        // The album's medium was found and the videos it lacks are gone.
        window_.updateCaption();
        window_.layOutGrid();
        select(std::min(window_.currentVideo(), window_.album().lastIndex()));
    }
    if (!files.isEmpty())
        window_.addFiles(files);
}

void AlbumCommands::dropPaths(QStringList paths) {
    if (playerShown() || window_.isBusy() || paths.isEmpty())
        return;
    window_.raise();
    window_.activateWindow();
    albumshow::sortNames(paths);
    if (paths.size() == 1) {
        const QFileInfo info(paths.first());
        if (info.isDir())
            addFolder(paths.first());
        else if (state_.extensions.isVideo(paths.first()) && isRegularFile(paths.first()))
            addFiles(paths);
        return;
    }
    // Among several names only video files count; folders are not opened.
    QStringList files;
    for (const QString& path : std::as_const(paths))
        if (isRegularFile(path) && state_.extensions.isVideo(path))
            files.append(path);
    if (!files.isEmpty())
        addFiles(files);
}

void AlbumCommands::playWithOtherPlayer() {
    const int current = window_.currentVideo();
    const QString& program = state_.otherPlayer;
    // Only a file of this system is handed over ("C:\...", an absent medium's entry are not).
    if (!window_.album().isLocalFile(current) || program.isEmpty() || !QFileInfo(program).isFile())
        return;
    launcher_.startDetached(program, {window_.album().fullPath(current)});
}

void AlbumCommands::rebuildFavourites() {
    QMenu* menu = &favourites_;
    menu->clear();
    if (window_.album().isMediaMode() || state_.favouriteBook.isEmpty())
        return;
    const BookPaths book = BookPaths::of(state_.libraryFolder, state_.favouriteBook);
    const auto lines = bookfile::read(book.bookFile, BookMode::Normal);
    if (!lines)
        return;
    for (const bookfile::Line& line : *lines) {
        const QString& name = line.name;
        if (name.isEmpty())
            continue;
        QAction* item = menu->addAction(name);
        item->setEnabled(name != window_.album().name());
        connect(item, &QAction::triggered, this, [this, name] { addToFavourite(name); });
    }
}

void AlbumCommands::addToFavourite(const QString& albumName) {
    const Album& album = window_.album();
    const int current = window_.currentVideo();
    if (album.isMediaMode() || !album.isValidIndex(current))
        return;
    // The entry as it stands: the favourite album keeps it byte for byte, a path written on
    // Windows too.
    const FavouriteVideo video{album.entry(current), album.bookmark(current),
                               album.playCount(current), album.pictureBytes(current)};
    const FavouriteAdded added =
        tavimo::addToFavourite(state_.libraryFolder, state_.favouriteBook, albumName, video);
    dialogs_.tell(added.problems);
    const std::optional<QStringList>& entries = added.entries;
    // The open book keeps the entries of its albums: the favourite album may be one of them.
    // It is found by name, since albums may have moved since the book file was written.
    Book& book = session_.book();
    if (entries && book.isOpen() && book.paths().title == state_.favouriteBook)
        book.setEntries(book.indexOfAlbum(albumName), *entries);
    if (entries)
        Q_EMIT favouriteWritten(state_.favouriteBook, albumName, *entries);
}

} // namespace tavimo
