#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <memory>

class QPoint;

namespace tavimo {

class Album;
class PreviewStripCache;
class ScrollBox;
namespace media {
class PreviewStrips;
class ThumbnailPool;
} // namespace media

// Hover previews on the album window's cells. While the pointer moves across a cell's picture,
// the picture shows the video at the tenth of its length that the pointer's place gives, with a
// thin bar along its bottom on that tenth; when the pointer leaves, the stored picture is back.
// Only the cell shows the preview: the album's rows, and so its files, keep their pictures.
//
// The strips come from PreviewStrips on the thumbnail pool: the hovered cell's first, then those
// of the cells on screen. Videos that are not files of this system (an unmounted medium, a path
// written on Windows) are never asked for, and a file that cannot be decoded keeps its picture.
class CellPreview : public QObject {
    Q_OBJECT
public:
    CellPreview(ScrollBox& grid, const Album& album, media::ThumbnailPool& pool,
                std::shared_ptr<PreviewStripCache> cache, QObject* parent = nullptr);
    ~CellPreview() override;

    // Switched off, the pointer changes nothing and a preview on show ends.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    // The cell whose picture shows a preview now, -1 for none.
    int previewedCell() const;

    // The colour of the bar that shows the step: apart from the focus outline's and the
    // pattern colours of most videos.
    static constexpr QRgb kBarColour = 0xffff8000;

    // The picture a cell of `size` shows for `frame` (a strip picture fitted into 120 x 90) at
    // `step`: the frame fitted and centred on black, the step's bar in `bar` along the bottom
    // (above the focus outline), and the bottom-left pixel in `corner`, the colour the picture
    // button leaves transparent.
    static QImage composed(const QImage& frame, int step, QSize size, const QColor& bar,
                           const QColor& corner);

Q_SIGNALS:
    // Cell `cell` shows a preview picture now.
    void shown(int cell);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pointerAt(const QPoint& pos);
    void leave();
    void stepReady(quint64 video, int step, const QImage& frame);
    // The cell of the hovered video shows its stored picture again.
    void restore();
    void forget();
    void prefetchVisible();

    ScrollBox& grid_;
    // Kept apart: the grid's own parts are gone before its viewport's last events arrive.
    QObject* const viewport_;
    const Album& album_;
    media::PreviewStrips* strips_ = nullptr; // a child
    bool enabled_ = true;
    quint64 video_ = 0;          // the hovered video's row id; 0 for none
    int hint_ = -1;              // where its cell stood
    bool showing_ = false;       // its cell shows a preview
    bool visibleChanged_ = true; // the cells on screen changed since their strips were asked for
};

} // namespace tavimo
