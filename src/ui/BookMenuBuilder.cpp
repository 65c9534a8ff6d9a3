#include "ui/BookMenuBuilder.h"

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

void BookMenuBuilder::build() {
    buildAlbumCommands();
    buildFileMenu();
    buildModeMenu();
    buildAlbumMenus();
    buildFavouritesMenu();
    buildOptionsMenu();
    buildToolsAndHelp();
}

void BookMenuBuilder::buildFileMenu() {
    TForm1& w = window_;
    w.fileMenu = w.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    w.new_ = w.fileMenu->addAction(QStringLiteral("ブックの新規作成"));
    w.N46 = w.fileMenu->addAction(QStringLiteral("メディアからブックを新規作成"));
    w.saveItem = w.fileMenu->addAction(QStringLiteral("上書き保存(&S)"));
    w.bookListStart = w.fileMenu->addSeparator();
    w.bookListEnd = w.fileMenu->addSeparator();
    w.FileExit1 = w.fileMenu->addAction(QStringLiteral("終了(&X)"));
    // The template whose handler every book entry shares; never shown itself.
    w.execbook = new QAction(&w);
    w.execbook->setCheckable(true);
}

void BookMenuBuilder::buildModeMenu() {
    TForm1& w = window_;
    w.modeMenu = w.menuBar()->addMenu(QStringLiteral("モード(&M)"));
    w.modeMenu->menuAction()->setStatusTip(kModeHint);
    auto* modes = new QActionGroup(&w);
    w.i_normal = checkItem(w.modeMenu, QStringLiteral("ノーマルモード"), true);
    w.i_media = checkItem(w.modeMenu, QStringLiteral("メディアモード"), false);
    for (QAction* item : {w.i_normal, w.i_media}) {
        item->setStatusTip(kModeHint);
        modes->addAction(item);
    }
}

void BookMenuBuilder::buildAlbumCommands() {
    TForm1& w = window_;
    w.addalbum = command(QStringLiteral("アルバムを追加"));
    w.importalbum = command(QStringLiteral("アルバムのインポート"));
    w.folderalbum = command(QStringLiteral("フォルダー内の動画からアルバムを作成"));
    w.mediaalbum = command(QStringLiteral("メディアからアルバムを作成"));
    // Delete works from the keyboard; the album menu shows Ctrl+Delete, which works too.
    w.delalbum = command(QStringLiteral("アルバムを削除"));
    w.delalbum->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
    w.alb_edit = command(QStringLiteral("開く"), QKeySequence(Qt::CTRL | Qt::Key_E));
    w.alb_play = command(QStringLiteral("再生"), QKeySequence(Qt::CTRL | Qt::Key_P));
    w.alb_back = command(QStringLiteral("前へ移動"), QKeySequence(Qt::CTRL | Qt::Key_B));
    w.alb_next = command(QStringLiteral("後へ移動"), QKeySequence(Qt::CTRL | Qt::Key_N));
    w.alb_first = command(QStringLiteral("一番前へ移動"));
    w.alb_last = command(QStringLiteral("一番後ろへ移動"));
    w.albsort = command(QStringLiteral("ソート"));
    w.syncro = command(QStringLiteral("フォルダーに同期"));
    w.syncro->setCheckable(true);
    w.copyfiles = command(QStringLiteral("アルバムの全ファイルをコピー"));
    w.chgtitle = command(QStringLiteral("タイトルの変更"));
    w.chgpic = command(QStringLiteral("画像の変更　ファイルから"));
    w.copypic = command(QStringLiteral("画像の変更　クリップボードから"));
    w.FileOpen2 = command(QString());
    w.booksave = command(QString());
    w.setnext = command(QString(), QKeySequence(Qt::Key_Right));
    w.setback = command(QString(), QKeySequence(Qt::Key_Left));
    w.seup = command(QString(), QKeySequence(Qt::Key_Up));
    w.setdown = command(QString(), QKeySequence(Qt::Key_Down));
}

void BookMenuBuilder::buildAlbumMenus() {
    TForm1& w = window_;
    w.albumMenu = w.menuBar()->addMenu(QStringLiteral("アルバム(&A)"));
    entry(w.albumMenu, w.addalbum->text(), w.addalbum);
    w.N23 = entry(w.albumMenu, w.importalbum->text(), w.importalbum);
    entry(w.albumMenu, w.folderalbum->text(), w.folderalbum);
    w.albumMenu->addSeparator();
    w.mediaitem = entry(w.albumMenu, w.mediaalbum->text(), w.mediaalbum);
    w.albumMenu->addSeparator();
    w.albumMenu->addAction(w.delalbum);
    w.albumMenu->addSeparator();
    w.albumMenu->addAction(w.alb_edit);
    w.albumMenu->addAction(w.alb_play);
    w.albumMenu->addSeparator();
    w.albumMenu->addAction(w.alb_back);
    w.albumMenu->addAction(w.alb_next);
    entry(w.albumMenu, w.alb_first->text(), w.alb_first);
    entry(w.albumMenu, QStringLiteral("一番後ろへ移動"), w.alb_last);
    w.albumMenu->addSeparator();
    entry(w.albumMenu, w.albsort->text(), w.albsort);

    w.albumPopup = new QMenu(&w);
    w.albumPopup->addAction(w.alb_edit);
    w.albumPopup->addAction(w.alb_play);
    w.albumPopup->addSeparator();
    entry(w.albumPopup, w.addalbum->text(), w.addalbum);
    entry(w.albumPopup, w.folderalbum->text(), w.folderalbum);
    w.N26 = entry(w.albumPopup, w.importalbum->text(), w.importalbum);
    w.albumPopup->addSeparator();
    w.N47 = entry(w.albumPopup, w.mediaalbum->text(), w.mediaalbum);
    w.albumPopup->addAction(w.syncro);
    w.syncroSeparator = w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.delalbum);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.copyfiles);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.alb_back);
    w.albumPopup->addAction(w.alb_next);
    entry(w.albumPopup, w.alb_first->text(), w.alb_first);
    entry(w.albumPopup, QStringLiteral("一番後へ移動"), w.alb_last);
    w.albumPopup->addSeparator();
    entry(w.albumPopup, w.albsort->text(), w.albsort);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.chgtitle);
    w.albumPopup->addSeparator();
    w.albumPopup->addAction(w.chgpic);
    w.albumPopup->addAction(w.copypic);

    w.backgroundPopup = new QMenu(&w);
    w.backgroundPopup->addAction(w.addalbum);
    entry(w.backgroundPopup, w.folderalbum->text(), w.folderalbum);
    w.N30 = entry(w.backgroundPopup, w.importalbum->text(), w.importalbum);
    w.backgroundPopup->addSeparator();
    entry(w.backgroundPopup, w.albsort->text(), w.albsort);
}

void BookMenuBuilder::buildFavouritesMenu() {
    TForm1& w = window_;
    w.favmenu = w.menuBar()->addMenu(QStringLiteral("お気に入り(&B)"));
    w.favset = w.favmenu->addAction(QStringLiteral("お気に入りの設定"));
    w.favSeparator = w.favmenu->addSeparator();
}

void BookMenuBuilder::buildOptionsMenu() {
    TForm1& w = window_;
    w.optionsMenu = w.menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    w.thumbSizeMenu = w.optionsMenu->addMenu(QStringLiteral("サムネイルサイズ"));
    auto* sizes = new QActionGroup(&w);
    w.bigthum = checkItem(w.thumbSizeMenu, QStringLiteral("120 * 90"), true);
    w.smallthum = checkItem(w.thumbSizeMenu, QStringLiteral("80 * 60"), false);
    sizes->addAction(w.bigthum);
    sizes->addAction(w.smallthum);
    w.bgcolor = w.optionsMenu->addAction(QStringLiteral("背景色"));
    w.fontcolor = w.optionsMenu->addAction(QStringLiteral("フォント色"));
    w.optionsMenu->addSeparator();
    w.autosaizeitem = checkItem(
        w.optionsMenu, QStringLiteral("ウィンドウサイズの自動調整」（ただし高さのみ）"), false);
    w.optionsMenu->addSeparator();
    w.syncauto = checkItem(
        w.optionsMenu,
        QStringLiteral("フォルダーからアルバムを作る際、フォルダーとの同期を自動的に設定する"),
        false);
    w.N57 = checkItem(w.optionsMenu, QStringLiteral("読み込めないファイルは登録しない"), false);
    w.optionsMenu->addSeparator();
    w.plselect = w.optionsMenu->addAction(QStringLiteral("他のプレイヤーの指定"));
    w.optionsMenu->addSeparator();
    w.captureMenu = w.optionsMenu->addMenu(QStringLiteral("キャプチャー画像"));
    w.N33 = checkItem(w.captureMenu, QStringLiteral("オリジナルサイズ"), true);
    w.dia = checkItem(w.captureMenu, QStringLiteral("保存時ダイアログを表示しない"), true);
    w.capdir = w.captureMenu->addAction(QStringLiteral("保存フォルダーの設定"));
    w.N39 = checkItem(w.optionsMenu, QStringLiteral("動画表示を修正"), false);
    w.N56 = checkItem(w.optionsMenu, QStringLiteral("旧レンダラー"), false);
    w.optionsMenu->addSeparator();
    w.addext = w.optionsMenu->addAction(QStringLiteral("対応拡張子の追加"));
    w.addext->setStatusTip(kExtensionHint);
}

void BookMenuBuilder::buildToolsAndHelp() {
    TForm1& w = window_;
    w.toolsMenu = w.menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    w.pelkora = w.toolsMenu->addAction(QStringLiteral("Pelkora"));
    w.videoSearch = w.toolsMenu->addAction(QStringLiteral("動画の検索..."));
    w.videoSearch->setObjectName(QStringLiteral("videoSearch"));
    w.videoSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    w.helpMenu = w.menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    w.helpitem = w.helpMenu->addAction(QStringLiteral("ヘルプの表示"));
    w.versionMenu = w.helpMenu->addMenu(QStringLiteral("バージョン情報(&A)..."));
    w.versionMenu->addAction(QStringLiteral("ver.351"));
}

} // namespace tavimo
