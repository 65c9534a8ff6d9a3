#include "ui/preview/SeekPreview.h"

#include "core/Playback.h"
#include "media/PreviewSource.h"
#include "ui/WindowFont.h"
#include "ui/player/SeekBar.h"
#include "ui/preview/PointerHover.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace tavimo {

namespace {

// The source's number for the one video the bar shows.
constexpr quint64 kVideo = 1;
// Room between the window and the bar.
constexpr int kGap = 4;
// Pictures are fitted into this box: 160 wide for anything but a video ten times taller.
const QSize kBox(SeekPreview::kPictureWidth, 10 * SeekPreview::kPictureWidth);

} // namespace

SeekPreview::SeekPreview(SeekBar& bar, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), bar_(bar),
      source_(new media::PreviewSource(this)) {
    setObjectName(QStringLiteral("SeekPreview"));
    setWindowTitle(QStringLiteral("プレビュー"));
    // The player keeps the focus and its keys.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(windowFont(12));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    picture_ = new QLabel(this);
    picture_->setAlignment(Qt::AlignCenter);
    time_ = new QLabel(this);
    time_->setAlignment(Qt::AlignCenter);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    column->addWidget(picture_);
    column->addWidget(time_);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(source_, &media::PreviewSource::frameReady, this, &SeekPreview::frameReady);
    connect(source_, &media::PreviewSource::unavailable, this, [this] { hide(); });
    // Moves without a button reach the bar only while it tracks the mouse.
    bar_.setMouseTracking(true);
    bar_.installEventFilter(this);
}

SeekPreview::~SeekPreview() = default;

void SeekPreview::setVideo(const QString& path) {
    if (path == path_)
        return;
    source_->close(kVideo);
    path_ = path;
    asked_ = -1;
    picture_->clear();
    hide();
}

QString SeekPreview::timeText() const {
    return time_->text();
}

QImage SeekPreview::picture() const {
    return picture_->pixmap().toImage();
}

bool SeekPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_)
        followPointer(
            event, [this](QPoint at) { hoverAt(at.x()); }, [this] { leave(); });
    return QWidget::eventFilter(watched, event);
}

void SeekPreview::hoverAt(int x) {
    if (path_.isEmpty() || bar_.maximum() <= 0)
        return;
    hovering_ = true;
    x_ = x;
    if (isVisible())
        follow();
    const qint64 ms = bar_.valueAt(x);
    if (ms == asked_)
        return; // the same time: its picture is coming or shown
    asked_ = ms;
    time_->setText(Playback::timeText(ms));
    source_->request(kVideo, path_, ms * 10000, kBox);
}

void SeekPreview::leave() {
    hovering_ = false;
    asked_ = -1;
    hide();
}

void SeekPreview::frameReady(quint64, const media::PreviewFrame& frame) {
    if (!hovering_ || frame.isNull())
        return;
    picture_->setPixmap(QPixmap::fromImage(frame.picture));
    picture_->setFixedSize(frame.picture.size());
    adjustSize();
    follow();
    if (!isVisible())
        show();
    Q_EMIT pictureShown();
}

void SeekPreview::follow() {
    const QPoint barTop = bar_.mapToGlobal(QPoint(x_, 0));
    const QSize size = sizeHint().expandedTo(this->size());
    QPoint at(barTop.x() - size.width() / 2, barTop.y() - kGap - size.height());
    if (const QScreen* screen = bar_.screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(),
                           std::max(area.left(), area.right() + 1 - size.width())));
        // No room above the bar: below it.
        if (at.y() < area.top())
            at.setY(bar_.mapToGlobal(QPoint(0, bar_.height())).y() + kGap);
    }
    move(at);
}

} // namespace tavimo
