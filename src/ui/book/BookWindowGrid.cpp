// The book window's album grid: its options, selection keys, popups, drops and window height.
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "ui/WindowPlacement.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/GridBinding.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QShowEvent>
#include <QWheelEvent>

namespace tavimo {

namespace {
// What the window needs beside the grid's cells: caption, menu bar, status bar and borders.
constexpr int kWindowExtraHeight = 70;
} // namespace

void BookWindow::buildGrid() {
    grid_ = new ScrollBox(this);
    grid_->setObjectName(QStringLiteral("ScrollBox"));
    setCentralWidget(grid_);
    grid_->setCellMenu(actions_.albumPopup);
    grid_->setBackgroundMenu(actions_.backgroundPopup);
    grid_->setStoredColors(state_.bookWindow.color, state_.bookWindow.fontColor);
    grid_->setSizeMode(state_.bookWindow.sizeMode);

    new GridBinding(session_.book(), *grid_, this);
    // A left click or Enter/Space on an album opens it, as "開く" does.
    connect(grid_, &ScrollBox::cellActivated, this, &BookWindow::openCurrentAlbum);
    // Clicking the sync mark ends the album's folder sync.
    connect(grid_, &ScrollBox::syncMarkClicked, this, [this](int index) {
        grid_->select(index);
        session_.book().setFolderSync(index, false);
    });
    connect(grid_, &ScrollBox::pathsDropped, this, &BookWindow::dropFolders);
    connect(grid_, &ScrollBox::laidOut, this, [this] {
        if (state_.bookWindow.autoHeight)
            fitHeightToGrid();
    });
    connect(actions_.albumPopup, &QMenu::aboutToShow, this, [this] {
        const Book& book = session_.book();
        const int current = grid_->currentIndex();
        if (!session_.isMediaMode())
            actions_.folderSync->setChecked(book.isValidIndex(current) &&
                                            book.album(current).folderSync);
    });
}

void BookWindow::openCurrentAlbum() {
    actions_.openAlbum->trigger();
}

int BookWindow::currentAlbum() const {
    return grid_->currentIndex();
}

void BookWindow::selectAlbum(int index) {
    grid_->layOut();
    if (grid_->cellAt(index))
        grid_->select(index);
    else
        grid_->setCurrentIndex(-1);
}

void BookWindow::applyGridSetting(SettingKey key) {
    const BookWindowSettings& s = state_.bookWindow;
    if (key == SettingKey::FormColor || key == SettingKey::FormFont)
        grid_->setStoredColors(s.color, s.fontColor);
    else if (key == SettingKey::FormMode)
        grid_->setSizeMode(s.sizeMode == kSmallCells ? kSmallCells : kLargeCells);
}

void BookWindow::chooseCellSize(int mode) {
    (mode == kSmallCells ? actions_.smallCells : actions_.largeCells)->setChecked(true);
    if (state_.bookWindow.sizeMode == mode && grid_->sizeMode() == mode)
        return;
    state_.bookWindow.sizeMode = mode;
    grid_->setSizeMode(mode);
    if (grid_->cellAt(grid_->currentIndex()))
        grid_->select(grid_->currentIndex());
    else
        grid_->setFocus();
}

// One colour dialog serves both items and starts from the colour last chosen in it.
std::optional<QColor> BookWindow::askColor() {
    const std::optional<QColor> color = dialogs_.chooseColor(lastChosenColor_);
    if (color)
        lastChosenColor_ = *color;
    return color;
}

void BookWindow::chooseBackgroundColor() {
    if (const std::optional<QColor> color = askColor()) {
        state_.bookWindow.color = colors::toStored(*color);
        grid_->setStoredColors(state_.bookWindow.color, state_.bookWindow.fontColor);
    }
}

void BookWindow::chooseFontColor() {
    if (const std::optional<QColor> color = askColor()) {
        state_.bookWindow.fontColor = colors::toStored(*color);
        grid_->setStoredColors(state_.bookWindow.color, state_.bookWindow.fontColor);
    }
}

void BookWindow::fitHeightToGrid() {
    // Resizing lays the grid out again, which asks for the height again.
    if (fittingHeight_)
        return;
    fittingHeight_ = true;
    tavimo::fitHeightToGrid(*this, *grid_, kWindowExtraHeight);
    fittingHeight_ = false;
}

void BookWindow::dropFolders(const QStringList& paths) {
    // No other command runs on the albums meanwhile, and no second drop arrives.
    setAcceptDrops(false);
    grid_->setAcceptDrops(false);
    {
        const BusyScope busy(*this);
        const bool oneOfMany = paths.size() > 1;
        for (const QString& path : paths) {
            if (QFileInfo(path).isDir() && folderAlbumCreator_)
                folderAlbumCreator_(path, oneOfMany);
        }
    }
    setAcceptDrops(true);
    grid_->setAcceptDrops(true);
}

void BookWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // Back from the album window too: the keys work on the grid at once.
    grid_->setFocus();
    if (grid_->count() == 0)
        grid_->setCurrentIndex(-1);
    else if (grid_->cellAt(grid_->currentIndex()))
        grid_->select(grid_->currentIndex());
}

void BookWindow::wheelEvent(QWheelEvent* event) {
    // A wheel turned over the rest of the window (the status bar) scrolls the grid one line a
    // step; over the grid, the grid handles it.
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        grid_->scrollLines(-steps);
    event->accept();
}

} // namespace tavimo
