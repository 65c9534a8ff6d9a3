#include "ui/grid/ScrollBox.h"

#include "core/Colors.h"
#include "ui/WindowFont.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

namespace tavimo {

namespace {

// One wheel request scrolls this many pixels.
constexpr int kLineStep = 20;
// Bytes of one cached 120 x 90 glyph.
constexpr qsizetype kGlyphBytes = 120 * 90 * 4;

QStringList localPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

bool isActivationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

ScrollBox::ScrollBox(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setFont(windowFont(12));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The hand belongs to the cells; the empty area between and after them keeps the arrow.
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(kLineStep);
    background_ = colors::buttonFace();
}

ScrollBox::~ScrollBox() = default;

TVFPanel* ScrollBox::cellAt(int index) {
    return index >= 0 && index < count() ? &cells_[size_t(index)] : nullptr;
}

const TVFPanel* ScrollBox::cellAt(int index) const {
    return index >= 0 && index < count() ? &cells_[size_t(index)] : nullptr;
}

TVFPanel& ScrollBox::addCell(const QString& title) {
    const int index = count();
    TVFPanel& cell = cells_.emplace_back();
    cell.SetCellColor(background_);
    cell.SetFontColor(fontColor_);
    cell.SetSmall(sizeMode_);
    cell.SetIndex(index);
    cell.SetTitle(title);
    cell.owner_ = this;
    if (index == 0 && !emptyHint_.isEmpty())
        viewport()->update(); // the hint goes with the first cell
    return cell;
}

void ScrollBox::setEmptyHint(const QString& text) {
    emptyHint_ = text;
    if (cells_.empty())
        viewport()->update();
}

void ScrollBox::clear() {
    cells_.clear();
    glyphs_.clear();
    pressedCell_ = -1;
    pressedSyncMark_ = -1;
    changeCurrent(-1);
    updateScrollRange();
    viewport()->update();
}

void ScrollBox::removeCell(int index) {
    if (index < 0 || index >= count())
        return;
    bulkChange_ = true;
    for (int k = index; k < count() - 1; ++k)
        cells_[size_t(k)].CopyFrom(cells_[size_t(k) + 1]);
    bulkChange_ = false;
    cells_.pop_back();
    if (pressedCell_ >= count())
        pressedCell_ = -1;
    if (pressedSyncMark_ >= count())
        pressedSyncMark_ = -1;
    updateScrollRange();
    viewport()->update();
    if (count() == 0)
        changeCurrent(-1);
    else if (index < count())
        select(index);
    else
        select(index - 1);
}

void ScrollBox::swapCells(int i, int j) {
    if (i == j || !cellAt(i) || !cellAt(j))
        return;
    cells_[size_t(i)].SwapWith(cells_[size_t(j)]);
}

void ScrollBox::setCurrentIndex(int index) {
    if (index != -1 && !cellAt(index))
        return;
    changeCurrent(index);
}

void ScrollBox::select(int index) {
    if (!cellAt(index))
        return;
    changeCurrent(index);
    ensureVisible(index);
    setFocus(Qt::OtherFocusReason);
}

bool ScrollBox::selectNext() {
    if (count() == 0 || current_ == lastIndex() || current_ == -1 || !cellAt(current_ + 1))
        return false;
    select(current_ + 1);
    return true;
}

bool ScrollBox::selectPrevious() {
    if (count() == 0 || current_ <= 0 || !cellAt(current_ - 1))
        return false;
    select(current_ - 1);
    return true;
}

bool ScrollBox::selectUp() {
    const int target = current_ - columns();
    if (count() == 0 || target < 0 || !cellAt(target))
        return false;
    select(target);
    return true;
}

bool ScrollBox::selectDown() {
    const int target = current_ + columns();
    if (count() == 0 || target >= count() || !cellAt(target))
        return false;
    select(target);
    return true;
}

void ScrollBox::layOut() {
    if (count() > 0) {
        layout_ = layOutGrid(count(), width(), height(), sizeMode_);
        // Keep at least two screens of pictures decoded.
        const int visibleRows = viewportHeight() / gridPitch(sizeMode_).height() + 2;
        const qsizetype wanted = 2 * qsizetype(visibleRows) * layout_.columns * kGlyphBytes;
        glyphs_.setMaxBytes(std::max<qsizetype>(16 * 1024 * 1024, wanted));
    }
    updateScrollRange();
    viewport()->update();
    if (count() > 0)
        Q_EMIT laidOut();
}

int ScrollBox::placedCount() const {
    return std::min(count(), layout_.cellCount);
}

int ScrollBox::contentBottom() const {
    GridLayout placed = layout_;
    placed.cellCount = placedCount();
    return placed.contentBottom();
}

int ScrollBox::viewportHeight() const {
    // From the grid's own size: the viewport is resized late while the grid is hidden.
    return maximumViewportSize().height();
}

void ScrollBox::updateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewportHeight());
    bar->setRange(0, std::max(0, contentBottom() - viewportHeight()));
}

QRect ScrollBox::cellRect(int index) const {
    if (index < 0 || index >= placedCount())
        return {};
    return layout_.cellRect(index).translated(0, -verticalScrollBar()->value());
}

ScrollBox::Hit ScrollBox::hitTest(const QPoint& pos) const {
    Hit hit;
    const int y = pos.y() + verticalScrollBar()->value();
    const GridLayout::Range range = layout_.cellsInRows(y, y + 1);
    for (int i = range.first; i <= std::min(range.last, placedCount() - 1); ++i) {
        const QRect rect = cellRect(i);
        if (!rect.contains(pos))
            continue;
        const TVFPanel& cell = cells_[size_t(i)];
        const QPoint local = pos - rect.topLeft();
        const CellGeometry& g = cell.geometry();
        hit.index = i;
        if (cell.syncMark() && g.syncMark.contains(local))
            hit.part = Part::SyncMark;
        else if (g.picture.contains(local))
            hit.part = Part::Picture;
        else if (g.caption.contains(local))
            hit.part = Part::Caption;
        else
            hit.part = Part::Cell;
        return hit;
    }
    return hit;
}

bool ScrollBox::showsFocus() const {
    // The focus stays with the grid while another window or a popup is active.
    return hasFocus() || (window() && window()->focusWidget() == this);
}

void ScrollBox::updateCell(int index) {
    const QRect rect = cellRect(index);
    if (rect.isValid() && rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void ScrollBox::cellChanged(const TVFPanel& cell) {
    if (!bulkChange_)
        updateCell(cell.index());
}

void ScrollBox::changeCurrent(int index) {
    if (index == current_)
        return;
    const int old = current_;
    current_ = index;
    updateCell(old);
    updateCell(index);
    Q_EMIT currentChanged(index);
}

void ScrollBox::ensureVisible(int index) {
    if (index < 0 || index >= placedCount())
        return;
    const QRect rect = layout_.cellRect(index);
    QScrollBar* bar = verticalScrollBar();
    const int height = viewportHeight();
    if (rect.top() < bar->value())
        bar->setValue(rect.top());
    else if (rect.bottom() + 1 > bar->value() + height)
        bar->setValue(rect.bottom() + 1 - height);
}

void ScrollBox::scrollLines(int lines) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + lines * bar->singleStep());
}

void ScrollBox::setBackgroundColor(const QColor& color) {
    if (color == background_)
        return;
    background_ = color;
    for (TVFPanel& cell : cells_)
        cell.cellColor_ = color.rgb();
    viewport()->update();
}

void ScrollBox::setFontColor(const QColor& color) {
    if (color == fontColor_)
        return;
    fontColor_ = color;
    for (TVFPanel& cell : cells_)
        cell.fontColor_ = color.rgb();
    viewport()->update();
}

void ScrollBox::setStoredColors(qint32 background, qint32 font) {
    setBackgroundColor(colors::fromStored(background));
    setFontColor(colors::fromStored(font));
}

void ScrollBox::setSizeMode(int small) {
    small = small == kSmallCells ? kSmallCells : kLargeCells;
    if (small == sizeMode_)
        return;
    sizeMode_ = small;
    bulkChange_ = true;
    for (TVFPanel& cell : cells_)
        cell.SetSmall(small);
    bulkChange_ = false;
    layOut();
    ensureVisible(current_);
}

void ScrollBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, background_);
    if (cells_.empty() && !emptyHint_.isEmpty()) {
        painter.setPen(fontColor_);
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8),
                         Qt::AlignCenter | Qt::TextWordWrap, emptyHint_);
    }
    const int offset = verticalScrollBar()->value();
    const GridLayout::Range range =
        layout_.cellsInRows(dirty.top() + offset, dirty.bottom() + 1 + offset);
    const int last = std::min(range.last, placedCount() - 1);
    const bool focus = showsFocus();
    TVFPanel::PaintContext context;
    context.widget = viewport();
    for (int i = range.first; i <= last; ++i) {
        const QRect rect = cellRect(i);
        if (!rect.intersects(dirty))
            continue;
        const TVFPanel& cell = cells_[size_t(i)];
        // Pictures are decoded only where they show.
        const bool pictureShows =
            cell.geometry().picture.translated(rect.topLeft()).intersects(dirty);
        context.glyph = pictureShows ? glyphs_.glyph(cell.picture()) : QImage();
        context.focused = focus && i == current_;
        context.dirty = dirty;
        cell.paint(painter, rect.topLeft(), context);
    }
}

void ScrollBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layOut();
}

void ScrollBox::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
}

void ScrollBox::mousePressEvent(QMouseEvent* event) {
    const Hit hit = hitTest(event->position().toPoint());
    if (hit.part == Part::SyncMark) {
        if (event->button() == Qt::LeftButton)
            pressedSyncMark_ = hit.index;
        return;
    }
    if (hit.part != Part::Picture && hit.part != Part::Caption)
        return;
    select(hit.index);
    if (event->button() == Qt::LeftButton)
        pressedCell_ = hit.index;
    Q_EMIT cellPressed(hit.index, event->button());
}

void ScrollBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int pressedCell = std::exchange(pressedCell_, -1);
    const int pressedSyncMark = std::exchange(pressedSyncMark_, -1);
    if (pressedSyncMark >= 0) {
        const Hit hit = hitTest(event->position().toPoint());
        if (hit.part == Part::SyncMark && hit.index == pressedSyncMark)
            Q_EMIT syncMarkClicked(pressedSyncMark);
        return;
    }
    // Like a button's mouse-up handler: wherever the pointer is now.
    if (cellAt(pressedCell))
        Q_EMIT cellActivated(pressedCell);
}

void ScrollBox::keyPressEvent(QKeyEvent* event) {
    if (isActivationKey(event->key())) {
        if (!event->isAutoRepeat())
            activationKeyDown_ = true;
        return;
    }
    // Arrow keys belong to the window's navigation commands, which may be switched off; the
    // grid must not scroll or move on its own then.
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return;
    default:
        event->ignore();
    }
}

void ScrollBox::keyReleaseEvent(QKeyEvent* event) {
    if (!isActivationKey(event->key()) || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    // Only a key that also went down here counts: Enter that closed a dialog must not open
    // the cell that gets the focus back.
    if (std::exchange(activationKeyDown_, false) && cellAt(current_))
        Q_EMIT cellActivated(current_);
}

void ScrollBox::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    // In the book window, with the focus in the grid, a step reaches both the grid and its
    // window, each scrolling a line; otherwise only one of them scrolls.
    const int linesPerStep = hasFocus() && wheelScrollsTwice_ ? 2 : 1;
    if (steps != 0)
        scrollLines(-steps * linesPerStep);
    event->accept();
}

void ScrollBox::mouseMoveEvent(QMouseEvent* event) {
    const bool overCell = hitTest(event->position().toPoint()).part != Part::None;
    const Qt::CursorShape shape = overCell ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ScrollBox::contextMenuEvent(QContextMenuEvent* event) {
    int index = -1;
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        index = cellAt(current_) ? current_ : -1;
        if (index >= 0)
            globalPos = viewport()->mapToGlobal(cellRect(index).center());
    } else {
        index = hitTest(event->pos()).index;
    }
    QMenu* menu = index >= 0 ? cellMenu_ : backgroundMenu_;
    if (menu)
        menu->popup(globalPos);
    event->accept();
}

void ScrollBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    updateCell(current_);
}

void ScrollBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    activationKeyDown_ = false;
    updateCell(current_);
}

void ScrollBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ScrollBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ScrollBox::dropEvent(QDropEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    Q_EMIT pathsDropped(paths);
}

} // namespace tavimo
