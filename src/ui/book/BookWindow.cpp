#include "ui/book/BookWindow.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "ui/WindowFont.h"
#include "ui/WindowPlacement.h"

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
    actions_ = BookMenuBuilder::build(*this);
    buildStatusBar();
    buildGrid();
    actions_.fixVideoDisplay->setVisible(!state_.rendererFallback);
    actions_.oldRenderer->setVisible(!state_.rendererFallback);
    resize(state_.bookWindow.width, state_.bookWindow.height);
    placeAtRightEdge();
    connect(&session_, &LibrarySession::bookReplaced, this, &BookWindow::updateCommandStates);
    updateCommandStates();
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

// "旧レンダラー": thumbnails and frame capture take the decoder path while it is ticked, and
// whenever the renderer failed.
void BookWindow::chooseOldRenderer(bool on) {
    state_.oldRenderer = on;
    if (state_.rendererCapable && on)
        state_.rendererCapable = false;
    else if (!state_.rendererFallback && !on)
        state_.rendererCapable = true;
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
        actions_.autoHeight->setChecked(s.autoHeight);
        break;
    case SettingKey::ExOld:
        actions_.oldRenderer->setChecked(state_.oldRenderer);
        break;
    case SettingKey::FormMode:
        (s.sizeMode == 1 ? actions_.smallCells : actions_.largeCells)->setChecked(true);
        applyGridSetting(key);
        break;
    case SettingKey::FormColor:
    case SettingKey::FormFont:
        applyGridSetting(key);
        break;
    case SettingKey::ExMixer:
        actions_.fixVideoDisplay->setChecked(state_.fixVideoDisplay);
        break;
    case SettingKey::ExNoReg:
        actions_.skipUnreadable->setChecked(state_.skipUnreadable);
        break;
    case SettingKey::CaptureSilent:
        actions_.captureSilent->setChecked(state_.captureSilent);
        break;
    case SettingKey::CaptureSize:
        actions_.captureOriginalSize->setChecked(state_.captureOriginalSize);
        break;
    case SettingKey::SyncroAuto:
        actions_.syncFolderAlbums->setChecked(state_.syncFolderAlbums);
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
