#pragma once

#include "core/CellGeometry.h"
#include "core/CellPicture.h"

#include <QColor>
#include <QFontMetrics>
#include <QString>

class QPainter;
class QPalette;
class QStyle;
class QWidget;

namespace tavimo {

class ScrollBox;

// One thumbnail cell: an album in the book window, a video in the album window. A cell is state
// and painting, not a widget: its grid (ScrollBox) places it, paints it and hit-tests it.
// Cells are fixed slots: reordering moves contents between cells (CopyFrom, SwapWith), while
// the index, colours and layout stay with the slot.
class TVFPanel {
public:
    TVFPanel() = default;
    TVFPanel(const TVFPanel&) = delete;
    TVFPanel& operator=(const TVFPanel&) = delete;

    // The picture handle is copied; the bitmap is decoded when the cell is drawn.
    void SetPicture(const CellPicture& picture);
    void SetPicture(const QImage& picture);
    const CellPicture& picture() const { return picture_; }

    // The full title (an album name, a video's file name); the caption is fitted from it.
    void SetTitle(const QString& title);
    const QString& title() const { return title_; }
    // The visible caption, fitted to this cell's caption width with the given font.
    const QString& caption(const QFontMetrics& metrics) const;

    void SetSmall(int small);
    int small() const { return small_; }

    void SetSyncMark(bool visible);
    bool syncMark() const { return syncMark_; }

    void SetPlayCount(qint32 count) { playCount_ = count; }
    qint32 playCount() const { return playCount_; }
    void SetBookmark(qint64 position) { bookmark_ = position; }
    qint64 bookmark() const { return bookmark_; }

    void SetIndex(int index) { index_ = index; }
    int index() const { return index_; }
    // "vframe" followed by the index.
    QString name() const;

    void SetCellColor(const QColor& color);
    QColor cellColor() const { return QColor::fromRgb(cellColor_); }
    // Caption colour of the cell while it does not have the focus; the focused cell's caption
    // is red whatever this is.
    void SetFontColor(const QColor& color);
    QColor fontColor() const { return QColor::fromRgb(fontColor_); }

    // Copies picture, title (fitted to this cell's layout), bookmark, play count and sync mark.
    // Index, colours and layout stay as they are.
    void CopyFrom(const TVFPanel& other);
    // Exchanges the contents CopyFrom copies.
    void SwapWith(TVFPanel& other);

    const CellGeometry& geometry() const { return cellGeometry(small_); }

    // What painting needs besides the cell's own state.
    struct PaintContext {
        QWidget* widget = nullptr; // for the style and palette of the button and check box
        QImage glyph;              // the picture, transparent where it should be
        bool focused = false;      // focused look and red caption
        QRect dirty;               // parts outside it are skipped; null paints everything
    };
    // Paints the cell with its top-left corner at `origin`, in the painter's current font.
    void paint(QPainter& painter, const QPoint& origin, const PaintContext& context) const;

    // Colour of the focused cell's caption.
    static QColor focusedCaptionColor() { return QColor(255, 0, 0); }

private:
    friend class ScrollBox;
    void changed() const;
    void paintButton(QPainter& painter, const QRect& button, QStyle* style, const QPalette& palette,
                     const PaintContext& context) const;

    ScrollBox* owner_ = nullptr; // repainted through its grid; null for a loose cell
    QString title_;
    mutable QString caption_; // fitted lazily: only drawn cells pay for measuring
    CellPicture picture_;
    qint64 bookmark_ = 0;
    int index_ = 0;
    qint32 playCount_ = 0;
    QRgb cellColor_ = 0xffc0c0c0;
    QRgb fontColor_ = 0xff000000;
    qint8 small_ = kLargeCells;
    bool syncMark_ = false;
    mutable bool captionFitted_ = false;
};

} // namespace tavimo
