#include "ui/book/BookWindow.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"
#include "ui/book/BookMenuBuilder.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

namespace tavimo {

TForm1::TForm1(LibrarySession& session, AppState& state, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent), session_(session), state_(state), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tavimo"));
    setFont(windowFont(12));
    setAcceptDrops(true);
    BookMenuBuilder(*this).build();
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    buildStatusBar();
    connectOptions();
    buildGrid();
    N39->setVisible(!state_.rendererFallback);
    N56->setVisible(!state_.rendererFallback);
    resize(state_.bookWindow.width, state_.bookWindow.height);
    placeAtRightEdge();
    applyBookLoadedItems(); // the items of normal mode, the mode every start begins in
    applyNoBookState();
}

void BookWindow::buildStatusBar() {
    // Two panels, 320 and 310 wide; menu hints show over them while an item is highlighted.
    auto* first = new QLabel(this);
    auto* second = new QLabel(this);
    first->setFixedWidth(320);
    second->setFixedWidth(310);
    statusBar()->addWidget(first);
    statusBar()->addWidget(second);
    statusPanels_[0] = first;
    statusPanels_[1] = second;
}

void BookWindow::connectOptions() {
    connect(autosaizeitem, &QAction::toggled, this,
            [this](bool on) { state_.bookWindow.autoHeight = on; });
    connect(syncauto, &QAction::toggled, this, [this](bool on) { state_.syncFolderAlbums = on; });
    connect(N57, &QAction::toggled, this, [this](bool on) { state_.skipUnreadable = on; });
    connect(N33, &QAction::toggled, this, [this](bool on) { state_.captureOriginalSize = on; });
    connect(dia, &QAction::toggled, this, [this](bool on) { state_.captureSilent = on; });
    connect(N39, &QAction::toggled, this, [this](bool on) { state_.fixVideoDisplay = on; });
    connect(N56, &QAction::toggled, this, [this](bool on) {
        state_.oldRenderer = on;
        if (state_.rendererCapable && on)
            state_.rendererCapable = false;
        else if (!state_.rendererFallback && !on)
            state_.rendererCapable = true;
    });
    connect(addext, &QAction::triggered, this, &BookWindow::addSupportedExtension);
}

void BookWindow::applySetting(SettingKey key) {
    const BookWindowSettings& s = state_.bookWindow;
    switch (key) {
    case SettingKey::FormWidth:
    case SettingKey::FormHeight:
        resize(s.width, s.height);
        placeAtRightEdge();
        break;
    case SettingKey::FormAutosize:
        autosaizeitem->setChecked(s.autoHeight);
        break;
    case SettingKey::ExOld:
        N56->setChecked(state_.oldRenderer);
        break;
    case SettingKey::FormMode:
        (s.sizeMode == 1 ? smallthum : bigthum)->setChecked(true);
        applyGridSetting(key);
        break;
    case SettingKey::FormColor:
    case SettingKey::FormFont:
        applyGridSetting(key);
        break;
    case SettingKey::ExMixer:
        N39->setChecked(state_.fixVideoDisplay);
        break;
    case SettingKey::ExNoReg:
        N57->setChecked(state_.skipUnreadable);
        break;
    case SettingKey::CaptureSilent:
        dia->setChecked(state_.captureSilent);
        break;
    case SettingKey::CaptureSize:
        N33->setChecked(state_.captureOriginalSize);
        break;
    case SettingKey::SyncroAuto:
        syncauto->setChecked(state_.syncFolderAlbums);
        break;
    default:
        break;
    }
}

void BookWindow::placeAtRightEdge() {
    move(rightEdgeLeft(*this, state_.bookWindow.width), 0);
}

void BookWindow::storeGeometry() {
    state_.bookWindow.width = width();
    state_.bookWindow.height = height();
    state_.bookWindow.left = frameGeometry().x();
}

void BookWindow::addSupportedExtension() {
    const auto answer = dialogs_.input(
        QStringLiteral("対応拡張子の追加"),
        QStringLiteral(
            "再生可能な動画なのにアルバムに追加できない場合、その拡張子を入力してください"));
    if (!answer || answer->isEmpty())
        return;
    state_.extensions.addUserExtension(*answer);
    dialogs_.message(QStringLiteral("登録完了(^。^)"));
}

void BookWindow::closeEvent(QCloseEvent* event) {
    if (!exited_) {
        exited_ = true;
        if (exitSequence_)
            exitSequence_();
    }
    event->accept();
}

} // namespace tavimo
