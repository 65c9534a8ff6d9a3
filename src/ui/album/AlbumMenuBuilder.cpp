#include "ui/album/AlbumMenuBuilder.h"

#include "ui/album/AlbumWindow.h"

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

void AlbumMenuBuilder::buildActions() {
    AlbumWindow& w = window_;
    w.a_autoplay = command(QStringLiteral("連続再生"), Qt::Key_A);
    w.a_play = command(QStringLiteral("プレイ"), Qt::Key_P);
    w.FileOpen1 = command(QStringLiteral("開く"), Qt::Key_O);
    w.a_back = command(QStringLiteral("前へ移動"), Qt::Key_B);
    w.a_next = command(QStringLiteral("次へ移動"), Qt::Key_N);
    w.a_del = command(QStringLiteral("削除"), Qt::Key_Delete);
    w.setnext2 = command(QString(), Qt::Key_Right);
    w.setback2 = command(QString(), Qt::Key_Left);
    w.setup2 = command(QString(), Qt::Key_Up);
    w.setdown2 = command(QString(), Qt::Key_Down);
    w.setsort = command(QStringLiteral("頭文字順に並び替え"), Qt::Key_S);
    w.setsortfab = command(QStringLiteral("再生頻度順に並び替え"));
    w.chngpic = command(QStringLiteral("画像の変更　ファイルから"));
    w.clippic = command(QStringLiteral("画像を変更　クリップボードから"));
    w.N11 = command(QStringLiteral("画像を更新"), Qt::Key_U);
    w.N10 = command(QStringLiteral("この画像をアルバム画像に設定"), Qt::Key_I);
    w.a_filedel = command(QStringLiteral("ファイルごと削除 （ゴミ箱へ）"),
                          QKeySequence(Qt::CTRL | Qt::Key_Delete));
    w.folderOpen = command(QStringLiteral("フォルダーを開く"), QKeySequence(Qt::CTRL | Qt::Key_F));
    w.closeItem = command(QStringLiteral("閉じる"), Qt::Key_Escape);
    w.N18 = command(QStringLiteral("一番前へ移動"));
    w.N19 = command(QStringLiteral("一番後へ移動"));
    w.N27 = command(QStringLiteral("他のプレイヤーで再生"));
    w.N14 = menuCopy(w.folderOpen);
    w.delfitem = menuCopy(w.a_filedel);
}

void AlbumMenuBuilder::buildMenus() {
    AlbumWindow& w = window_;
    QMenu* cell = w.PopMenu = new QMenu(&w);
    cell->setObjectName(QStringLiteral("PopMenu"));
    cell->addAction(w.a_autoplay);
    cell->addAction(w.a_play);
    cell->addSeparator();
    cell->addAction(w.N27);
    cell->addSeparator();
    cell->addAction(w.closeItem);
    cell->addSeparator();
    w.fadd = cell->addMenu(QStringLiteral("お気に入りに追加"));
    cell->addSeparator();
    cell->addAction(w.a_back);
    // The cell menu calls moving forward "後へ移動".
    QAction* forward = cell->addAction(QStringLiteral("後へ移動"));
    forward->setShortcut(w.a_next->shortcut());
    forward->setShortcutVisibleInContextMenu(true);
    QObject::connect(forward, &QAction::triggered, w.a_next, &QAction::trigger);
    QObject::connect(w.a_next, &QAction::enabledChanged, forward, &QAction::setEnabled);
    cell->addAction(w.N18);
    cell->addAction(w.N19);
    cell->addSeparator();
    cell->addAction(w.setsort);
    cell->addAction(w.setsortfab);
    cell->addSeparator();
    cell->addAction(w.N11);
    cell->addAction(w.chngpic);
    cell->addAction(w.clippic);
    cell->addSeparator();
    cell->addAction(w.N10);
    cell->addSeparator();
    cell->addAction(w.a_del);
    cell->addSeparator();
    cell->addAction(w.delfitem);

    QMenu* grid = w.PopupMenu1 = new QMenu(&w);
    grid->setObjectName(QStringLiteral("PopupMenu1"));
    grid->addAction(w.FileOpen1);
    grid->addAction(w.N14);
    grid->addSeparator();
    grid->addAction(w.setsort);
    grid->addAction(w.setsortfab);
    grid->addSeparator();
    grid->addAction(w.closeItem);
}

} // namespace tavimo
