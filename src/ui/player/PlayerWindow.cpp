#include "ui/player/PlayerWindow.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/Playback.h"
#include "media/DisplayOptions.h"
#include "media/MpvBackend.h"
#include "ui/WindowFont.h"
#include "ui/player/PlayerCapture.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerDisplayCommands.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/SeekBar.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <utility>

namespace tavimo {

namespace {

const QString kCaption = QStringLiteral("MoviePlayer ");

} // namespace

TForm4::TForm4(LibrarySession& session, AppState& state, DialogService& dialogs, QWidget* parent,
               media::MpvPlayer::Output output)
    : QMainWindow(parent), session_(session), state_(state), dialogs_(dialogs),
      mpv_(std::make_unique<media::MpvPlayer>(output)),
      backend_(std::make_unique<media::MpvBackend>(*mpv_)),
      display_(std::make_unique<media::DisplayOptions>(*mpv_)),
      playback_(std::make_unique<Playback>(session_, *backend_)), actions_(buildPlayerMenu(*this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral(" MoviePlayer  "));
    setFont(windowFont(12));
    // Closing the player leaves the album window open; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setAutoFillBackground(true);
    QPalette black = panel->palette();
    black.setColor(QPalette::Window, Qt::black);
    panel->setPalette(black);
    // The drawing mode is chosen when a video opens, once the settings are read: OpenGL is
    // not even probed before something plays.
    surface_ = new ui::VideoSurface(*mpv_, ui::VideoSurface::Mode::Software, panel);
    surface_->setObjectName(QStringLiteral("VideoArea"));
    surface_->installEventFilter(this);
    controls_ = new PlayerControlBar(*mpv_, panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(surface_, 1);
    column->addWidget(controls_);
    setCentralWidget(panel);

    displayCommands_ = new PlayerDisplayCommands(
        {*this, *mpv_, *display_, actions_, *controls_, *surface_, state_});
    displayCommands_->applyVolumeSetting();
    connectControls();
    wireActions();
    connectPlayback();
    resize(state_.player.width, state_.player.height);
    move(0, 0);
}

TForm4::~TForm4() {
    // The video views hold libmpv render contexts: they go before the player.
    delete takeCentralWidget();
}

void PlayerWindow::connectControls() {
    PlayerControlBar& c = *controls_;
    connect(c.rewindButton, &QToolButton::clicked, this, [this] { playback_->rewind(); });
    connect(c.stopButton, &QToolButton::clicked, this, &PlayerWindow::stop);
    connect(c.playButton, &QToolButton::clicked, this, [this] {
        focusVideo();
        playback_->play();
    });
    connect(c.pauseButton, &QToolButton::clicked, this, [this] {
        focusVideo();
        playback_->pause();
    });
    // Previous and next stop the video as the button goes down and open the other one as it
    // comes up.
    for (QToolButton* b : {c.previousButton, c.nextButton})
        connect(b, &QToolButton::pressed, this, [this] { playback_->stopForStep(); });
    connect(c.previousButton, &QToolButton::released, this, [this] {
        focusVideo();
        playback_->previous();
    });
    connect(c.nextButton, &QToolButton::released, this, [this] {
        focusVideo();
        playback_->next();
    });
    connect(c.frameBackButton, &QToolButton::clicked, this, [this] {
        focusVideo();
        playback_->frameStep(false);
    });
    connect(c.frameForwardButton, &QToolButton::clicked, this, [this] {
        focusVideo();
        playback_->frameStep(true);
    });
    connect(c.seekBar, &SeekBar::ticked, this, &PlayerWindow::seekTicked);
    connect(c.seekBar, &SeekBar::moved, this, &PlayerWindow::seekMoved);
    connect(surface_, &ui::VideoSurface::mouseReleased, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            togglePause();
    });
}

void PlayerWindow::wireActions() {
    const PlayerActions& a = actions_;
    const auto withFocus = [this](auto command) {
        return [this, command] {
            focusVideo();
            command();
        };
    };
    const auto jump = [this](qint64 step) { return [this, step] { playback_->jump(step); }; };
    const auto capture = [this](void (PlayerCapture::*command)()) {
        return [this, command] {
            if (capture_)
                (capture_->*command)();
        };
    };
    const std::pair<QAction*, std::function<void()>> table[] = {
        {a.continuous, [this] { playback_->playContinuously(); }},
        {a.play, withFocus([this] { playback_->play(); })},
        {a.pause, withFocus([this] { playback_->pause(); })},
        {a.rewind, [this] { playback_->rewind(); }},
        {a.previous, withFocus([this] { playback_->previous(); })},
        {a.next, withFocus([this] { playback_->next(); })},
        {a.back1, jump(-Playback::kOneMinute)},
        {a.back10, jump(-Playback::kTenMinutes)},
        {a.forward1, jump(Playback::kOneMinute)},
        {a.forward10, jump(Playback::kTenMinutes)},
        {a.audio1, [this] { displayCommands_->chooseAudio(1); }},
        {a.audio2, [this] { displayCommands_->chooseAudio(2); }},
        // The bookmark first, then the picture.
        {a.bookmarkAndPicture,
         [this] {
             playback_->setBookmark();
             if (capture_)
                 capture_->setAsThumbnail();
         }},
        {a.setBookmark, [this] { playback_->setBookmark(); }},
        {a.goToBookmark,
         [this] {
             playback_->goToBookmark();
             controls_->seekBar->clearMovedByUser();
         }},
        {a.copy, capture(&PlayerCapture::copy)},
        {a.savePicture, capture(&PlayerCapture::save)},
        {a.setThumbnail, capture(&PlayerCapture::setAsThumbnail)},
        {a.fullScreen, [this] { displayCommands_->fullScreen(); }},
        {a.windowed, [this] { displayCommands_->windowed(); }},
        {a.close, [this] { close(); }},
        {a.stop, [this] { stop(); }},
        {a.mute, [this] { display_->toggleMute(); }},
    };
    for (const auto& [action, command] : table)
        connect(action, &QAction::triggered, this, command);
    for (int i = 0; i < a.aspectItems.size(); ++i)
        connect(a.aspectItems.at(i), &QAction::triggered, this,
                [this, i] { displayCommands_->chooseAspect(i); });
    for (int i = 0; i < a.cropItems.size(); ++i)
        connect(a.cropItems.at(i), &QAction::triggered, this,
                [this, i] { displayCommands_->chooseCrop(i); });
    for (int i = 0; i < a.speedItems.size(); ++i)
        connect(a.speedItems.at(i), &QAction::triggered, this,
                [this, i] { displayCommands_->chooseSpeed(i); });
    connect(a.fromBookmark, &QAction::toggled, this, [this](bool on) {
        state_.player.playFromBookmark = on;
        playback_->setPlayFromBookmark(on);
    });
}

void PlayerWindow::connectPlayback() {
    connect(playback_.get(), &Playback::openingStarted, this, &PlayerWindow::openingStarted);
    connect(playback_.get(), &Playback::playing, this, &PlayerWindow::playing);
    connect(playback_.get(), &Playback::bookmarkSet, this, &PlayerWindow::placeMarker);
    connect(playback_.get(), &Playback::closeRequested, this, &QWidget::hide);
    connect(playback_.get(), &Playback::problemFound, this,
            [this](const Problem& problem) { dialogs_.tell(problem); });
}

void PlayerWindow::playVideo(int index, bool continuous) {
    if (isVisible()) {
        if (continuous) {
            // Whatever is under way, opening included, gives way to the new video.
            controls_->titleLabel->setText(QStringLiteral(" Now Loading・・・"));
            controls_->positionLabel->setText(QStringLiteral("00.00"));
            controls_->durationLabel->setText(QStringLiteral("00.00"));
            playback_->closeVideo();
        } else {
            playback_->stopForStep();
        }
    }
    playback_->setContinuous(continuous);
    playback_->setIndex(index);
    playback_->openAndPlay();
}

void PlayerWindow::stopVideo() {
    if (!isVisible() || playback_->isOpening())
        return;
    playback_->setContinuous(false);
    playback_->stopForStep();
}

void PlayerWindow::openingStarted(const QString& fileName) {
    displayCommands_->openingStarted();
    controls_->placeMarker(-1);
    displayCommands_->applyRendererOptions();
    if (!isVisible())
        show();
    raise();
    activateWindow();
    controls_->titleLabel->setText(fileName);
    controls_->titleLabel->setToolTip(QString());
    setWindowTitle(kCaption + fileName);
    controls_->positionLabel->setText(QStringLiteral("00.00"));
}

void PlayerWindow::playing(qint64 durationMs, qint64 bookmark) {
    placeMarker(bookmark, durationMs);
    displayCommands_->videoOpened();
    controls_->seekBar->clearMovedByUser();
    if (isVisible())
        activateWindow();
    controls_->durationLabel->setText(Playback::timeText(durationMs));
}

void PlayerWindow::placeMarker(qint64 bookmark, qint64 durationMs) {
    controls_->placeMarker(Playback::markerLeft(controls_->seekBar->width(), bookmark, durationMs));
}

void PlayerWindow::togglePause() {
    // A stopped video is left alone.
    switch (mpv_->state()) {
    case media::MpvPlayer::Playing:
        playback_->pause();
        break;
    case media::MpvPlayer::Paused:
        playback_->play();
        break;
    default:
        break;
    }
}

void PlayerWindow::stop() {
    focusVideo();
    playback_->rewind();
}

void PlayerWindow::focusVideo() {
    surface_->setFocus();
}

void PlayerWindow::seekTicked(qint64 position) {
    if (!isVisible() || !mpv_->isActive())
        return;
    const QString text = Playback::timeText(position / 10000);
    if (controls_->positionLabel->text() != text)
        controls_->positionLabel->setText(text);
}

void PlayerWindow::seekMoved() {
    SeekBar& bar = *controls_->seekBar;
    if (!bar.movedByUser())
        return;
    controls_->positionLabel->setText(Playback::timeText(bar.position() / 10000));
    bar.clearMovedByUser();
    applyVideoRect();
    controls_->volumeBar->setFocus();
}

void PlayerWindow::applyVideoRect() {
    display_->setBox(surface_->size());
}

void PlayerWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The sizes follow the outer width, frame included.
    const int frame = frameGeometry().width() - geometry().width();
    controls_->layOut(width() + std::max(frame, 0));
}

bool PlayerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == surface_ && event->type() == QEvent::Resize)
        applyVideoRect();
    return QMainWindow::eventFilter(watched, event);
}

void PlayerWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return; // restored from the task bar
    controls_->placeMarker(-1);
    Q_EMIT shown();
}

void PlayerWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return; // minimised
    displayCommands_->leaveFullScreen();
    playback_->closeVideo();
    controls_->seekBar->reset();
    Q_EMIT hidden();
}

void PlayerWindow::contextMenuEvent(QContextMenuEvent* event) {
    actions_.menu->exec(event->globalPos());
}

void PlayerWindow::applySetting(SettingKey key) {
    switch (key) {
    case SettingKey::Form4Width:
    case SettingKey::Form4Height:
        resize(state_.player.width, state_.player.height);
        break;
    case SettingKey::Form4Left:
    case SettingKey::Form4Top:
        move(state_.player.left, state_.player.top);
        break;
    case SettingKey::Form4Book:
        actions_.fromBookmark->setChecked(state_.player.playFromBookmark);
        playback_->setPlayFromBookmark(state_.player.playFromBookmark);
        break;
    case SettingKey::ValueVolume:
        displayCommands_->applyVolumeSetting();
        break;
    case SettingKey::ValueAspect:
        displayCommands_->applyAspectSetting();
        break;
    default:
        break;
    }
}

QRect PlayerWindow::restoredBounds() const {
    // Qt's geometries exclude the frame, while positions are given to move() as the frame's.
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    QRect bounds = geometry();
    if ((isMaximized() || isFullScreen()) && normalGeometry().isValid())
        bounds = normalGeometry();
    bounds.moveTopLeft(bounds.topLeft() - frameOffset);
    return bounds;
}

void PlayerWindow::storeGeometry() {
    const QRect bounds = restoredBounds();
    state_.player.left = bounds.x();
    state_.player.top = bounds.y();
    state_.player.width = bounds.width();
    state_.player.height = bounds.height();
}

void PlayerWindow::storeSettings() {
    storeGeometry();
    state_.player.volume = mpv_->volume();
    state_.player.aspect = display_->aspectChoice();
}

void PlayerWindow::attachCapture(PlayerCapture* capture) {
    capture_ = capture;
}

void PlayerWindow::rendererOptionsChanged() {
    // Nothing is drawn while the player is hidden; the next video applies them on opening.
    if (isVisible())
        displayCommands_->applyRendererOptions();
}

} // namespace tavimo
