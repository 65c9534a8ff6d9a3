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
    const CellPicture& picture() const { return m_picture; }

    // The full title (an album name, a video's file name); the caption is fitted from it.
    void SetTitle(const QString& title);
    const QString& title() const { return m_title; }
    // The visible caption, fitted to this cell's caption width with the given font.
    const QString& caption(const QFontMetrics& metrics) const;

    void SetSmall(int small);
    int small() const { return m_small; }

    void SetSyncMark(bool visible);
    bool syncMark() const { return m_syncMark; }

    void SetPlayCount(qint32 count) { m_playCount = count; }
    qint32 playCount() const { return m_playCount; }
    void SetBookmark(qint64 position) { m_bookmark = position; }
    qint64 bookmark() const { return m_bookmark; }

    void SetIndex(int index) { m_index = index; }
    int index() const { return m_index; }
    // "vframe" followed by the index.
    QString name() const;

    void SetCellColor(const QColor& color);
    QColor cellColor() const { return QColor::fromRgb(m_cellColor); }
    // Caption colour of the cell while it does not have the focus; the focused cell's caption
    // is red whatever this is.
    void SetFontColor(const QColor& color);
    QColor fontColor() const { return QColor::fromRgb(m_fontColor); }

    // Copies picture, title (fitted to this cell's layout), bookmark, play count and sync mark.
    // Index, colours and layout stay as they are.
    void CopyFrom(const TVFPanel& other);
    // Exchanges the contents CopyFrom copies.
    void SwapWith(TVFPanel& other);

    const CellGeometry& geometry() const { return cellGeometry(m_small); }

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

    ScrollBox* m_owner = nullptr; // repainted through its grid; null for a loose cell
    QString m_title;
    mutable QString m_caption; // fitted lazily: only drawn cells pay for measuring
    CellPicture m_picture;
    qint64 m_bookmark = 0;
    int m_index = 0;
    qint32 m_playCount = 0;
    QRgb m_cellColor = 0xffc0c0c0;
    QRgb m_fontColor = 0xff000000;
    qint8 m_small = kLargeCells;
    bool m_syncMark = false;
    mutable bool m_captionFitted = false;
};

} // namespace tavimo
