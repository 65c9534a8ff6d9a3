#include "ui/player/PlayerControlBar.h"

#include "ui/WindowFont.h"
#include "ui/player/SeekBar.h"

#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace tavimo {

namespace {

constexpr int kButtonTop = 25;
constexpr int kPanelLeft = 196;
constexpr int kPanelHeight = 24;
const QColor kNavy(0, 0, 128);
const QColor kSkyBlue(166, 202, 240);

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(role, color);
    widget->setPalette(p);
}

} // namespace

PlayerControlBar::PlayerControlBar(media::MpvPlayer& mpv, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ControlBar"));
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
    paint(this, QPalette::Window, palette().color(QPalette::Button));

    const auto icon = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    rewindButton =
        button("RewindButton", 9, icon(QStyle::SP_MediaSkipBackward), QStringLiteral("巻き戻し"));
    previousButton =
        button("PreviousButton", 32, icon(QStyle::SP_MediaSeekBackward), QStringLiteral("前へ"));
    playButton = button("PlayButton", 55, icon(QStyle::SP_MediaPlay), QStringLiteral("再生"));
    nextButton =
        button("NextButton", 78, icon(QStyle::SP_MediaSeekForward), QStringLiteral("次へ"));
    pauseButton =
        button("PauseButton", 101, icon(QStyle::SP_MediaPause), QStringLiteral("一時停止"));
    stopButton = button("StopButton", 124, icon(QStyle::SP_MediaStop), QStringLiteral("停止"));
    frameBackButton =
        button("FrameBackButton", 147, icon(QStyle::SP_ArrowLeft), QStringLiteral("コマ戻し"));
    frameForwardButton =
        button("FrameForwardButton", 170, icon(QStyle::SP_ArrowRight), QStringLiteral("コマ送り"));

    seekBar = new SeekBar(mpv, this);
    seekBar->setObjectName(QStringLiteral("SeekBar"));

    infoPanel = new QWidget(this);
    infoPanel->setObjectName(QStringLiteral("InfoPanel"));
    infoPanel->setAutoFillBackground(true);
    paint(infoPanel, QPalette::Window, Qt::white);

    // The position label is made after the title and drawn over its end: a long title runs
    // under the time rather than through it.
    titleLabel = new QLabel(QStringLiteral("NO VIDEO"), infoPanel);
    titleLabel->setObjectName(QStringLiteral("TitleLabel"));
    titleLabel->setFont(windowFont(12, true));
    paint(titleLabel, QPalette::WindowText, kNavy);
    const auto timeLabel = [this](const char* name) {
        auto* label = new QLabel(QStringLiteral("00.00"), infoPanel);
        label->setObjectName(QLatin1String(name));
        label->setFont(windowFont(12));
        label->setAutoFillBackground(true);
        paint(label, QPalette::WindowText, kSkyBlue);
        paint(label, QPalette::Window, Qt::white);
        return label;
    };
    positionLabel = timeLabel("PositionLabel");
    durationLabel = timeLabel("DurationLabel");

    muteImage = new QLabel(infoPanel);
    muteImage->setObjectName(QStringLiteral("MuteImage"));
    muteImage->setPixmap(icon(QStyle::SP_MediaVolume).pixmap(16, 16));
    muteImage->setToolTip(QStringLiteral("ミュート"));

    volumeBar = new QSlider(Qt::Horizontal, infoPanel);
    volumeBar->setObjectName(QStringLiteral("VolumeBar"));
    volumeBar->setRange(0, 10000);
    volumeBar->setSingleStep(200);
    volumeBar->setPageStep(1000);
    volumeBar->setToolTip(QStringLiteral("ボリューム"));

    marker = new QWidget(this);
    marker->setObjectName(QStringLiteral("BookmarkMarker"));
    marker->setAutoFillBackground(true);
    paint(marker, QPalette::Window, Qt::red);
    marker->setGeometry(7, 8, 6, 7);
    marker->hide();

    layOut(640);
}

QToolButton* PlayerControlBar::button(const char* name, int left, const QIcon& icon,
                                      const QString& hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setIconSize(QSize(14, 14));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    // Like the original speed buttons they never take the focus from the video.
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(left, kButtonTop, 20, 22);
    return b;
}

void PlayerControlBar::layOut(int w) {
    seekBar->setGeometry(2, 2, w - 14, 20);
    infoPanel->setGeometry(kPanelLeft, kButtonTop - 1, w - 211, kPanelHeight);
    titleLabel->setGeometry(4, 4, w - 410, 16);
    positionLabel->setGeometry(w - 418, 4, 40, 16);
    durationLabel->setGeometry(w - 366, 4, 40, 16);
    muteImage->setGeometry(w - 310, 4, 16, 16);
    volumeBar->setGeometry(w - 288, 2, 75, 20);
}

void PlayerControlBar::placeMarker(int x) {
    if (x < 0) {
        marker->hide();
        return;
    }
    marker->move(x, 8);
    marker->show();
    marker->raise();
}

} // namespace tavimo
