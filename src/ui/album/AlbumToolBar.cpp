#include "ui/album/AlbumToolBar.h"

#include "core/CellGeometry.h"
#include "ui/album/AlbumMenuBuilder.h"

#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace tavimo {

AlbumToolBar::AlbumToolBar(QMainWindow& window, const AlbumActions& actions)
    : QToolBar(&window), window_(window) {
    setObjectName(QStringLiteral("ToolBar1"));
    setMovable(false);
    setFloatable(false);
    addCommand(actions.openFiles, QStyle::SP_DialogOpenButton, QStringLiteral("開く"));
    // A widget of its own, so that the rest of the program can find it by name.
    folderButton = addButton(QStyle::SP_DirOpenIcon, QStringLiteral("フォルダーを開く"));
    folderButton->setObjectName(QStringLiteral("ToolButton11"));
    connect(folderButton, &QToolButton::clicked, actions.openFolder, &QAction::trigger);
    connect(actions.openFolder, &QAction::enabledChanged, folderButton, &QWidget::setEnabled);
    addSeparator();
    addCommand(actions.play, QStyle::SP_MediaPlay, QStringLiteral("プレイ"));
    addCommand(actions.continuousPlay, QStyle::SP_MediaSeekForward, QStringLiteral("連続再生"));
    addSeparator();
    addCommand(actions.moveBack, QStyle::SP_ArrowBack, QStringLiteral("前へ移動"));
    addCommand(actions.moveForward, QStyle::SP_ArrowForward, QStringLiteral("次へ移動"));
    sortMenu = new QMenu(this);
    sortMenu->addAction(actions.sortByName);
    sortMenu->addAction(actions.sortByPlayCount);
    QToolButton* sortButton = addButton(QStyle::SP_FileDialogListView, QStringLiteral("ソート"));
    sortButton->setObjectName(QStringLiteral("sortButton"));
    sortButton->setMenu(sortMenu);
    sortButton->setPopupMode(QToolButton::InstantPopup);
    // Its two sorts are switched together; with them off the button offers nothing.
    connect(actions.sortByName, &QAction::enabledChanged, sortButton, &QWidget::setEnabled);
    addCommand(actions.deleteVideo, QStyle::SP_TrashIcon, QStringLiteral("削除"));
    addSeparator();

    sizeBox = new QComboBox(this);
    sizeBox->setObjectName(QStringLiteral("sizeBox"));
    sizeBox->addItems({QStringLiteral("120 * 80"), QStringLiteral(" 80 * 60")});
    sizeBox->setToolTip(QStringLiteral("縮小画像のサイズ"));
    sizeBox->setStatusTip(QStringLiteral("縮小画像のサイズ"));
    sizeBox->setFocusPolicy(Qt::NoFocus); // not in the tab order
    connect(sizeBox, &QComboBox::activated, this,
            [this](int index) { Q_EMIT cellSizeChosen(index != 0 ? kSmallCells : kLargeCells); });
    addWidget(sizeBox);
    addSeparator();

    backgroundColorButton = addAction(QStringLiteral("背景色"));
    backgroundColorButton->setToolTip(QStringLiteral("背景色の設定"));
    backgroundColorButton->setStatusTip(QStringLiteral("背景色の設定"));
    fontColorButton = addAction(QStringLiteral("文字色"));
    fontColorButton->setToolTip(QStringLiteral("文字色の設定"));
    fontColorButton->setStatusTip(QStringLiteral("文字色の設定"));
    addSeparator();
    moveButton = addAction(QStringLiteral("ツールバーの移動"));
    moveButton->setStatusTip(QStringLiteral("ツールバーの移動"));
    connect(moveButton, &QAction::triggered, this,
            [this] { setPlace(place_ == kBottom ? kTop : kBottom); });
    addSeparator();
    addCommand(actions.close, QStyle::SP_DialogCloseButton, QStringLiteral("閉じる"));
    setPlace(kBottom);
}

// A button of its own for the command, so that it carries an icon and a tip the menus do not.
void AlbumToolBar::addCommand(QAction* command, QStyle::StandardPixmap icon, const QString& hint) {
    QAction* button = addAction(style()->standardIcon(icon), command->text());
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QAction::triggered, command, &QAction::trigger);
    connect(command, &QAction::enabledChanged, button, &QAction::setEnabled);
}

QToolButton* AlbumToolBar::addButton(QStyle::StandardPixmap icon, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setIcon(style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    addWidget(button);
    return button;
}

void AlbumToolBar::setPlace(int32_t place) {
    place_ = place;
    const bool bottom = place == kBottom;
    window_.removeToolBar(this);
    window_.addToolBar(bottom ? Qt::BottomToolBarArea : Qt::TopToolBarArea, this);
    show();
    // The button shows where the toolbar goes next.
    moveButton->setIcon(style()->standardIcon(bottom ? QStyle::SP_ArrowUp : QStyle::SP_ArrowDown));
}

void AlbumToolBar::showCellSize(int mode) {
    sizeBox->setCurrentIndex(mode == kSmallCells ? kSmallCells : kLargeCells);
}

} // namespace tavimo
