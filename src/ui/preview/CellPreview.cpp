#include "ui/preview/CellPreview.h"

#include "core/Album.h"
#include "core/CellRoles.h"
#include "core/Colors.h"
#include "core/PreviewSteps.h"
#include "media/PreviewStrips.h"
#include "ui/grid/ScrollBox.h"
#include "ui/preview/PointerHover.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace tavimo {

namespace {

// The rows at the bottom of the picture that the focused cell's outline covers.
constexpr int kOutlineRows = 2;

} // namespace

CellPreview::CellPreview(ScrollBox& grid, const Album& album, media::ThumbnailPool& pool,
                         std::shared_ptr<PreviewStripCache> cache, QObject* parent)
    : QObject(parent), grid_(grid), viewport_(grid.viewport()), album_(album),
      strips_(new media::PreviewStrips(std::move(cache), pool, this)) {
    viewport_->installEventFilter(this);
    connect(strips_, &media::PreviewStrips::stepReady, this, &CellPreview::stepReady);
    // A file that cannot be decoded keeps its stored picture.
    connect(strips_, &media::PreviewStrips::unavailable, this, [this](quint64 video) {
        if (video == video_)
            restore();
    });
    // Content moving under a still pointer ends the preview; the next move starts another.
    connect(grid_.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        visibleChanged_ = true;
        leave();
    });
    connect(&grid_, &ScrollBox::laidOut, this, [this] { visibleChanged_ = true; });
    // Cells refilled from the rows show stored pictures; the rows may be other ones now.
    connect(&album_, &QAbstractItemModel::modelReset, this, &CellPreview::forget);
    connect(&album_, &QAbstractItemModel::layoutChanged, this, &CellPreview::forget);
    connect(&album_, &QAbstractItemModel::rowsMoved, this, &CellPreview::forget);
    connect(&album_, &QAbstractItemModel::rowsRemoved, this, [this] { visibleChanged_ = true; });
}

CellPreview::~CellPreview() = default;

void CellPreview::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    if (!enabled)
        leave();
    enabled_ = enabled;
    visibleChanged_ = true;
}

int CellPreview::previewedCell() const {
    return showing_ ? album_.indexOf(video_, hint_) : -1;
}

bool CellPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport_)
        followPointer(
            event, [this](QPoint at) { pointerAt(at); }, [this] { leave(); });
    return QObject::eventFilter(watched, event);
}

void CellPreview::pointerAt(const QPoint& pos) {
    if (!enabled_)
        return;
    const ScrollBox::Hit hit = grid_.hitTest(pos);
    // Videos that are not files of this system are never touched.
    if (hit.part != ScrollBox::Part::Picture || !album_.isLocalFile(hit.index)) {
        leave();
        return;
    }
    const quint64 video = album_.rowId(hit.index);
    if (video != video_)
        leave();
    video_ = video;
    hint_ = hit.index;
    const QRect picture =
        grid_.cellAt(hit.index)->geometry().picture.translated(grid_.cellRect(hit.index).topLeft());
    strips_->hover(video, album_.fullPath(hit.index),
                   preview::stepAt(pos.x() - picture.left(), picture.width()));
    if (visibleChanged_)
        prefetchVisible();
}

void CellPreview::prefetchVisible() {
    visibleChanged_ = false;
    QList<media::PreviewVideo> videos;
    const QRect area = grid_.viewport()->rect();
    for (int i = 0; i < grid_.count(); ++i) {
        const QRect cell = grid_.cellRect(i);
        if (cell.top() > area.bottom())
            break;
        if (cell.intersects(area) && album_.isLocalFile(i))
            videos.append({album_.rowId(i), album_.fullPath(i)});
    }
    strips_->prefetch(videos);
}

void CellPreview::leave() {
    if (video_ == 0)
        return;
    strips_->leave();
    restore();
    video_ = 0;
    hint_ = -1;
}

void CellPreview::forget() {
    // The cells show stored pictures already; the hovered row may stand elsewhere now.
    if (video_ != 0)
        strips_->leave();
    video_ = 0;
    hint_ = -1;
    showing_ = false;
    visibleChanged_ = true;
}

void CellPreview::restore() {
    if (!showing_)
        return;
    showing_ = false;
    const int row = album_.indexOf(video_, hint_);
    if (TVFPanel* cell = grid_.cellAt(row))
        cell->SetPicture(album_.data(album_.index(row), PictureRole).value<CellPicture>());
}

void CellPreview::stepReady(quint64 video, int step, const QImage& frame) {
    if (video != video_ || !enabled_)
        return;
    const int row = album_.indexOf(video_, hint_);
    TVFPanel* cell = grid_.cellAt(row);
    if (cell == nullptr || frame.isNull())
        return;
    hint_ = row;
    cell->SetPicture(composed(frame, step, cell->geometry().picture.size(), QColor(kBarColour),
                              colors::buttonFace()));
    showing_ = true;
    Q_EMIT shown(row);
}

QImage CellPreview::composed(const QImage& frame, int step, QSize size, const QColor& bar,
                             const QColor& corner) {
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(Qt::black);
    if (size.isEmpty())
        return picture;
    {
        QPainter painter(&picture);
        if (!frame.isNull()) {
            // Strip pictures fit 120 x 90; the small cells' 80 x 60 shows them whole, smaller.
            const QSize shown = frame.size().scaled(size, Qt::KeepAspectRatio);
            const QRect place((size.width() - shown.width()) / 2,
                              (size.height() - shown.height()) / 2, shown.width(), shown.height());
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(place, frame);
        }
        // Above the rows that the focused cell's outline covers.
        const QRect above(0, 0, size.width(), std::max(1, size.height() - kOutlineRows));
        painter.fillRect(preview::stepBar(above, step), bar);
    }
    picture.setPixelColor(0, size.height() - 1, corner);
    return picture;
}

} // namespace tavimo
