#include "ui/grid/TVFPanel.h"

#include "core/TitleFit.h"
#include "ui/WindowFont.h"

#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QImage paintCell(const TVFPanel& cell, const QImage& picture, bool focused = false) {
    QImage canvas(cell.geometry().cell, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setFont(windowFont(12));
    TVFPanel::PaintContext context;
    context.glyph = transparentGlyph(picture);
    context.focused = focused;
    cell.paint(painter, QPoint(0, 0), context);
    return canvas;
}

bool regionHasColour(const QImage& image, const QRect& region, QRgb colour) {
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
                return true;
    return false;
}

// Text is antialiased: a caption "is red" when some of its pixels lean clearly to red.
bool regionHasTint(const QImage& image, const QRect& region, QRgb colour) {
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (qRed(colour) == 255 && r - std::max(g, b) > 100)
                return true;
            if (qBlue(colour) == 255 && b - std::max(r, g) > 100)
                return true;
        }
    return false;
}

} // namespace

TEST(TVFPanel, CopyFromMovesTheItemAndLeavesTheSlot) {
    TVFPanel source;
    source.SetTitle(QStringLiteral("source"));
    source.SetPicture(QImage(120, 90, QImage::Format_RGB888));
    source.SetBookmark(123456789012LL);
    source.SetPlayCount(7);
    source.SetSyncMark(true);
    source.SetIndex(3);
    source.SetCellColor(Qt::yellow);

    TVFPanel target;
    target.SetIndex(5);
    target.SetSmall(kSmallCells);
    target.SetCellColor(Qt::cyan);
    target.SetFontColor(Qt::blue);
    target.CopyFrom(source);

    EXPECT_EQ(target.title(), QStringLiteral("source"));
    EXPECT_EQ(target.picture().key(), source.picture().key());
    EXPECT_EQ(target.bookmark(), 123456789012LL);
    EXPECT_EQ(target.playCount(), 7);
    EXPECT_TRUE(target.syncMark());
    EXPECT_EQ(target.index(), 5);
    EXPECT_EQ(target.name(), QStringLiteral("vframe5"));
    EXPECT_EQ(target.small(), kSmallCells);
    EXPECT_EQ(target.cellColor(), QColor(Qt::cyan));
    EXPECT_EQ(target.fontColor(), QColor(Qt::blue));
}

TEST(TVFPanel, SwapWithExchangesContentsAndCaptionsFitTheirOwnLayout) {
    const QFontMetrics metrics(windowFont(12));
    const QString longTitle = QStringLiteral("a_rather_long_video_file_name_for_a_cell.mp4");
    TVFPanel large;
    large.SetTitle(longTitle);
    large.SetPlayCount(1);
    TVFPanel small;
    small.SetSmall(kSmallCells);
    small.SetTitle(QStringLiteral("short"));
    small.SetSyncMark(true);
    small.SetPlayCount(2);
    EXPECT_EQ(large.caption(metrics), fitTitle(longTitle, 128, metrics));

    large.SwapWith(small);
    EXPECT_EQ(large.title(), QStringLiteral("short"));
    EXPECT_TRUE(large.syncMark());
    EXPECT_EQ(large.playCount(), 2);
    EXPECT_EQ(small.title(), longTitle);
    EXPECT_FALSE(small.syncMark());
    EXPECT_EQ(small.caption(metrics), fitTitle(longTitle, 88, metrics));
    EXPECT_EQ(large.small(), kLargeCells);
    EXPECT_EQ(small.small(), kSmallCells);

    // Switching the layout fits the caption again from the full title.
    small.SetSmall(kLargeCells);
    EXPECT_EQ(small.caption(metrics), fitTitle(longTitle, 128, metrics));
    EXPECT_NE(fitTitle(longTitle, 128, metrics), fitTitle(longTitle, 88, metrics));
}

TEST(TVFPanel, SmallLayoutShowsTheCentreOfTheUnscaledPicture) {
    // A frame of red around a green 80 x 60 centre.
    QImage picture(120, 90, QImage::Format_RGB888);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(QRect(20, 15, 80, 60), Qt::green);
    picture.setPixelColor(0, 89, Qt::red); // the frame is the transparent colour

    TVFPanel cell;
    cell.SetSmall(kSmallCells);
    const QImage small = paintCell(cell, picture);
    EXPECT_EQ(small.pixel(5 + 40, 30) & 0xffffff, QColor(Qt::green).rgb() & 0xffffff);
    EXPECT_EQ(small.pixel(5, 0) & 0xffffff, QColor(Qt::green).rgb() & 0xffffff);
    EXPECT_EQ(small.pixel(84, 59) & 0xffffff, QColor(Qt::green).rgb() & 0xffffff);

    // In the large layout the red frame is transparent: the button face shows, never red.
    TVFPanel large;
    const QImage whole = paintCell(large, picture);
    EXPECT_EQ(whole.pixel(5 + 60, 45) & 0xffffff, QColor(Qt::green).rgb() & 0xffffff);
    EXPECT_FALSE(regionHasColour(whole, QRect(5, 0, 120, 90), QColor(Qt::red).rgb()));
}

TEST(TVFPanel, FocusedCaptionIsRedWhateverTheFontColour) {
    TVFPanel cell;
    cell.SetTitle(QStringLiteral("WWWW"));
    cell.SetCellColor(Qt::white);
    cell.SetFontColor(Qt::blue);
    const QRect caption = cell.geometry().caption;
    const QImage focused = paintCell(cell, {}, true);
    EXPECT_TRUE(regionHasTint(focused, caption, qRgb(255, 0, 0)));
    EXPECT_FALSE(regionHasTint(focused, caption, qRgb(0, 0, 255)));
    const QImage unfocused = paintCell(cell, {}, false);
    EXPECT_TRUE(regionHasTint(unfocused, caption, qRgb(0, 0, 255)));
    EXPECT_FALSE(regionHasTint(unfocused, caption, qRgb(255, 0, 0)));
}
