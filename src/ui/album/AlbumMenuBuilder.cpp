#include "ui/album/AlbumMenuBuilder.h"

#include "ui/ActionTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace tavimo {

// An action of the window: its key works while the window is active, menu or not.
QAction* AlbumMenuBuilder::command(const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, &window_);
    if (!key.isEmpty())
        action->setShortcut(key);
    window_.addAction(action);
    return action;
}

// A menu entry of its own that runs the command, so that it can be switched apart from it. It
// shows the command's key, but the window's own action answers the key.
QAction* AlbumMenuBuilder::menuCopy(QAction* command) {
    auto* entry = new QAction(command->text(), &window_);
    entry->setShortcut(command->shortcut());
    entry->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    return entry;
}

AlbumActions AlbumMenuBuilder::build(QMainWindow& window) {
    AlbumMenuBuilder builder(window);
    builder.buildActions();
    builder.buildMenus();
    builder.nameComponents();
    return builder.a_;
}

void AlbumMenuBuilder::buildActions() {
    AlbumActions& w = a_;
    w.continuousPlay = command(QStringLiteral("連続再生"), Qt::Key_A);
    w.play = command(QStringLiteral("プレイ"), Qt::Key_P);
    w.openFiles = command(QStringLiteral("開く"), Qt::Key_O);
    w.moveBack = command(QStringLiteral("前へ移動"), Qt::Key_B);
    w.moveForward = command(QStringLiteral("次へ移動"), Qt::Key_N);
    w.deleteVideo = command(QStringLiteral("削除"), Qt::Key_Delete);
    w.selectNext = command(QString(), Qt::Key_Right);
    w.selectPrevious = command(QString(), Qt::Key_Left);
    w.selectUp = command(QString(), Qt::Key_Up);
    w.selectDown = command(QString(), Qt::Key_Down);
    w.sortByName = command(QStringLiteral("頭文字順に並び替え"), Qt::Key_S);
    w.sortByPlayCount = command(QStringLiteral("再生頻度順に並び替え"));
    w.pictureFromFile = command(QStringLiteral("画像の変更　ファイルから"));
    w.pictureFromClipboard = command(QStringLiteral("画像を変更　クリップボードから"));
    w.refreshPicture = command(QStringLiteral("画像を更新"), Qt::Key_U);
    w.setAlbumPicture = command(QStringLiteral("この画像をアルバム画像に設定"), Qt::Key_I);
    w.deleteFile = command(QStringLiteral("ファイルごと削除 （ゴミ箱へ）"),
                           QKeySequence(Qt::CTRL | Qt::Key_Delete));
    w.openFolder = command(QStringLiteral("フォルダーを開く"), QKeySequence(Qt::CTRL | Qt::Key_F));
    w.close = command(QStringLiteral("閉じる"), Qt::Key_Escape);
    w.moveToFront = command(QStringLiteral("一番前へ移動"));
    w.moveToEnd = command(QStringLiteral("一番後へ移動"));
    w.otherPlayer = command(QStringLiteral("他のプレイヤーで再生"));
    w.openFolderEntry = menuCopy(w.openFolder);
    w.deleteFileEntry = menuCopy(w.deleteFile);
}

void AlbumMenuBuilder::buildMenus() {
    AlbumActions& w = a_;
    QMenu* cell = w.cellMenu = new QMenu(&window_);
    cell->setObjectName(QStringLiteral("PopMenu"));
    cell->addAction(w.continuousPlay);
    cell->addAction(w.play);
    cell->addSeparator();
    cell->addAction(w.otherPlayer);
    cell->addSeparator();
    cell->addAction(w.close);
    cell->addSeparator();
    w.favourites = cell->addMenu(QStringLiteral("お気に入りに追加"));
    cell->addSeparator();
    cell->addAction(w.moveBack);
    // The cell menu calls moving forward "後へ移動".
    QAction* forward = w.moveForwardEntry = cell->addAction(QStringLiteral("後へ移動"));
    forward->setShortcut(w.moveForward->shortcut());
    forward->setShortcutVisibleInContextMenu(true);
    QObject::connect(forward, &QAction::triggered, w.moveForward, &QAction::trigger);
    QObject::connect(w.moveForward, &QAction::enabledChanged, forward, &QAction::setEnabled);
    cell->addAction(w.moveToFront);
    cell->addAction(w.moveToEnd);
    cell->addSeparator();
    cell->addAction(w.sortByName);
    cell->addAction(w.sortByPlayCount);
    cell->addSeparator();
    cell->addAction(w.refreshPicture);
    cell->addAction(w.pictureFromFile);
    cell->addAction(w.pictureFromClipboard);
    cell->addSeparator();
    cell->addAction(w.setAlbumPicture);
    cell->addSeparator();
    cell->addAction(w.deleteVideo);
    cell->addSeparator();
    cell->addAction(w.deleteFileEntry);

    QMenu* grid = w.gridMenu = new QMenu(&window_);
    grid->setObjectName(QStringLiteral("PopupMenu1"));
    grid->addAction(w.openFiles);
    grid->addAction(w.openFolderEntry);
    grid->addSeparator();
    grid->addAction(w.sortByName);
    grid->addAction(w.sortByPlayCount);
    grid->addSeparator();
    grid->addAction(w.close);
}

void AlbumMenuBuilder::nameComponents() {
    setComponentNames({
        {a_.continuousPlay, "a_autoplay"},
        {a_.play, "a_play"},
        {a_.openFiles, "FileOpen1"},
        {a_.moveBack, "a_back"},
        {a_.moveForward, "a_next"},
        {a_.deleteVideo, "a_del"},
        {a_.selectNext, "setnext2"},
        {a_.selectPrevious, "setback2"},
        {a_.selectUp, "setup2"},
        {a_.selectDown, "setdown2"},
        {a_.sortByName, "setsort"},
        {a_.sortByPlayCount, "setsortfab"},
        {a_.pictureFromFile, "chngpic"},
        {a_.pictureFromClipboard, "clippic"},
        {a_.refreshPicture, "N11"},
        {a_.setAlbumPicture, "N10"},
        {a_.deleteFile, "a_filedel"},
        {a_.openFolder, "folderOpen"},
        {a_.close, "closeItem"},
        {a_.moveToFront, "N18"},
        {a_.moveToEnd, "N19"},
        {a_.otherPlayer, "N27"},
        {a_.openFolderEntry, "N14"},
        {a_.deleteFileEntry, "delfitem"},
        {a_.favourites, "fadd"},
    });
}

} // namespace tavimo
