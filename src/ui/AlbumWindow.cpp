#include "ui/AlbumWindow.h"

#include "core/AlbumShowing.h"
#include "core/AppState.h"
#include "core/CellGeometry.h"
#include "core/Colors.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "ui/AlbumMenuBuilder.h"
#include "ui/GridBinding.h"
#include "ui/LoadingWindow.h"
#include "ui/PictureCommands.h"
#include "ui/ScrollBox.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
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
      grid_(new ScrollBox(this)), backgroundStored_(colors::kButtonFace) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tavimo"));
    setFont(windowFont(12));
    setAcceptDrops(true);
    // Closing the album window returns to the book window; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    grid_->setObjectName(QStringLiteral("ScrollBox"));
    grid_->setWheelScrollsTwice(false);
    setCentralWidget(grid_);
    AlbumMenuBuilder menus(*this);
    menus.buildActions();
    menus.buildMenus();
    connectActions();
    buildToolBar();
    status_ = new AlbumStatusBar(this);
    setStatusBar(status_);
    progre1 = status_->progressBar();
    new PictureCommands(*this, session_, dialogs_);
    binding_ = new GridBinding(session_.album(), *grid_, this);
    thumbnails_ = new ThumbnailRun(session_.album(), state_, dialogs_, this);
    connect(thumbnails_, &ThumbnailRun::started, this, &TForm2::runStarted);
    connect(thumbnails_, &ThumbnailRun::stepped, this, &TForm2::stepProgress);
    connect(thumbnails_, &ThumbnailRun::finished, this, &TForm2::runFinished);
    connect(grid_, &ScrollBox::cellActivated, this, [this] {
        if (!isBusy())
            a_play->trigger();
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

Album& TForm2::album() {
    return session_.album();
}

const Album& TForm2::album() const {
    return session_.album();
}

bool TForm2::isBusy() const {
    return thumbnails_->isAddingFiles();
}

void TForm2::setLoadingWindow(TForm5* loading) {
    loading_ = loading;
}

void TForm2::connectActions() {
    // Arrow keys move the selection; none of it while files are being added.
    connect(setnext2, &QAction::triggered, this, [this] { isBusy() || grid_->selectNext(); });
    connect(setback2, &QAction::triggered, this, [this] { isBusy() || grid_->selectPrevious(); });
    connect(setup2, &QAction::triggered, this, [this] { isBusy() || grid_->selectUp(); });
    connect(setdown2, &QAction::triggered, this, [this] { isBusy() || grid_->selectDown(); });
    connect(closeItem, &QAction::triggered, this, [this] {
        if (player_ != nullptr && player_->isVisible())
            player_->close();
        QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(N11, &QAction::triggered, this, &TForm2::refreshPicture);
    connect(PopMenu, &QMenu::aboutToShow, this, [this] {
        // Enabled with a picture while the player is hidden; with the player shown it stays.
        const int current = currentVideo();
        const bool picture = current >= 0 && !album().needsThumbnail(current);
        if (!picture)
            N10->setEnabled(false);
        else if (player_ == nullptr || !player_->isVisible())
            N10->setEnabled(true);
    });
    grid_->setCellMenu(PopMenu);
    grid_->setBackgroundMenu(PopupMenu1);

    editing_ = {a_del,     a_back,     a_next, chngpic, FileOpen1, clippic, setsortfab, setsort,
                a_filedel, folderOpen, N10,    N11,     N14,       N18,     N19,        delfitem};
}

void TForm2::buildToolBar() {
    ToolBar1 = new AlbumToolBar(*this);
    ToolButton11 = ToolBar1->folderButton;
    sizeBox = ToolBar1->sizeBox;
    sortMenu = ToolBar1->sortMenu;
    bgColorButton = ToolBar1->backgroundColorButton;
    fontColorButton = ToolBar1->fontColorButton;
    toolbarMove = ToolBar1->moveButton;
    connect(ToolBar1, &AlbumToolBar::cellSizeChosen, this, [this](int mode) {
        setCellSize(mode);
        grid_->setFocus();
    });
    connect(bgColorButton, &QAction::triggered, this, [this] { chooseColor(true); });
    connect(fontColorButton, &QAction::triggered, this, [this] { chooseColor(false); });
}

void TForm2::chooseColor(bool background) {
    const int32_t stored = background ? backgroundStored_ : fontStored_;
    const auto colour = dialogs_.chooseColor(colors::fromStored(stored));
    if (!colour)
        return;
    if (background)
        setBackgroundColor(colors::toStored(*colour));
    else
        setFontColor(colors::toStored(*colour));
}

void TForm2::applySetting(SettingKey key) {
    const AlbumWindowSettings& s = state_.albumWindow;
    switch (key) {
    case SettingKey::Form2Width:
    case SettingKey::Form2Height:
        resize(s.width, s.height);
        placeAtRightEdge();
        break;
    case SettingKey::Form2Toolbar:
        ToolBar1->setPlace(s.toolbarImage);
        break;
    case SettingKey::Form2Color:
        setBackgroundColor(s.color);
        break;
    case SettingKey::Form2Font:
        setFontColor(s.fontColor);
        break;
    case SettingKey::Form2Mode:
        setCellSize(s.sizeMode);
        break;
    default:
        break;
    }
}

void TForm2::placeAtRightEdge() {
    move(rightEdgeLeft(*this, width()), 0);
}

void TForm2::storeGeometry() {
    AlbumWindowSettings& s = state_.albumWindow;
    s.width = width();
    s.height = height();
    s.toolbarImage = ToolBar1->place();
    s.color = backgroundStored_;
    s.fontColor = fontStored_;
    s.sizeMode = grid_->sizeMode();
}

void TForm2::setBackgroundColor(int32_t stored) {
    if (stored == backgroundStored_ && grid_->backgroundColor() == colors::fromStored(stored))
        return;
    backgroundStored_ = stored;
    grid_->setBackgroundColor(colors::fromStored(stored));
}

void TForm2::setFontColor(int32_t stored) {
    if (stored == fontStored_ && grid_->fontColor() == colors::fromStored(stored))
        return;
    fontStored_ = stored;
    grid_->setFontColor(colors::fromStored(stored));
}

void TForm2::setCellSize(int small) {
    const int mode = small == kSmallCells ? kSmallCells : kLargeCells;
    ToolBar1->showCellSize(mode);
    if (mode == grid_->sizeMode())
        return;
    grid_->setSizeMode(mode);
    layOutGrid();
}

void TForm2::layOutGrid() {
    grid_->layOut();
    if (!state_.bookWindow.autoHeight || grid_->count() == 0)
        return;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int workArea = screen ? screen->availableGeometry().height() : height();
    // The fitted height is the outer one; resize() takes the height inside the frame.
    const int frame = frameGeometry().height() - geometry().height();
    resize(width(), fittedWindowHeight(grid_->contentBottom(), kChromeHeight, workArea) - frame);
}

void TForm2::updateCaption() {
    setWindowTitle(albumWindowCaption(album()));
}

QString TForm2::openDialogFilter() const {
    QString patterns = QString::fromUtf16(kVideoPatterns);
    for (const QString& pattern : state_.extensions.userPatterns())
        patterns += u' ' + pattern;
    return QStringLiteral("ビデオファイル (") + patterns + u')';
}

TVFPanel* TForm2::cellAt(int index) const {
    return grid_->cellAt(index);
}

int TForm2::currentVideo() const {
    return grid_->currentIndex();
}

void TForm2::setCurrentVideo(int index) {
    if (index >= 0 && index < grid_->count())
        grid_->select(index);
    else
        grid_->setCurrentIndex(-1);
}

void TForm2::setEditingEnabled(bool enabled) {
    const bool writable = !session_.albumReadOnly();
    // "この画像をアルバム画像に設定" changes the book, which is saved, not the album.
    for (QAction* action : editing_)
        action->setEnabled(enabled && (writable || action == N10));
}

void TForm2::applyReadOnly() {
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

void TForm2::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        event->ignore();
        return;
    }
    thumbnails_->cancel();
    if (player_ != nullptr && player_->isVisible())
        player_->hide();
    event->accept();
}

void TForm2::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return; // minimised, not closed
    thumbnails_->cancel();
    session_.closeAlbum();
    Q_EMIT closed();
}

} // namespace tavimo
