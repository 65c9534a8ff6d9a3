#include "ui/player/SeekBar.h"

#include "media/MpvPlayer.h"

#include <QMouseEvent>
#include <QProxyStyle>
#include <algorithm>

namespace tavimo {

namespace {

// The platform's look with a thumb of the bar's own length.
class ThumbStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SliderLength)
            return SeekBar::kThumbLength;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

constexpr qint64 kLostSeekMs = 2000;

} // namespace

TDSTrackBar::TDSTrackBar(media::MpvPlayer& mpv, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), mpv_(mpv) {
    auto* style = new ThumbStyle;
    style->setParent(this);
    setStyle(style);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setMinimumWidth(50);
    setTickPosition(QSlider::NoTicks);
    setRange(0, 0);
    timer_.setInterval(kInterval);
    connect(&timer_, &QTimer::timeout, this, &SeekBar::tick);
    connect(&mpv_, &media::MpvPlayer::seekFinished, this, &SeekBar::seekDone);
    // A new file ends whatever seek the last one had under way.
    connect(&mpv_, &media::MpvPlayer::loaded, this, [this] {
        inFlight_ = false;
        waiting_.reset();
    });
}

void SeekBar::reset() {
    inFlight_ = false;
    waiting_.reset();
    dragging_ = false;
    position_ = 0;
    setValue(0);
    if (isVisible())
        timer_.start();
}

void SeekBar::tick() {
    qint64 current = 0;
    if (!mpv_.isActive() || !mpv_.position(&current, nullptr))
        return;
    const qint64 duration = mpv_.durationMs();
    // The bar counts milliseconds: a day of video still fits its int range.
    setRange(0, int(std::clamp<qint64>(duration, 0, 24 * 3600 * 1000)));
    position_ = current;
    setValue(int(current / 10000));
    Q_EMIT ticked(position_, duration);
}

int SeekBar::valueAt(int x) const {
    const qint64 span = std::max(width() - 19, 1);
    const qint64 value = qint64(x - 6) * maximum() / span;
    return int(std::clamp<qint64>(value, minimum(), maximum()));
}

void SeekBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !mpv_.position(nullptr, nullptr))
        return;
    // The update waits while the button is down, or it would pull the thumb back.
    timer_.stop();
    dragging_ = true;
    resume_ = mpv_.state() == media::MpvPlayer::Playing;
    mpv_.pause();
    seekTo(valueAt(event->position().toPoint().x()));
}

void SeekBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        seekTo(valueAt(event->position().toPoint().x()));
}

void SeekBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    const int value = valueAt(event->position().toPoint().x());
    if (value != this->value())
        seekTo(value);
    dragging_ = false;
    if (resume_)
        mpv_.play();
    timer_.start();
}

void SeekBar::wheelEvent(QWheelEvent* event) {
    event->ignore(); // the window's wheel is the volume's
}

void SeekBar::seekTo(int value) {
    setValue(value);
    position_ = qint64(this->value()) * 10000;
    movedByUser_ = true;
    send(position_);
    Q_EMIT moved();
}

void SeekBar::send(qint64 target) {
    // A seek that libmpv never finished (the file went meanwhile) holds the bar no longer.
    if (inFlight_ && sent_.elapsed() < kLostSeekMs) {
        waiting_ = target;
        return;
    }
    inFlight_ = mpv_.seek(target);
    sent_.start();
}

void SeekBar::seekDone() {
    inFlight_ = false;
    if (waiting_) {
        const qint64 target = *waiting_;
        waiting_.reset();
        send(target);
    }
}

void SeekBar::showEvent(QShowEvent* event) {
    QSlider::showEvent(event);
    timer_.start();
}

void SeekBar::hideEvent(QHideEvent* event) {
    QSlider::hideEvent(event);
    timer_.stop();
}

} // namespace tavimo
