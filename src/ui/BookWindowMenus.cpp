// The book window's menu bar and popup menus: captions, order, separators and shortcuts.
#include "ui/BookWindow.h"

#include <QActionGroup>
#include <QMenuBar>

namespace tavimo {

namespace {
const QString kExtensionHint =
    QStringLiteral("再生可能な動画なのにアルバムに追加できない場合、その拡張子を登録すれば追加"
                   "可能になります");
const QString kModeHint = QStringLiteral("ノーマルモードとメディア専用モードの切り替え");
} // namespace

// An action of the window: its shortcut works while the window is active, menu or not.
QAction* TForm1::command(const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, this);
    if (!key.isEmpty())
        action->setShortcut(key);
    addAction(action);
    return action;
}

// A menu entry of its own that runs target, so that its visibility and enabled state can
// differ from the same command's entries in other menus. A disabled target ignores it.
QAction* TForm1::entry(QMenu* menu, const QString& text, QAction* target) {
    auto* item = menu->addAction(text);
    connect(item, &QAction::triggered, target, [target] { target->trigger(); });
    return item;
}

QAction* TForm1::checkItem(QMenu* menu, const QString& text, bool checked) {
    auto* item = menu->addAction(text);
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

void TForm1::buildMenus() {
    buildAlbumCommands();
    buildFileMenu();
    buildModeMenu();
    buildAlbumMenus();
    buildFavouritesMenu();
    buildOptionsMenu();
    buildToolsAndHelp();
}

void TForm1::buildFileMenu() {
    fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    new_ = fileMenu->addAction(QStringLiteral("ブックの新規作成"));
    N46 = fileMenu->addAction(QStringLiteral("メディアからブックを新規作成"));
    saveItem = fileMenu->addAction(QStringLiteral("上書き保存(&S)"));
    bookListStart = fileMenu->addSeparator();
    bookListEnd = fileMenu->addSeparator();
    FileExit1 = fileMenu->addAction(QStringLiteral("終了(&X)"));
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    // The template whose handler every book entry shares; never shown itself.
    execbook = new QAction(this);
    execbook->setCheckable(true);
}

void TForm1::buildModeMenu() {
    modeMenu = menuBar()->addMenu(QStringLiteral("モード(&M)"));
    modeMenu->menuAction()->setStatusTip(kModeHint);
    modeGroup_ = new QActionGroup(this);
    i_normal = checkItem(modeMenu, QStringLiteral("ノーマルモード"), true);
    i_media = checkItem(modeMenu, QStringLiteral("メディアモード"), false);
    for (QAction* item : {i_normal, i_media}) {
        item->setStatusTip(kModeHint);
        modeGroup_->addAction(item);
    }
}

void TForm1::buildAlbumCommands() {
    addalbum = command(QStringLiteral("アルバムを追加"));
    importalbum = command(QStringLiteral("アルバムのインポート"));
    folderalbum = command(QStringLiteral("フォルダー内の動画からアルバムを作成"));
    mediaalbum = command(QStringLiteral("メディアからアルバムを作成"));
    // Delete works from the keyboard; the album menu shows Ctrl+Delete, which works too.
    delalbum = command(QStringLiteral("アルバムを削除"));
    delalbum->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
    alb_edit = command(QStringLiteral("開く"), QKeySequence(Qt::CTRL | Qt::Key_E));
    alb_play = command(QStringLiteral("再生"), QKeySequence(Qt::CTRL | Qt::Key_P));
    alb_back = command(QStringLiteral("前へ移動"), QKeySequence(Qt::CTRL | Qt::Key_B));
    alb_next = command(QStringLiteral("後へ移動"), QKeySequence(Qt::CTRL | Qt::Key_N));
    alb_first = command(QStringLiteral("一番前へ移動"));
    alb_last = command(QStringLiteral("一番後ろへ移動"));
    albsort = command(QStringLiteral("ソート"));
    syncro = command(QStringLiteral("フォルダーに同期"));
    syncro->setCheckable(true);
    copyfiles = command(QStringLiteral("アルバムの全ファイルをコピー"));
    chgtitle = command(QStringLiteral("タイトルの変更"));
    chgpic = command(QStringLiteral("画像の変更　ファイルから"));
    copypic = command(QStringLiteral("画像の変更　クリップボードから"));
    FileOpen2 = command(QString());
    booksave = command(QString());
    setnext = command(QString(), QKeySequence(Qt::Key_Right));
    setback = command(QString(), QKeySequence(Qt::Key_Left));
    seup = command(QString(), QKeySequence(Qt::Key_Up));
    setdown = command(QString(), QKeySequence(Qt::Key_Down));
}

void TForm1::buildAlbumMenus() {
    albumMenu = menuBar()->addMenu(QStringLiteral("アルバム(&A)"));
    entry(albumMenu, addalbum->text(), addalbum);
    N23 = entry(albumMenu, importalbum->text(), importalbum);
    entry(albumMenu, folderalbum->text(), folderalbum);
    albumMenu->addSeparator();
    mediaitem = entry(albumMenu, mediaalbum->text(), mediaalbum);
    albumMenu->addSeparator();
    albumMenu->addAction(delalbum);
    albumMenu->addSeparator();
    albumMenu->addAction(alb_edit);
    albumMenu->addAction(alb_play);
    albumMenu->addSeparator();
    albumMenu->addAction(alb_back);
    albumMenu->addAction(alb_next);
    entry(albumMenu, alb_first->text(), alb_first);
    entry(albumMenu, QStringLiteral("一番後ろへ移動"), alb_last);
    albumMenu->addSeparator();
    entry(albumMenu, albsort->text(), albsort);

    albumPopup = new QMenu(this);
    albumPopup->addAction(alb_edit);
    albumPopup->addAction(alb_play);
    albumPopup->addSeparator();
    entry(albumPopup, addalbum->text(), addalbum);
    entry(albumPopup, folderalbum->text(), folderalbum);
    N26 = entry(albumPopup, importalbum->text(), importalbum);
    albumPopup->addSeparator();
    N47 = entry(albumPopup, mediaalbum->text(), mediaalbum);
    albumPopup->addAction(syncro);
    syncroSeparator = albumPopup->addSeparator();
    albumPopup->addAction(delalbum);
    albumPopup->addSeparator();
    albumPopup->addAction(copyfiles);
    albumPopup->addSeparator();
    albumPopup->addAction(alb_back);
    albumPopup->addAction(alb_next);
    entry(albumPopup, alb_first->text(), alb_first);
    entry(albumPopup, QStringLiteral("一番後へ移動"), alb_last);
    albumPopup->addSeparator();
    entry(albumPopup, albsort->text(), albsort);
    albumPopup->addSeparator();
    albumPopup->addAction(chgtitle);
    albumPopup->addSeparator();
    albumPopup->addAction(chgpic);
    albumPopup->addAction(copypic);

    backgroundPopup = new QMenu(this);
    backgroundPopup->addAction(addalbum);
    entry(backgroundPopup, folderalbum->text(), folderalbum);
    N30 = entry(backgroundPopup, importalbum->text(), importalbum);
    backgroundPopup->addSeparator();
    entry(backgroundPopup, albsort->text(), albsort);
}

void TForm1::buildFavouritesMenu() {
    favmenu = menuBar()->addMenu(QStringLiteral("お気に入り(&B)"));
    favset = favmenu->addAction(QStringLiteral("お気に入りの設定"));
    favSeparator = favmenu->addSeparator();
}

void TForm1::buildOptionsMenu() {
    optionsMenu = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    thumbSizeMenu = optionsMenu->addMenu(QStringLiteral("サムネイルサイズ"));
    sizeGroup_ = new QActionGroup(this);
    bigthum = checkItem(thumbSizeMenu, QStringLiteral("120 * 90"), true);
    smallthum = checkItem(thumbSizeMenu, QStringLiteral("80 * 60"), false);
    sizeGroup_->addAction(bigthum);
    sizeGroup_->addAction(smallthum);
    bgcolor = optionsMenu->addAction(QStringLiteral("背景色"));
    fontcolor = optionsMenu->addAction(QStringLiteral("フォント色"));
    optionsMenu->addSeparator();
    autosaizeitem = checkItem(
        optionsMenu, QStringLiteral("ウィンドウサイズの自動調整」（ただし高さのみ）"), false);
    optionsMenu->addSeparator();
    syncauto = checkItem(
        optionsMenu,
        QStringLiteral("フォルダーからアルバムを作る際、フォルダーとの同期を自動的に設定する"),
        false);
    N57 = checkItem(optionsMenu, QStringLiteral("読み込めないファイルは登録しない"), false);
    optionsMenu->addSeparator();
    plselect = optionsMenu->addAction(QStringLiteral("他のプレイヤーの指定"));
    optionsMenu->addSeparator();
    captureMenu = optionsMenu->addMenu(QStringLiteral("キャプチャー画像"));
    N33 = checkItem(captureMenu, QStringLiteral("オリジナルサイズ"), true);
    dia = checkItem(captureMenu, QStringLiteral("保存時ダイアログを表示しない"), true);
    capdir = captureMenu->addAction(QStringLiteral("保存フォルダーの設定"));
    N39 = checkItem(optionsMenu, QStringLiteral("動画表示を修正"), false);
    N56 = checkItem(optionsMenu, QStringLiteral("旧レンダラー"), false);
    optionsMenu->addSeparator();
    addext = optionsMenu->addAction(QStringLiteral("対応拡張子の追加"));
    addext->setStatusTip(kExtensionHint);
}

void TForm1::buildToolsAndHelp() {
    toolsMenu = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    pelkora = toolsMenu->addAction(QStringLiteral("Pelkora"));
    helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpitem = helpMenu->addAction(QStringLiteral("ヘルプの表示"));
    versionMenu = helpMenu->addMenu(QStringLiteral("バージョン情報(&A)..."));
    versionMenu->addAction(QStringLiteral("ver.351"));
}

} // namespace tavimo
