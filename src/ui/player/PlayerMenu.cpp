#include "ui/player/PlayerMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

namespace tavimo {

namespace {

QAction* command(QWidget& window, const QString& text, const QKeySequence& key = {}) {
    auto* action = new QAction(text, &window);
    if (!key.isEmpty())
        action->setShortcut(key);
    window.addAction(action);
    return action;
}

// A submenu of items of which one is checked.
QList<QAction*> radioItems(QMenu* menu, const QStringList& captions) {
    auto* group = new QActionGroup(menu);
    QList<QAction*> items;
    for (const QString& caption : captions) {
        QAction* item = menu->addAction(caption);
        item->setCheckable(true);
        group->addAction(item);
        items.append(item);
    }
    items.first()->setChecked(true);
    return items;
}

} // namespace

PlayerActions buildPlayerMenu(QWidget& window) {
    PlayerActions a;
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        return QKeySequence(QKeyCombination(m, k));
    };
    a.continuous = command(window, QStringLiteral("連続再生"), key(Qt::Key_A));
    a.play = command(window, QStringLiteral("再生"), key(Qt::Key_P));
    a.pause = command(window, QStringLiteral("一時停止"), key(Qt::Key_Z));
    a.rewind = command(window, QStringLiteral("巻き戻し"), key(Qt::Key_R));
    a.previous = command(window, QStringLiteral("前へ"), key(Qt::Key_B));
    a.next = command(window, QStringLiteral("次へ"), key(Qt::Key_N));
    a.back1 = command(window, QStringLiteral("1分前へ"), key(Qt::Key_Left));
    a.back10 = command(window, QStringLiteral("10分前へ"), key(Qt::Key_Left, Qt::ControlModifier));
    a.forward1 = command(window, QStringLiteral("1分後へ"), key(Qt::Key_Right));
    a.forward10 =
        command(window, QStringLiteral("10分後へ"), key(Qt::Key_Right, Qt::ControlModifier));
    a.bookmarkAndPicture =
        command(window, QStringLiteral("ブックマークとサムネイルを設定"), key(Qt::Key_F3));
    a.setBookmark = command(window, QStringLiteral("ブックマークを設定"), key(Qt::Key_F1));
    a.goToBookmark = command(window, QStringLiteral("ブックマークに移動"), key(Qt::Key_F2));
    a.fromBookmark = command(window, QStringLiteral("常にブックマークから再生"));
    a.fromBookmark->setCheckable(true);
    a.copy = command(window, QStringLiteral("コピー"), key(Qt::Key_C, Qt::ControlModifier));
    a.savePicture =
        command(window, QStringLiteral("画像を保存"), key(Qt::Key_S, Qt::ControlModifier));
    a.setThumbnail = command(window, QStringLiteral("この画像をサムネイルに設定"),
                             key(Qt::Key_T, Qt::ControlModifier));
    a.fullScreen = command(window, QStringLiteral("フルスクリーン"), key(Qt::Key_F));
    a.windowed = command(window, QStringLiteral("ウィンドウ表示"), key(Qt::Key_Escape));
    a.close = command(window, QStringLiteral("閉じる"), key(Qt::Key_X, Qt::AltModifier));
    a.stop = command(window, QString(), key(Qt::Key_S));
    a.mute = command(window, QString(), key(Qt::Key_M));

    a.menu = new QMenu(&window);
    a.menu->setObjectName(QStringLiteral("PopupMenu1"));
    a.menu->addActions({a.continuous, a.play, a.pause, a.rewind, a.previous, a.next});
    a.menu->addSeparator();
    a.menu->addActions({a.back1, a.back10, a.forward1, a.forward10});
    a.menu->addSeparator();
    a.audio = new QMenu(QStringLiteral("Audio"), a.menu);
    a.audio1 = a.audio->addAction(QStringLiteral("Audio1"));
    a.audio2 = a.audio->addAction(QStringLiteral("Audio2"));
    a.audio1->setCheckable(true);
    a.audio2->setCheckable(true);
    a.audioMenu = a.menu->addMenu(a.audio);
    a.audioMenu->setVisible(false);
    a.menu->addSeparator();
    a.menu->addAction(a.bookmarkAndPicture);
    a.menu->addSeparator();
    a.menu->addActions({a.setBookmark, a.goToBookmark});
    a.menu->addSeparator();
    a.menu->addAction(a.fromBookmark);
    a.menu->addSeparator();
    a.menu->addActions({a.copy, a.savePicture, a.setThumbnail});
    a.menu->addSeparator();
    a.menu->addActions({a.fullScreen, a.windowed});
    a.menu->addSeparator();
    a.aspect = a.menu->addMenu(QStringLiteral("アスペクト比"));
    a.aspectItems = radioItems(a.aspect, {QStringLiteral("オリジナル"), QStringLiteral("16 : 9"),
                                          QStringLiteral("720 : 480"), QStringLiteral("704 : 480"),
                                          QStringLiteral("640 : 480"),
                                          QStringLiteral("2.35 : 1（シネスコサイズ）"),
                                          QStringLiteral("1.85 : 1（ビスタサイズ）")});
    a.menu->addSeparator();
    a.crop = a.menu->addMenu(QStringLiteral("上下をカット"));
    a.cropItems =
        radioItems(a.crop, {QStringLiteral("なし"), QStringLiteral("16"), QStringLiteral("32"),
                            QStringLiteral("48"), QStringLiteral("64"), QStringLiteral("80"),
                            QStringLiteral("96"), QStringLiteral("112")});
    a.menu->addSeparator();
    a.speed = a.menu->addMenu(QStringLiteral("再生速度"));
    for (const char* caption : {"200%", "100%", "50%", "25%"})
        a.speedItems.append(a.speed->addAction(QLatin1String(caption)));
    a.menu->addSeparator();
    a.menu->addAction(a.close);
    return a;
}

} // namespace tavimo
