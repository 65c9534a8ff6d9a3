#include "ui/book/BookMenuBuilder.h"

#include "ui/ActionTable.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace tavimo {

namespace {
const QString kExtensionHint =
    QStringLiteral("再生可能な動画なのにアルバムに追加できない場合、その拡張子を登録すれば追加"
                   "可能になります");
const QString kModeHint = QStringLiteral("ノーマルモードとメディア専用モードの切り替え");
} // namespace

// An action of the window: its shortcut works while the window is active, menu or not.
QAction* BookMenuBuilder::command(const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, &window_);
    if (!key.isEmpty())
        action->setShortcut(key);
    window_.addAction(action);
    return action;
}

// A menu entry of its own that runs target, so that its visibility and enabled state can
// differ from the same command's entries in other menus. A disabled target ignores it.
QAction* BookMenuBuilder::entry(QMenu* menu, const QString& text, QAction* target) {
    auto* item = menu->addAction(text);
    QObject::connect(item, &QAction::triggered, target, [target] { target->trigger(); });
    return item;
}

QAction* BookMenuBuilder::checkItem(QMenu* menu, const QString& text, bool checked) {
    auto* item = menu->addAction(text);
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

BookActions BookMenuBuilder::build(QMainWindow& window) {
    BookMenuBuilder builder(window);
    builder.buildAlbumCommands();
    builder.buildFileMenu();
    builder.buildModeMenu();
    builder.buildAlbumMenus();
    builder.buildFavouritesMenu();
    builder.buildOptionsMenu();
    builder.buildToolsAndHelp();
    builder.nameComponents();
    return builder.a_;
}

void BookMenuBuilder::buildFileMenu() {
    BookActions& w = a_;
    w.fileMenu = window_.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    w.newBook = w.fileMenu->addAction(QStringLiteral("ブックの新規作成"));
    w.bookFromMedium = w.fileMenu->addAction(QStringLiteral("メディアからブックを新規作成"));
    w.save = w.fileMenu->addAction(QStringLiteral("上書き保存(&S)"));
    w.bookListStart = w.fileMenu->addSeparator();
    w.bookListEnd = w.fileMenu->addSeparator();
    w.exit = w.fileMenu->addAction(QStringLiteral("終了(&X)"));
    // The template whose handler every book entry shares; never shown itself.
    w.bookEntryTemplate = new QAction(&window_);
    w.bookEntryTemplate->setCheckable(true);
}

void BookMenuBuilder::buildModeMenu() {
    BookActions& w = a_;
    w.modeMenu = window_.menuBar()->addMenu(QStringLiteral("モード(&M)"));
    w.modeMenu->menuAction()->setStatusTip(kModeHint);
    auto* modes = new QActionGroup(&window_);
    w.normalMode = checkItem(w.modeMenu, QStringLiteral("ノーマルモード"), true);
    w.mediaMode = checkItem(w.modeMenu, QStringLiteral("メディアモード"), false);
    for (QAction* item : {w.normalMode, w.mediaMode}) {
        item->setStatusTip(kModeHint);
        modes->addAction(item);
    }
}

void BookMenuBuilder::buildAlbumCommands() {
    BookActions& w = a_;
    w.addAlbum = command(QStringLiteral("アルバムを追加"));
    w.importAlbum = command(QStringLiteral("アルバムのインポート"));
    w.albumFromFolder = command(QStringLiteral("フォルダー内の動画からアルバムを作成"));
    w.albumFromMedium = command(QStringLiteral("メディアからアルバムを作成"));
    // Delete works from the keyboard; the album menu shows Ctrl+Delete, which works too.
    w.deleteAlbum = command(QStringLiteral("アルバムを削除"));
    w.deleteAlbum->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
    w.openAlbum = command(QStringLiteral("開く"), QKeySequence(Qt::CTRL | Qt::Key_E));
    w.playAlbum = command(QStringLiteral("再生"), QKeySequence(Qt::CTRL | Qt::Key_P));
    w.moveBack = command(QStringLiteral("前へ移動"), QKeySequence(Qt::CTRL | Qt::Key_B));
    w.moveForward = command(QStringLiteral("後へ移動"), QKeySequence(Qt::CTRL | Qt::Key_N));
    w.moveToFront = command(QStringLiteral("一番前へ移動"));
    w.moveToEnd = command(QStringLiteral("一番後ろへ移動"));
    w.sortAlbums = command(QStringLiteral("ソート"));
    w.folderSync = command(QStringLiteral("フォルダーに同期"));
    w.folderSync->setCheckable(true);
    w.copyFiles = command(QStringLiteral("アルバムの全ファイルをコピー"));
    w.renameAlbum = command(QStringLiteral("タイトルの変更"));
    w.pictureFromFile = command(QStringLiteral("画像の変更　ファイルから"));
    w.pictureFromClipboard = command(QStringLiteral("画像の変更　クリップボードから"));
    w.openPlaceholder = command(QString());
    w.saveBook = command(QString());
    w.selectNext = command(QString(), QKeySequence(Qt::Key_Right));
    w.selectPrevious = command(QString(), QKeySequence(Qt::Key_Left));
    w.selectUp = command(QString(), QKeySequence(Qt::Key_Up));
    w.selectDown = command(QString(), QKeySequence(Qt::Key_Down));
}

// The entries that put albums in order; the two menus spell "to the end" differently.
void BookMenuBuilder::addOrderEntries(QMenu* menu, const QString& toEndCaption) {
    menu->addAction(a_.moveBack);
    menu->addAction(a_.moveForward);
    entry(menu, a_.moveToFront->text(), a_.moveToFront);
    entry(menu, toEndCaption, a_.moveToEnd);
    menu->addSeparator();
    entry(menu, a_.sortAlbums->text(), a_.sortAlbums);
}

void BookMenuBuilder::buildAlbumMenus() {
    BookActions& w = a_;
    w.albumMenu = window_.menuBar()->addMenu(QStringLiteral("アルバム(&A)"));
    entry(w.albumMenu, w.addAlbum->text(), w.addAlbum);
    w.importInAlbumMenu = entry(w.albumMenu, w.importAlbum->text(), w.importAlbum);
    entry(w.albumMenu, w.albumFromFolder->text(), w.albumFromFolder);
    w.albumMenu->addSeparator();
    w.mediumInAlbumMenu = entry(w.albumMenu, w.albumFromMedium->text(), w.albumFromMedium);
    w.albumMenu->addSeparator();
    w.albumMenu->addAction(w.deleteAlbum);
    w.albumMenu->addSeparator();
    w.albumMenu->addAction(w.openAlbum);
    w.albumMenu->addAction(w.playAlbum);
    w.albumMenu->addSeparator();
    addOrderEntries(w.albumMenu, QStringLiteral("一番後ろへ移動"));

    w.albumPopup = new QMenu(&window_);
    w.albumPopup->addAction(w.openAlbum);
    w.albumPopup->addAction(w.playAlbum);
    w.albumPopup->addSeparator();
    entry(w.albumPopup, w.addAlbum->text(), w.addAlbum);
    entry(w.albumPopup, w.albumFromFolder->text(), w.albumFromFolder);
    w.importInAlbumPopup = entry(w.albumPopup, w.importAlbum->text(), w.importAlbum);
    w.albumPopup->addSeparator();
    w.mediumInAlbumPopup = entry(w.albumPopup, w.albumFromMedium->text(), w.albumFromMedium);
    w.albumPopup->addAction(w.folderSync);
    w.folderSyncSeparator = w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.deleteAlbum);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.copyFiles);
    w.albumPopup->addSeparator();
    addOrderEntries(w.albumPopup, QStringLiteral("一番後へ移動"));
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.renameAlbum);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.pictureFromFile);
    w.albumPopup->addAction(w.pictureFromClipboard);

    w.backgroundPopup = new QMenu(&window_);
    w.backgroundPopup->addAction(w.addAlbum);
    entry(w.backgroundPopup, w.albumFromFolder->text(), w.albumFromFolder);
    w.importInBackground = entry(w.backgroundPopup, w.importAlbum->text(), w.importAlbum);
    w.backgroundPopup->addSeparator();
    entry(w.backgroundPopup, w.sortAlbums->text(), w.sortAlbums);
}

void BookMenuBuilder::buildFavouritesMenu() {
    BookActions& w = a_;
    w.favouritesMenu = window_.menuBar()->addMenu(QStringLiteral("お気に入り(&B)"));
    w.chooseFavourite = w.favouritesMenu->addAction(QStringLiteral("お気に入りの設定"));
    w.favouritesSeparator = w.favouritesMenu->addSeparator();
}

void BookMenuBuilder::buildOptionsMenu() {
    BookActions& w = a_;
    w.optionsMenu = window_.menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    w.thumbSizeMenu = w.optionsMenu->addMenu(QStringLiteral("サムネイルサイズ"));
    auto* sizes = new QActionGroup(&window_);
    w.largeCells = checkItem(w.thumbSizeMenu, QStringLiteral("120 * 90"), true);
    w.smallCells = checkItem(w.thumbSizeMenu, QStringLiteral("80 * 60"), false);
    sizes->addAction(w.largeCells);
    sizes->addAction(w.smallCells);
    w.backgroundColor = w.optionsMenu->addAction(QStringLiteral("背景色"));
    w.fontColor = w.optionsMenu->addAction(QStringLiteral("フォント色"));
    w.optionsMenu->addSeparator();
    w.autoHeight = checkItem(
        w.optionsMenu, QStringLiteral("ウィンドウサイズの自動調整」（ただし高さのみ）"), false);
    w.optionsMenu->addSeparator();
    w.syncFolderAlbums = checkItem(
        w.optionsMenu,
        QStringLiteral("フォルダーからアルバムを作る際、フォルダーとの同期を自動的に設定する"),
        false);
    w.skipUnreadable =
        checkItem(w.optionsMenu, QStringLiteral("読み込めないファイルは登録しない"), false);
    w.optionsMenu->addSeparator();
    w.otherPlayer = w.optionsMenu->addAction(QStringLiteral("他のプレイヤーの指定"));
    w.optionsMenu->addSeparator();
    w.captureMenu = w.optionsMenu->addMenu(QStringLiteral("キャプチャー画像"));
    w.captureOriginalSize = checkItem(w.captureMenu, QStringLiteral("オリジナルサイズ"), true);
    w.captureSilent =
        checkItem(w.captureMenu, QStringLiteral("保存時ダイアログを表示しない"), true);
    w.captureFolder = w.captureMenu->addAction(QStringLiteral("保存フォルダーの設定"));
    w.fixVideoDisplay = checkItem(w.optionsMenu, QStringLiteral("動画表示を修正"), false);
    w.oldRenderer = checkItem(w.optionsMenu, QStringLiteral("旧レンダラー"), false);
    w.optionsMenu->addSeparator();
    w.addExtension = w.optionsMenu->addAction(QStringLiteral("対応拡張子の追加"));
    w.addExtension->setStatusTip(kExtensionHint);
}

void BookMenuBuilder::buildToolsAndHelp() {
    BookActions& w = a_;
    w.toolsMenu = window_.menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    w.siblingTool = w.toolsMenu->addAction(QStringLiteral("Pelkora"));
    w.videoSearch = w.toolsMenu->addAction(QStringLiteral("動画の検索..."));
    w.videoSearch->setObjectName(QStringLiteral("videoSearch"));
    w.videoSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    w.helpMenu = window_.menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    w.help = w.helpMenu->addAction(QStringLiteral("ヘルプの表示"));
    w.versionMenu = w.helpMenu->addMenu(QStringLiteral("バージョン情報(&A)..."));
    w.versionMenu->addAction(QStringLiteral("ver.351"));
}

void BookMenuBuilder::nameComponents() {
    setComponentNames({
        {a_.favouritesMenu, "favmenu"},
        {a_.newBook, "new"},
        {a_.bookFromMedium, "N46"},
        {a_.exit, "FileExit1"},
        {a_.bookEntryTemplate, "execbook"},
        {a_.normalMode, "i_normal"},
        {a_.mediaMode, "i_media"},
        {a_.addAlbum, "addalbum"},
        {a_.importAlbum, "importalbum"},
        {a_.albumFromFolder, "folderalbum"},
        {a_.albumFromMedium, "mediaalbum"},
        {a_.deleteAlbum, "delalbum"},
        {a_.openAlbum, "alb_edit"},
        {a_.playAlbum, "alb_play"},
        {a_.moveBack, "alb_back"},
        {a_.moveForward, "alb_next"},
        {a_.moveToFront, "alb_first"},
        {a_.moveToEnd, "alb_last"},
        {a_.sortAlbums, "albsort"},
        {a_.folderSync, "syncro"},
        {a_.copyFiles, "copyfiles"},
        {a_.renameAlbum, "chgtitle"},
        {a_.pictureFromFile, "chgpic"},
        {a_.pictureFromClipboard, "copypic"},
        {a_.openPlaceholder, "FileOpen2"},
        {a_.saveBook, "booksave"},
        {a_.selectNext, "setnext"},
        {a_.selectPrevious, "setback"},
        {a_.selectUp, "seup"},
        {a_.selectDown, "setdown"},
        {a_.importInAlbumMenu, "N23"},
        {a_.importInAlbumPopup, "N26"},
        {a_.importInBackground, "N30"},
        {a_.mediumInAlbumMenu, "mediaitem"},
        {a_.mediumInAlbumPopup, "N47"},
        {a_.chooseFavourite, "favset"},
        {a_.largeCells, "bigthum"},
        {a_.smallCells, "smallthum"},
        {a_.backgroundColor, "bgcolor"},
        {a_.fontColor, "fontcolor"},
        {a_.autoHeight, "autosaizeitem"},
        {a_.syncFolderAlbums, "syncauto"},
        {a_.skipUnreadable, "N57"},
        {a_.otherPlayer, "plselect"},
        {a_.captureOriginalSize, "N33"},
        {a_.captureSilent, "dia"},
        {a_.captureFolder, "capdir"},
        {a_.fixVideoDisplay, "N39"},
        {a_.oldRenderer, "N56"},
        {a_.addExtension, "addext"},
        {a_.siblingTool, "pelkora"},
        {a_.help, "helpitem"},
    });
}

} // namespace tavimo
