#include "app/AppRoot.h"

#include "core/DialogService.h"
#include "core/IniFile.h"
#include "core/LibrarySession.h"
#include "core/ThumbnailMigration.h"
#include "core/VolumeTable.h"
#include "platform/DesktopServices.h"
#include "ui/AlbumCommands.h"
#include "ui/AlbumCopyCommand.h"
#include "ui/AlbumOpener.h"
#include "ui/AlbumWindow.h"
#include "ui/AlbumsFromFolders.h"
#include "ui/BookAlbumCommands.h"
#include "ui/BookListMenu.h"
#include "ui/BookSession.h"
#include "ui/BookToolCommands.h"
#include "ui/BookWindow.h"
#include "ui/FavouritesMenu.h"
#include "ui/LoadingWindow.h"
#include "ui/ModeSwitcher.h"
#include "ui/PlayerCapture.h"
#include "ui/PlayerLink.h"
#include "ui/PlayerWindow.h"
#include "ui/Previews.h"
#include "ui/SplashWindow.h"

#include <QAction>
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
    form1_ = std::make_unique<TForm1>(*session_, state_, dialogs_);
    form6_ = std::make_unique<TForm6>(form1_.get());
    bookSession_ = new BookSession(*session_, state_, *form1_);
    bookList_ = new BookListMenu(*session_, state_, *form1_, *bookSession_);
    favourites_ = new FavouritesMenu(*session_, state_, *form1_, *bookList_);
    new BookToolCommands(state_, *form1_, dialogs_, *documents_);
    form2_ = std::make_unique<TForm2>(*session_, state_, dialogs_);
    opener_ = new AlbumOpener(*session_, *form1_, *form2_);
    new BookAlbumCommands(*form1_, *session_, *opener_, *form2_);
    form5_ = std::make_unique<TForm5>(form1_.get(), form2_.get());
    form4_ = std::make_unique<TForm4>(*session_, state_, dialogs_);
    new PlayerLink(*form2_, *form4_);
    new PlayerCapture(*form2_, *form4_, state_, dialogs_);
    previews_ = new Previews(state_, *form1_->optionsMenu, *form2_, *form4_);
    for (QAction* option : {form1_->N39, form1_->N56})
        QObject::connect(option, &QAction::toggled, form4_.get(), &TForm4::rendererOptionsChanged);
    form2_->setLoadingWindow(form5_.get());
    form2_->setPlayerWindow(form4_.get());
    albumCommands_ = new AlbumCommands(*form2_, *session_, state_, *trash_, *launcher_);
    albumCommands_->setPlayerWindow(form4_.get());
    albumsFromFolders_ = new AlbumsFromFolders(*session_, state_, *form1_, *form2_, *opener_,
                                               *albumCommands_, *bookSession_);
    new AlbumCopyCommand(*session_, state_, *form1_);
    modeSwitcher_ = new ModeSwitcher(*session_, state_, *form1_, *bookSession_);
    modeSwitcher_->setBookListBuilder([this] { bookList_->rebuild(); });
    albumsFromFolders_->setNewBookCommand([this] { return bookList_->createBook(); });

    form1_->setExitSequence([this] {
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
        bookSession_->loadCurrentBook();
        showBookWindow();
    };
    if (state_.thumbnailsPacked) {
        openBook();
        return;
    }
    // The one-time packing of the earlier version's pictures runs on a worker thread while
    // the loading window shows its progress; start-up goes on when it is done.
    migration_ = std::make_unique<migration::ThumbnailMigrationRun>(
        state_.libraryFolder, state_.legacyThumbnailsJpeg, *form5_, dialogs_);
    QObject::connect(migration_.get(), &migration::ThumbnailMigrationRun::finished, form1_.get(),
                     openBook);
    migration_->start();
}

void AppRoot::showBookWindow() {
    if (session_->bookOpen())
        form1_->applyBookOpenState();
    else
        form1_->applyNoBookState();
    form6_->hide();
    form1_->show();
}

void AppRoot::readSettingsFile() {
    IniFile ini;
    ini.load(state_.settingsPath());
    readSettings(ini, state_, [this](SettingKey key) { applySetting(key); });
}

// Each value takes effect as it is read, in the order of the settings table.
void AppRoot::applySetting(SettingKey key) {
    form1_->applySetting(key);
    form2_->applySetting(key);
    form4_->applySetting(key);
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
        session_->setMode(media ? BookMode::Media : BookMode::Normal);
        (media ? form1_->i_media : form1_->i_normal)->setChecked(true);
        return;
    }
    dialogs_.message(bookFile + QStringLiteral(" が見つかりません!"),
                     DialogService::Buttons::OkCancel, DialogService::Icon::Error);
    state_.bookTitle.clear();
}

void AppRoot::exitSequence() {
    bookSession_->saveCurrentBook();
    form1_->setAcceptDrops(false);
    form2_->setAcceptDrops(false);
    form4_->storeSettings();
    form1_->storeGeometry();
    form2_->storeGeometry();
    report(saveSettingsFile(state_));
    report(saveUserExtensions(state_));
}

void AppRoot::report(const WriteResult& result) {
    if (!result)
        dialogs_.message(result.message(), DialogService::Buttons::Ok, DialogService::Icon::Error);
}

} // namespace tavimo
