#include "app/AppRoot.h"

#include "core/DialogService.h"
#include "core/IniFile.h"
#include "core/LibrarySession.h"
#include "core/ThumbnailMigration.h"
#include "core/VolumeTable.h"
#include "core/search/MigemoReading.h"
#include "platform/DesktopServices.h"
#include "ui/LoadingWindow.h"
#include "ui/SplashWindow.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumCopyCommand.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/AlbumsFromFolders.h"
#include "ui/book/BookAlbumCommands.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookListMenu.h"
#include "ui/book/BookToolCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/FavouritesMenu.h"
#include "ui/book/ModeSwitcher.h"
#include "ui/player/PlayerCapture.h"
#include "ui/player/PlayerLink.h"
#include "ui/player/PlayerWindow.h"
#include "ui/preview/Previews.h"
#include "ui/search/SearchCommand.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tavimo {

AppRoot::AppRoot(const QString& libraryFolder, DialogService& dialogs, const VolumeTable& volumes)
    : dialogs_(dialogs) {
    // What the book window's creation sets up for the whole application.
    state_.initialise(libraryFolder);
    state_.executableFolder = QCoreApplication::applicationDirPath() + u'/';
    fillDriveList(volumes);
    session_ = std::make_unique<LibrarySession>(state_.libraryFolder, dialogs_, volumes);
    trash_ = std::make_unique<platform::DesktopTrash>();
    launcher_ = std::make_unique<platform::DetachedLauncher>();
    documents_ = std::make_unique<platform::DesktopDocumentOpener>();

    // Window creation order: book, splash, album, loading, player.
    // The splash window shows itself until start-up has finished.
    bookWindow_ = std::make_unique<BookWindow>(*session_, state_, dialogs_);
    splashWindow_ = std::make_unique<SplashWindow>(bookWindow_.get());
    const BookActions& book = bookWindow_->actions();
    bookFileCommands_ = new BookFileCommands(*session_, state_, *bookWindow_);
    bookList_ = new BookListMenu(*session_, state_, *bookWindow_, *bookFileCommands_,
                                 *book.fileMenu, *book.bookListEnd);
    favourites_ =
        new FavouritesMenu(*session_, state_, *bookWindow_, *bookList_, *book.favouritesMenu);
    auto* tools = new BookToolCommands(state_, *bookWindow_, dialogs_, *documents_);
    albumWindow_ = std::make_unique<AlbumWindow>(*session_, state_, dialogs_);
    opener_ = new AlbumOpener(*session_, *bookWindow_, *albumWindow_);
    auto* bookAlbums = new BookAlbumCommands(*bookWindow_, *session_, *opener_, *albumWindow_);
    loadingWindow_ = std::make_unique<LoadingWindow>(bookWindow_.get(), albumWindow_.get());
    playerWindow_ = std::make_unique<PlayerWindow>(*session_, state_, dialogs_);
    auto* playerLink = new PlayerLink(*albumWindow_, *playerWindow_);
    new PlayerCapture(*albumWindow_, *playerWindow_, state_, dialogs_);
    previews_ = new Previews(state_, *book.optionsMenu, *albumWindow_, *playerWindow_);
    albumWindow_->setLoadingWindow(loadingWindow_.get());
    albumWindow_->setPlayerWindow(playerWindow_.get());
    albumCommands_ = new AlbumCommands(*albumWindow_, *albumWindow_->actions().favourites,
                                       *session_, state_, *trash_, *launcher_);
    albumCommands_->setPlayerWindow(playerWindow_.get());
    albumsFromFolders_ = new AlbumsFromFolders(
        {*session_, state_, *bookWindow_, *albumWindow_, *opener_, *albumCommands_});
    auto* copy = new AlbumCopyCommand(*session_, state_, *bookWindow_);
    modeSwitcher_ = new ModeSwitcher(*session_, state_, *bookWindow_, *bookFileCommands_);
    modeSwitcher_->setBookListBuilder([this] { bookList_->rebuild(); });
    albumsFromFolders_->setNewBookCommand([this] { return bookList_->createBook(); });
    search_ = std::make_unique<SearchCommand>(
        SearchOpener::Context{*session_, state_, volumes, *bookWindow_, *albumWindow_,
                              *bookFileCommands_, *modeSwitcher_, *opener_},
        [] { return MigemoReading::open(); });
    QObject::connect(albumCommands_, &AlbumCommands::favouriteWritten, &search_->search(),
                     &LibrarySearch::setAlbumEntries);
    bookWindow_->wire({.files = bookFileCommands_,
                       .bookList = bookList_,
                       .favourites = favourites_,
                       .modes = modeSwitcher_,
                       .opener = opener_,
                       .albums = bookAlbums,
                       .fromFolders = albumsFromFolders_,
                       .copy = copy,
                       .tools = tools,
                       .search = search_.get(),
                       .player = playerWindow_.get()});
    albumWindow_->wire({.videos = albumCommands_, .player = playerLink});

    bookWindow_->setExitSequence([this] {
        exitSequence();
        QCoreApplication::quit();
    });
}

AppRoot::~AppRoot() = default;

void AppRoot::fillDriveList(const VolumeTable& volumes) {
    state_.drives = QStringList{QString()};
    for (const VolumeInfo& volume : volumes.volumes())
        if (volume.kind > kMediumNone)
            state_.drives.append(volume.root);
    state_.selectedDrive = state_.drives.size() > 1 ? 1 : 0;
}

void AppRoot::startUp() {
    if (!QFileInfo::exists(state_.settingsPath())) {
        // Books made in a session that never reached its exit are still listed.
        bookList_->rebuild();
        showBookWindow();
        return;
    }
    readSettingsFile();
    auto openBook = [this] {
        decideCurrentBook();
        bookList_->rebuild();
        bookFileCommands_->loadBook(state_.bookTitle);
        showBookWindow();
    };
    if (state_.thumbnailsPacked) {
        openBook();
        return;
    }
    // The one-time packing of the earlier version's pictures runs on a worker thread while
    // the loading window shows its progress; start-up goes on when it is done.
    migration_ = std::make_unique<migration::ThumbnailMigrationRun>(
        state_.libraryFolder, state_.legacyThumbnailsJpeg, *loadingWindow_);
    using migration::ThumbnailMigrationRun;
    QObject::connect(migration_.get(), &ThumbnailMigrationRun::noticeDue, bookWindow_.get(),
                     [this](const QString& text) {
                         dialogs_.message(text, DialogService::Buttons::Ok,
                                          DialogService::Icon::Information);
                     });
    QObject::connect(migration_.get(), &ThumbnailMigrationRun::problemsFound, bookWindow_.get(),
                     [this](const QList<Problem>& problems) { dialogs_.tell(problems); });
    QObject::connect(migration_.get(), &ThumbnailMigrationRun::finished, bookWindow_.get(),
                     openBook);
    migration_->start();
}

void AppRoot::showBookWindow() {
    splashWindow_->hide();
    bookWindow_->show();
    startedUp_ = true;
    search_->start();
}

void AppRoot::readSettingsFile() {
    IniFile ini;
    ini.load(state_.settingsPath());
    readSettings(ini, state_, [this](SettingKey key) { applySetting(key); });
}

// Each value takes effect as it is read, in the order of the settings table.
void AppRoot::applySetting(SettingKey key) {
    bookWindow_->applySetting(key);
    albumWindow_->applySetting(key);
    playerWindow_->applySetting(key);
    previews_->applySetting(key);
    if (key == SettingKey::TextPlName) {
        favourites_->rebuild();
        if (!QFileInfo(state_.videoFolder).isDir())
            state_.videoFolder.clear();
    }
}

void AppRoot::decideCurrentBook() {
    const QString title = state_.bookTitle;
    if (title.isEmpty())
        return;
    const QString bookFile = BookPaths::of(state_.libraryFolder, title).bookFile;
    if (QFileInfo::exists(bookFile)) {
        const bool media = state_.mediaBooks.contains(title);
        session_->switchMode(media ? BookMode::Media : BookMode::Normal);
        return;
    }
    dialogs_.message(bookFile + QStringLiteral(" が見つかりません!"),
                     DialogService::Buttons::OkCancel, DialogService::Icon::Error);
    state_.bookTitle.clear();
}

void AppRoot::exitSequence() {
    exited_ = true;
    bookWindow_->setAcceptDrops(false);
    albumWindow_->setAcceptDrops(false);
    saveAll();
}

void AppRoot::saveAll() {
    bookFileCommands_->saveCurrentBook();
    state_.bookTitle = session_->bookPaths().title;
    playerWindow_->storeSettings();
    bookWindow_->storeGeometry();
    albumWindow_->storeGeometry();
    search_->storePlace();
    report(saveSettingsFile(state_));
    report(saveUserExtensions(state_));
}

void AppRoot::stopSequence() {
    if (startedUp_ && !exited_)
        exitSequence();
}

void AppRoot::report(const WriteResult& result) {
    if (!result)
        dialogs_.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
}

} // namespace tavimo
