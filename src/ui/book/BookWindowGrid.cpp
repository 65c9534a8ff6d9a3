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
#include <QHideEvent>
#include <QMenu>
#include <QShowEvent>
#include <QWheelEvent>

namespace tavimo {

namespace {
// What the window needs beside the grid's cells: caption, menu bar, status bar and borders.
constexpr int kWindowExtraHeight = 70;
} // namespace

void BookWindow::buildGrid() {
    scrollBox = new ScrollBox(this);
    scrollBox->setObjectName(QStringLiteral("ScrollBox"));
    setCentralWidget(scrollBox);
    scrollBox->setCellMenu(actions_.albumPopup);
    scrollBox->setBackgroundMenu(actions_.backgroundPopup);
    scrollBox->setBackgroundColor(colors::fromStored(state_.bookWindow.color));
    scrollBox->setFontColor(colors::fromStored(state_.bookWindow.fontColor));
    scrollBox->setSizeMode(state_.bookWindow.sizeMode);

    new GridBinding(session_.book(), *scrollBox, this);
    // A left click or Enter/Space on an album opens it, as "開く" does.
    connect(scrollBox, &ScrollBox::cellActivated, this, &BookWindow::openCurrentAlbum);
    // Clicking the sync mark ends the album's folder sync.
    connect(scrollBox, &ScrollBox::syncMarkClicked, this, [this](int index) {
        scrollBox->select(index);
        session_.book().setFolderSync(index, false);
    });
    connect(scrollBox, &ScrollBox::pathsDropped, this, &BookWindow::dropFolders);
    connect(scrollBox, &ScrollBox::laidOut, this, [this] {
        if (state_.bookWindow.autoHeight)
            fitHeightToGrid();
    });
    connect(actions_.albumPopup, &QMenu::aboutToShow, this, [this] {
        const Book& book = session_.book();
        const int current = scrollBox->currentIndex();
        if (!session_.isMediaMode())
            actions_.folderSync->setChecked(book.isValidIndex(current) &&
                                            book.album(current).folderSync);
    });
}

void BookWindow::openCurrentAlbum() {
    actions_.openAlbum->trigger();
}

void BookWindow::applyGridSetting(SettingKey key) {
    const BookWindowSettings& s = state_.bookWindow;
    if (key == SettingKey::FormColor)
        scrollBox->setBackgroundColor(colors::fromStored(s.color));
    else if (key == SettingKey::FormFont)
        scrollBox->setFontColor(colors::fromStored(s.fontColor));
    else if (key == SettingKey::FormMode)
        scrollBox->setSizeMode(s.sizeMode == kSmallCells ? kSmallCells : kLargeCells);
}

void BookWindow::chooseCellSize(int mode) {
    (mode == kSmallCells ? actions_.smallCells : actions_.largeCells)->setChecked(true);
    if (state_.bookWindow.sizeMode == mode && scrollBox->sizeMode() == mode)
        return;
    state_.bookWindow.sizeMode = mode;
    scrollBox->setSizeMode(mode);
    if (scrollBox->cellAt(scrollBox->currentIndex()))
        scrollBox->select(scrollBox->currentIndex());
    else
        scrollBox->setFocus();
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
        scrollBox->setBackgroundColor(*color);
        state_.bookWindow.color = colors::toStored(*color);
    }
}

void BookWindow::chooseFontColor() {
    if (const std::optional<QColor> color = askColor()) {
        scrollBox->setFontColor(*color);
        state_.bookWindow.fontColor = colors::toStored(*color);
    }
}

void BookWindow::fitHeightToGrid() {
    // Resizing lays the grid out again, which asks for the height again.
    if (fittingHeight_)
        return;
    fittingHeight_ = true;
    tavimo::fitHeightToGrid(*this, *scrollBox, kWindowExtraHeight);
    fittingHeight_ = false;
}

void BookWindow::dropFolders(const QStringList& paths) {
    // No other command runs on the albums meanwhile, and no second drop arrives.
    setAcceptDrops(false);
    scrollBox->setAcceptDrops(false);
    applyNoBookState();
    const bool oneOfMany = paths.size() > 1;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir() && folderAlbumCreator_)
            folderAlbumCreator_(path, oneOfMany);
    }
    setAcceptDrops(true);
    scrollBox->setAcceptDrops(true);
    // The commands come back as they were: a drop without an open book enables nothing.
    if (session_.bookOpen())
        applyBookOpenState();
}

void BookWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (scrollBox->count() == 0)
        scrollBox->setCurrentIndex(-1);
    else if (scrollBox->cellAt(scrollBox->currentIndex()))
        scrollBox->select(scrollBox->currentIndex());
}

void BookWindow::wheelEvent(QWheelEvent* event) {
    // A wheel turned over the rest of the window (the status bar) scrolls the grid one line a
    // step; over the grid, the grid handles it.
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        scrollBox->scrollLines(-steps);
    event->accept();
}

void BookWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // Hidden behind the album window: the album commands wait until it closes.
    if (!event->spontaneous())
        applyNoBookState();
}

} // namespace tavimo
