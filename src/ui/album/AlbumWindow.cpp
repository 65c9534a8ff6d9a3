#include "ui/album/AlbumWindow.h"

#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/CellGeometry.h"
#include "core/Colors.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "ui/LoadingWindow.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"
#include "ui/album/AlbumMenuBuilder.h"
#include "ui/album/PictureCommands.h"
#include "ui/grid/GridBinding.h"
#include "ui/grid/ScrollBox.h"

#include <QCloseEvent>
#include <QMenu>
#include <QTimer>

namespace tavimo {

namespace {

// The built-in patterns of the open dialog (the user's extensions follow).
constexpr char16_t kVideoPatterns[] =
    u"*.avi *.mpg *.mpeg *.mpe *.mp2 *.m2v *.mp2v *.mpv2 *.m1v *.wm *.mpa *.wmv *.asf *.rm "
    u"*.ram *.mkv *.ogg *.rmv *.mov *.divx *.div *.qt *.mp4 *.rmvb *.wvx *.wmx *.flv *.3gp "
    u"*.3g2 *.amc";

// Height the window needs besides its grid: toolbar, status bar and frame.
constexpr int kChromeHeight = 76;

} // namespace

TForm2::TForm2(LibrarySession& session, AppState& state, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent), session_(session), state_(state), dialogs_(dialogs),
      grid_(new ScrollBox(this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tavimo"));
    setFont(windowFont(12));
    setAcceptDrops(true);
    // Closing the album window returns to the book window; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    grid_->setObjectName(QStringLiteral("ScrollBox"));
    grid_->setWheelScrollsTwice(false);
    grid_->setEmptyHint(QStringLiteral("ファイルをここにドロップするか、開くボタンで追加"));
    grid_->setStoredColors(state_.albumWindow.color, state_.albumWindow.fontColor);
    setCentralWidget(grid_);
    actions_ = AlbumMenuBuilder::build(*this);
    grid_->setCellMenu(actions_.cellMenu);
    grid_->setBackgroundMenu(actions_.gridMenu);
    connect(actions_.cellMenu, &QMenu::aboutToShow, this, [this] {
        // Enabled with a picture while the player is hidden; with the player shown it stays.
        const int current = currentVideo();
        const bool picture = current >= 0 && !album().needsThumbnail(current);
        if (!picture)
            actions_.setAlbumPicture->setEnabled(false);
        else if (player_ == nullptr || !player_->isVisible())
            actions_.setAlbumPicture->setEnabled(true);
    });
    const AlbumActions& a = actions_;
    editing_ = {a.deleteVideo,     a.moveBack,        a.moveForward,
                a.pictureFromFile, a.openFiles,       a.pictureFromClipboard,
                a.sortByPlayCount, a.sortByName,      a.deleteFile,
                a.openFolder,      a.setAlbumPicture, a.refreshPicture,
                a.openFolderEntry, a.moveToFront,     a.moveToEnd,
                a.deleteFileEntry};
    buildToolBar();
    status_ = new AlbumStatusBar(this);
    setStatusBar(status_);
    pictures_ = new PictureCommands(*this, session_, dialogs_);
    binding_ = new GridBinding(session_.album(), *grid_, this);
    thumbnails_ = new ThumbnailRun(session_.album(), state_, dialogs_, this);
    connect(thumbnails_, &ThumbnailRun::started, this, &AlbumWindow::runStarted);
    connect(thumbnails_, &ThumbnailRun::stepped, this, &AlbumWindow::stepProgress);
    connect(thumbnails_, &ThumbnailRun::finished, this, &AlbumWindow::runFinished);
    connect(grid_, &ScrollBox::cellActivated, this, [this] {
        if (!isBusy())
            actions_.play->trigger();
    });
    connect(grid_, &ScrollBox::pathsDropped, this, [this](const QStringList& paths) {
        if (!isBusy() && !session_.albumReadOnly())
            Q_EMIT pathsDropped(paths);
    });
    resize(state_.albumWindow.width, state_.albumWindow.height);
    placeAtRightEdge();
}

TForm2::~TForm2() {
    // The pool's workers post to the run; it stops before the album it applies to goes.
    thumbnails_->cancel();
}

Album& AlbumWindow::album() {
    return session_.album();
}

const Album& AlbumWindow::album() const {
    return session_.album();
}

bool AlbumWindow::isBusy() const {
    return thumbnails_->isAddingFiles();
}

void AlbumWindow::setLoadingWindow(LoadingWindow* loading) {
    loading_ = loading;
}

void AlbumWindow::buildToolBar() {
    toolBar_ = new AlbumToolBar(*this, actions_);
    connect(toolBar_, &AlbumToolBar::cellSizeChosen, this, [this](int mode) {
        setCellSize(mode);
        grid_->setFocus();
    });
}

void AlbumWindow::chooseColor(bool background) {
    AlbumWindowSettings& s = state_.albumWindow;
    int32_t& stored = background ? s.color : s.fontColor;
    const auto colour = dialogs_.chooseColor(colors::fromStored(stored));
    if (!colour)
        return;
    stored = colors::toStored(*colour);
    grid_->setStoredColors(s.color, s.fontColor);
}

void AlbumWindow::applySetting(SettingKey key) {
    const AlbumWindowSettings& s = state_.albumWindow;
    switch (key) {
    case SettingKey::Form2Width:
    case SettingKey::Form2Height:
        resize(s.width, s.height);
        placeAtRightEdge();
        break;
    case SettingKey::Form2Toolbar:
        toolBar_->setPlace(s.toolbarImage);
        break;
    case SettingKey::Form2Color:
    case SettingKey::Form2Font:
        grid_->setStoredColors(s.color, s.fontColor);
        break;
    case SettingKey::Form2Mode:
        setCellSize(s.sizeMode);
        break;
    default:
        break;
    }
}

void AlbumWindow::placeAtRightEdge() {
    move(rightEdgeLeft(*this, width()), 0);
}

void AlbumWindow::storeGeometry() {
    AlbumWindowSettings& s = state_.albumWindow;
    s.width = width();
    s.height = height();
    s.toolbarImage = toolBar_->place();
    s.sizeMode = grid_->sizeMode();
}

void AlbumWindow::setCellSize(int small) {
    const int mode = small == kSmallCells ? kSmallCells : kLargeCells;
    toolBar_->showCellSize(mode);
    if (mode == grid_->sizeMode())
        return;
    grid_->setSizeMode(mode);
    layOutGrid();
}

void AlbumWindow::layOutGrid() {
    grid_->layOut();
    if (state_.bookWindow.autoHeight)
        fitHeightToGrid(*this, *grid_, kChromeHeight);
}

void AlbumWindow::updateCaption() {
    setWindowTitle(albumWindowCaption(album()));
}

QString AlbumWindow::openDialogFilter() const {
    QString patterns = QString::fromUtf16(kVideoPatterns);
    for (const QString& pattern : state_.extensions.userPatterns())
        patterns += u' ' + pattern;
    return QStringLiteral("ビデオファイル (") + patterns + u')';
}

TVFPanel* AlbumWindow::cellAt(int index) const {
    return grid_->cellAt(index);
}

int AlbumWindow::currentVideo() const {
    return grid_->currentIndex();
}

void AlbumWindow::setCurrentVideo(int index) {
    if (index >= 0 && index < grid_->count())
        grid_->select(index);
    else
        grid_->setCurrentIndex(-1);
}

void AlbumWindow::setEditingEnabled(bool enabled) {
    const bool writable = !session_.albumReadOnly();
    // "この画像をアルバム画像に設定" changes the book, which is saved, not the album.
    for (QAction* action : editing_)
        action->setEnabled(enabled && (writable || action == actions_.setAlbumPicture));
}

void AlbumWindow::setSorting(bool sorting) {
    setEditingEnabled(!sorting);
    actions_.play->setEnabled(!sorting);
    actions_.continuousPlay->setEnabled(!sorting);
}

void AlbumWindow::startContinuousPlay() {
    actions_.continuousPlay->trigger();
}

void AlbumWindow::applyReadOnly() {
    const bool readOnly = session_.albumReadOnly();
    QString notice;
    if (readOnly && albumNamedLikeBook(album().name(), session_.bookPaths().title))
        notice = QStringLiteral("読み取り専用: ブックと同じ名前のアルバムです");
    else if (readOnly)
        notice = QStringLiteral("読み取り専用: アルバムファイルを読み込めません");
    status_->setNotice(notice);
    grid_->viewport()->setAcceptDrops(!readOnly);
    setEditingEnabled(player_ == nullptr || !player_->isVisible());
}

void AlbumWindow::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        event->ignore();
        return;
    }
    thumbnails_->cancel();
    if (player_ != nullptr && player_->isVisible())
        player_->hide();
    event->accept();
}

void AlbumWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return; // minimised, not closed
    thumbnails_->cancel();
    session_.closeAlbum();
    Q_EMIT closed();
}

} // namespace tavimo
