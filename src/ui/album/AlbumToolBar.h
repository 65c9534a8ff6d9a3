#pragma once

#include <QStyle>
#include <QToolBar>

class QComboBox;
class QMainWindow;
class QMenu;
class QToolButton;

namespace tavimo {

struct AlbumActions;

// The album window's toolbar. Its buttons trigger the window's commands and are enabled with
// them, so switching a command off (while sorting, or with the player shown) greys its button
// too. The colour buttons and the size box only report the user's choice; the window applies it.
class AlbumToolBar : public QToolBar {
    Q_OBJECT
public:
    // The place as the settings file stores it: 13 at the window's bottom, else at its top.
    static constexpr int32_t kBottom = 13;
    static constexpr int32_t kTop = 14;

    AlbumToolBar(QMainWindow& window, const AlbumActions& actions);

    int32_t place() const { return place_; }
    void setPlace(int32_t place);
    // Shows the cell size the grid has; choosing in the box reports cellSizeChosen.
    void showCellSize(int mode);

    QToolButton* folderButton = nullptr; // "フォルダーを開く"
    QMenu* sortMenu = nullptr;           // the sort button's drop-down
    QComboBox* sizeBox = nullptr;        // "120 * 80" / " 80 * 60"
    QAction* backgroundColorButton = nullptr;
    QAction* fontColorButton = nullptr;
    QAction* moveButton = nullptr; // to the other edge of the window

Q_SIGNALS:
    void cellSizeChosen(int mode);

private:
    void addCommand(QAction* command, QStyle::StandardPixmap icon, const QString& hint);
    QToolButton* addButton(QStyle::StandardPixmap icon, const QString& hint);

    QMainWindow& window_;
    int32_t place_ = kBottom;
};

} // namespace tavimo
