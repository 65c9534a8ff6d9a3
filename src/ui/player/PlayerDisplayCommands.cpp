#include "ui/player/PlayerDisplayCommands.h"

#include "core/AppState.h"
#include "media/DisplayOptions.h"
#include "media/MpvPlayer.h"
#include "media/StreamDescription.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QWheelEvent>
#include <iterator>

namespace tavimo {

namespace {

constexpr double kRates[] = {2.0, 1.0, 0.5, 0.25}; // "再生速度" in menu order
constexpr int kCropStep = 16;                      // rows per "上下をカット" item

} // namespace

PlayerDisplayCommands::PlayerDisplayCommands(const Parts& parts)
    : QObject(&parts.window), window_(parts.window), mpv_(parts.mpv), options_(parts.options),
      actions_(parts.actions), controls_(parts.controls), surface_(parts.surface),
      state_(parts.state) {
    showMute(options_.isMuted());
    connect(&options_, &media::DisplayOptions::muteChanged, this, &PlayerDisplayCommands::showMute);
    connect(controls_.volumeBar, &QSlider::valueChanged, &options_,
            &media::DisplayOptions::setVolumeValue);
    // A slider moved while nothing played goes back to the volume in use.
    connect(&mpv_, &media::MpvPlayer::activated, this,
            [this] { controls_.volumeBar->setValue(options_.volumeValue()); });
    window_.installEventFilter(this);
    volumeBar_ = controls_.volumeBar;
    muteImage_ = controls_.muteImage;
    volumeBar_->installEventFilter(this);
    muteImage_->installEventFilter(this);
}

void PlayerDisplayCommands::chooseAspect(int item) {
    if (options_.chooseAspect(item))
        state_.player.aspect = item;
}

void PlayerDisplayCommands::chooseCrop(int item) {
    options_.chooseCrop(item * kCropStep);
    checkCrop(); // nothing open: the check stays where the crop is
}

void PlayerDisplayCommands::chooseSpeed(int item) {
    if (item >= 0 && item < int(std::size(kRates)))
        options_.chooseSpeed(kRates[item]);
}

void PlayerDisplayCommands::chooseAudio(int number) {
    options_.selectAudioStream(number);
    actions_.audio1->setChecked(options_.audioStream() == 1);
    actions_.audio2->setChecked(options_.audioStream() == 2);
}

QPixmap PlayerDisplayCommands::mutePicture(int index) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor navy(0, 0, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawRect(QRectF(1, 5.5, 3, 5));
    p.drawPolygon(
        QPolygonF({QPointF(4, 5.5), QPointF(8.5, 1.5), QPointF(8.5, 14.5), QPointF(4, 10.5)}));
    p.setBrush(Qt::NoBrush);
    if (index == 0) { // sound waves
        p.setPen(QPen(navy, 1.3));
        p.drawArc(QRectF(6, 4.5, 6, 7), -55 * 16, 110 * 16);
        p.drawArc(QRectF(6, 1.5, 9.5, 13), -55 * 16, 110 * 16);
    } else { // a red cross
        p.setPen(QPen(Qt::red, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 5), QPointF(15, 11));
        p.drawLine(QPointF(15, 5), QPointF(10, 11));
    }
    return picture;
}

void PlayerDisplayCommands::showMute(bool muted) {
    controls_.muteImage->setPixmap(mutePicture(muted ? 1 : 0));
}

void PlayerDisplayCommands::checkCrop() {
    const int item = options_.crop() / kCropStep;
    if (item >= 0 && item < actions_.cropItems.size())
        actions_.cropItems.at(item)->setChecked(true);
}

void PlayerDisplayCommands::fullScreen() {
    if (fullScreen_)
        return;
    wasMaximised_ = window_.isMaximized();
    options_.whilePaused([this] {
        fullScreen_ = true;
        // Only the video shows: it gets the whole screen.
        controls_.hide();
        window_.showFullScreen();
        options_.setBox(window_.screen()->size());
    });
    if (window_.isVisible())
        window_.activateWindow();
}

void PlayerDisplayCommands::windowed() {
    if (!fullScreen_) {
        window_.close();
        return;
    }
    options_.whilePaused([this] {
        leaveFullScreen();
        options_.setBox(surface_.size());
    });
    window_.activateWindow();
}

void PlayerDisplayCommands::leaveFullScreen() {
    if (!fullScreen_)
        return;
    fullScreen_ = false;
    controls_.show();
    if (wasMaximised_)
        window_.showMaximized();
    else
        window_.showNormal();
}

void PlayerDisplayCommands::openingStarted() {
    options_.openingStarted();
    checkCrop();
}

void PlayerDisplayCommands::videoOpened() {
    if (fullScreen_)
        options_.setBox(window_.screen()->size());
    options_.videoOpened();
    const QString description = media::streamDescription(mpv_.facts());
    controls_.titleLabel->setToolTip(description);
    controls_.infoPanel->setToolTip(description);
    const bool two = options_.audioStreams() == 2;
    actions_.audioMenu->setVisible(two);
    actions_.audio1->setChecked(two);
    actions_.audio2->setChecked(false);
}

void PlayerDisplayCommands::applyAspectSetting() {
    options_.setAspectChoice(state_.player.aspect);
    const int choice = state_.player.aspect;
    if (choice >= 0 && choice < actions_.aspectItems.size()) {
        actions_.aspectItems.at(choice)->setChecked(true);
        return;
    }
    // A choice the menu does not have is kept, with no item checked.
    QActionGroup* group = actions_.aspectItems.first()->actionGroup();
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* item : actions_.aspectItems)
        item->setChecked(false);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
}

void PlayerDisplayCommands::applyVolumeSetting() {
    options_.setStartVolume(state_.player.volume);
    controls_.volumeBar->setValue(options_.volumeValue());
}

void PlayerDisplayCommands::applyRendererOptions() {
    // "動画表示を修正" draws without OpenGL, for drivers that show the video wrongly; it is
    // part of the newer renderer, which "旧レンダラー" turns off.
    const bool software = state_.fixVideoDisplay && state_.rendererCapable;
    surface_.setMode(software ? ui::VideoSurface::Mode::Software : ui::VideoSurface::Mode::Auto);
}

void PlayerDisplayCommands::wheel(int angleDelta) {
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        controls_.volumeBar->setValue(controls_.volumeBar->value() +
                                      notches * media::DisplayOptions::kVolumeStep);
}

bool PlayerDisplayCommands::eventFilter(QObject* watched, QEvent* event) {
    // Compared by address only: while the window is destroyed its widgets still send events.
    if (event->type() == QEvent::Wheel && (watched == &window_ || watched == volumeBar_)) {
        wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        event->accept();
        return true;
    }
    if (watched == muteImage_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        options_.toggleMute();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tavimo
