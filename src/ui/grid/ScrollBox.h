#pragma once

#include "core/CellGeometry.h"
#include "core/CellPicture.h"
#include "ui/grid/TVFPanel.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QStringList>
#include <deque>

class QMenu;

namespace tavimo {

// A grid of thumbnail cells in one vertically scrolling widget. Cells are laid out
// arithmetically and only the visible ones are painted; their pictures are decoded on demand
// into a bounded cache. The keyboard focus stays on the grid, and the current cell shows the
// focused look. The grid knows nothing of albums or videos: what a click, a key, a popup or a
// drop means is its window's business, told through signals.
class ScrollBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ScrollBox(QWidget* parent = nullptr);
    ~ScrollBox() override;

    // Cells. A cell reference stays valid until that cell is removed.
    int count() const { return int(cells_.size()); }
    int lastIndex() const { return count() - 1; }
    TVFPanel* cellAt(int index);
    const TVFPanel* cellAt(int index) const;
    // Appends a cell with the grid's colours, size and the next index. It is not placed until
    // the next layOut(), and it has no picture yet.
    TVFPanel& addCell(const QString& title);
    void clear();
    // Removes cell `index`: later contents move down one slot and the last slot goes. The
    // selection moves to the cell that took the removed one's place, else to the new last.
    void removeCell(int index);
    void swapCells(int i, int j);

    // The current cell, -1 for none.
    int currentIndex() const { return current_; }
    // Makes cell `index` current, scrolls it into view and gives the grid the keyboard focus.
    void select(int index);
    // Makes `index` current (or -1 for none) without touching the focus.
    void setCurrentIndex(int index);

    // Arrow-key moves; each does nothing (and returns false) at the grid's edges.
    bool selectNext();
    bool selectPrevious();
    bool selectUp();
    bool selectDown();

    // Places the cells for the current size: columns from the width, with room for a scroll
    // bar when the rows do not fit the height. Also runs on every resize.
    void layOut();
    int columns() const { return layout_.columns; }
    const GridLayout& gridLayout() const { return layout_; }
    // Bottom edge of the last placed cell in the scrolled content (0 with none).
    int contentBottom() const;

    QColor backgroundColor() const { return background_; }
    void setBackgroundColor(const QColor& color);
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor& color);
    // Both colours as the settings file stores them (colors::fromStored): the windows keep
    // theirs in the application state and show them through this.
    void setStoredColors(qint32 background, qint32 font);
    int sizeMode() const { return sizeMode_; }
    void setSizeMode(int small);

    // A line drawn centred in the font colour while the grid has no cell, telling what to do
    // first. It is painted, not a widget: clicks and drops go to the grid as before.
    void setEmptyHint(const QString& text);
    const QString& emptyHint() const { return emptyHint_; }

    // Popup menus shown by a right click: on a cell, and on the empty area.
    void setCellMenu(QMenu* menu) { cellMenu_ = menu; }
    void setBackgroundMenu(QMenu* menu) { backgroundMenu_ = menu; }

    // Where a point of the viewport falls.
    enum class Part { None, Cell, Picture, Caption, SyncMark };
    struct Hit {
        int index = -1;
        Part part = Part::None;
    };
    Hit hitTest(const QPoint& viewportPos) const;
    // Rectangle of cell `index` in viewport coordinates; empty for a cell not placed.
    QRect cellRect(int index) const;

    // Whether a wheel notch over the focused grid scrolls two lines (the book window) or one.
    void setWheelScrollsTwice(bool twice) { wheelScrollsTwice_ = twice; }

    // Scrolls by wheel-step lines: positive scrolls down.
    void scrollLines(int lines);

    // Glyph cache of the visible pictures (exposed for measuring).
    const GlyphCache& glyphCache() const { return glyphs_; }

    // Called by a cell whose contents changed: repaints it.
    void cellChanged(const TVFPanel& cell);

Q_SIGNALS:
    // Any mouse button went down on a cell's picture or caption (the cell is current already).
    void cellPressed(int index, Qt::MouseButton button);
    // The left button came up after going down on a cell's picture or caption, or Enter or
    // Space came up on the current cell: the window opens (or plays) it.
    void cellActivated(int index);
    // The sync check box of a cell was clicked.
    void syncMarkClicked(int index);
    // Local files and folders dropped on the grid, in the order given.
    void pathsDropped(const QStringList& paths);
    // The current index changed.
    void currentChanged(int index);
    // The grid was laid out (its window may fit its height to it).
    void laidOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int placedCount() const;
    int viewportHeight() const;
    bool showsFocus() const;
    void updateCell(int index);
    void updateScrollRange();
    void ensureVisible(int index);
    void changeCurrent(int index);

    std::deque<TVFPanel> cells_;
    GridLayout layout_;
    GlyphCache glyphs_;
    int current_ = -1;
    QColor background_;
    QColor fontColor_ = Qt::black;
    int sizeMode_ = kLargeCells;
    QString emptyHint_;
    QMenu* cellMenu_ = nullptr;
    QMenu* backgroundMenu_ = nullptr;
    int pressedCell_ = -1;           // left button went down on this cell's picture or caption
    int pressedSyncMark_ = -1;       // left button went down on this cell's check box
    bool activationKeyDown_ = false; // Enter or Space went down while the grid had focus
    bool bulkChange_ = false;        // cells change together: one repaint at the end
    int wheelRemainder_ = 0;
    bool wheelScrollsTwice_ = true;
};

} // namespace tavimo
