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

PlayerMenu::PlayerMenu(QWidget& window) {
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        return QKeySequence(QKeyCombination(m, k));
    };
    continuous = command(window, QStringLiteral("連続再生"), key(Qt::Key_A));
    play = command(window, QStringLiteral("再生"), key(Qt::Key_P));
    pause = command(window, QStringLiteral("一時停止"), key(Qt::Key_Z));
    rewind = command(window, QStringLiteral("巻き戻し"), key(Qt::Key_R));
    previous = command(window, QStringLiteral("前へ"), key(Qt::Key_B));
    next = command(window, QStringLiteral("次へ"), key(Qt::Key_N));
    back1 = command(window, QStringLiteral("1分前へ"), key(Qt::Key_Left));
    back10 = command(window, QStringLiteral("10分前へ"), key(Qt::Key_Left, Qt::ControlModifier));
    forward1 = command(window, QStringLiteral("1分後へ"), key(Qt::Key_Right));
    forward10 =
        command(window, QStringLiteral("10分後へ"), key(Qt::Key_Right, Qt::ControlModifier));
    bookmarkAndPicture =
        command(window, QStringLiteral("ブックマークとサムネイルを設定"), key(Qt::Key_F3));
    setBookmark = command(window, QStringLiteral("ブックマークを設定"), key(Qt::Key_F1));
    goToBookmark = command(window, QStringLiteral("ブックマークに移動"), key(Qt::Key_F2));
    fromBookmark = command(window, QStringLiteral("常にブックマークから再生"));
    fromBookmark->setCheckable(true);
    copy = command(window, QStringLiteral("コピー"), key(Qt::Key_C, Qt::ControlModifier));
    savePicture =
        command(window, QStringLiteral("画像を保存"), key(Qt::Key_S, Qt::ControlModifier));
    setThumbnail = command(window, QStringLiteral("この画像をサムネイルに設定"),
                           key(Qt::Key_T, Qt::ControlModifier));
    fullScreen = command(window, QStringLiteral("フルスクリーン"), key(Qt::Key_F));
    windowed = command(window, QStringLiteral("ウィンドウ表示"), key(Qt::Key_Escape));
    close = command(window, QStringLiteral("閉じる"), key(Qt::Key_X, Qt::AltModifier));
    stop = command(window, QString(), key(Qt::Key_S));
    mute = command(window, QString(), key(Qt::Key_M));

    menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    menu->addActions({continuous, play, pause, rewind, previous, next});
    menu->addSeparator();
    menu->addActions({back1, back10, forward1, forward10});
    menu->addSeparator();
    audio = new QMenu(QStringLiteral("Audio"), menu);
    audio1 = audio->addAction(QStringLiteral("Audio1"));
    audio2 = audio->addAction(QStringLiteral("Audio2"));
    audio1->setCheckable(true);
    audio2->setCheckable(true);
    audioMenu = menu->addMenu(audio);
    audioMenu->setVisible(false);
    menu->addSeparator();
    menu->addAction(bookmarkAndPicture);
    menu->addSeparator();
    menu->addActions({setBookmark, goToBookmark});
    menu->addSeparator();
    menu->addAction(fromBookmark);
    menu->addSeparator();
    menu->addActions({copy, savePicture, setThumbnail});
    menu->addSeparator();
    menu->addActions({fullScreen, windowed});
    menu->addSeparator();
    aspect = menu->addMenu(QStringLiteral("アスペクト比"));
    aspectItems = radioItems(aspect, {QStringLiteral("オリジナル"), QStringLiteral("16 : 9"),
                                      QStringLiteral("720 : 480"), QStringLiteral("704 : 480"),
                                      QStringLiteral("640 : 480"),
                                      QStringLiteral("2.35 : 1（シネスコサイズ）"),
                                      QStringLiteral("1.85 : 1（ビスタサイズ）")});
    menu->addSeparator();
    crop = menu->addMenu(QStringLiteral("上下をカット"));
    cropItems =
        radioItems(crop, {QStringLiteral("なし"), QStringLiteral("16"), QStringLiteral("32"),
                          QStringLiteral("48"), QStringLiteral("64"), QStringLiteral("80"),
                          QStringLiteral("96"), QStringLiteral("112")});
    menu->addSeparator();
    speed = menu->addMenu(QStringLiteral("再生速度"));
    for (const char* caption : {"200%", "100%", "50%", "25%"})
        speedItems.append(speed->addAction(QLatin1String(caption)));
    menu->addSeparator();
    menu->addAction(close);
}

} // namespace tavimo
