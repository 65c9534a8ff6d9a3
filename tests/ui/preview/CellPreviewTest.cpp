#include "ui/preview/CellPreview.h"

#include "core/Album.h"
#include "core/CellRoles.h"
#include "core/JpegCodec.h"
#include "core/PreviewStripCache.h"
#include "media/Fixtures.h"
#include "media/PreviewStrips.h"
#include "media/ThumbnailPool.h"
#include "ui/grid/GridBinding.h"
#include "ui/grid/ScrollBox.h"

#include <QDir>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;
using namespace tavimo::media::test;

namespace {

// An album of videos in a grid on screen, with hover previews over a cache in a temporary
// folder. Every video's stored picture is plain grey.
class CellPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QImage grey(120, 90, QImage::Format_RGB888);
        grey.fill(QColor(128, 128, 128));
        stored = jpeg::encode(grey);
        // Away from the pointer, which would enter it.
        grid.setGeometry(150, 150, 600, 400);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    void add(const QString& entry) {
        album.append(entry, stored);
        grid.layOut();
    }
    // The pointer moves to x pixels from the left of cell i's picture, halfway down.
    void moveTo(int cell, int x) {
        const QRect picture =
            grid.cellAt(cell)->geometry().picture.translated(grid.cellRect(cell).topLeft());
        const QPointF at(picture.left() + x, picture.center().y());
        QMouseEvent move(QEvent::MouseMove, at, grid.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid.viewport(), &move);
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(grid.viewport(), &event);
    }
    QImage shown(int cell) const { return grid.cellAt(cell)->picture().image(); }
    bool showsStored(int cell) const {
        return grid.cellAt(cell)->picture().key() ==
               album.data(album.index(cell), PictureRole).value<CellPicture>().key();
    }
    // Waits until cell i's picture passes `test`.
    bool waitFor(int cell, const std::function<bool(const QImage&)>& test) {
        return QTest::qWaitFor([&] { return !showsStored(cell) && test(shown(cell)); }, 30000);
    }
    QStringList cached() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    QByteArray stored;
    Album album;
    ScrollBox grid;
    GridBinding binding{album, grid};
    media::ThumbnailPool pool{2};
    CellPreview preview{grid, album, pool, std::make_shared<PreviewStripCache>(dir.path())};
};

// The bar along the bottom of a picture, above the focus outline's two rows, is under tenth
// `step` of its width and not under the others.
::testing::AssertionResult barAt(const QImage& picture, int step, const QColor& bar) {
    const int y = picture.height() - 4;
    for (int tenth = 0; tenth < 10; ++tenth) {
        const int x = picture.width() * tenth / 10 + picture.width() / 20;
        if (near(picture.pixel(x, y), bar, 8) != (tenth == step))
            return ::testing::AssertionFailure()
                   << "tenth " << tenth << " of the bottom row is " << rgbText(picture.pixel(x, y));
    }
    return ::testing::AssertionSuccess();
}

} // namespace

// The pattern's lower right quadrant tells the time: black at the start, yellow from 2 s of 3.
// The cell shows the tenth the pointer's place gives; leaving brings the stored picture back,
// and the album itself never changes.
TEST_F(CellPreviewTest, ThePointerAcrossAPictureShowsTheVideoAndLeavingRestoresIt) {
    add(fixture("mp4_h264_640x480.mp4"));
    add(fixture("mkv_h264_720x480_16x9.mkv"));
    QSignalSpy changes(&album, &Album::rowsChanged);
    const QColor bar(CellPreview::kBarColour);

    moveTo(0, 115); // the last tenth: 2.7 s
    ASSERT_TRUE(waitFor(0, [](const QImage& p) { return near(quadrant(p, 1, 1), yellow); }));
    const QImage late = shown(0);
    EXPECT_EQ(preview.previewedCell(), 0);
    EXPECT_TRUE(showsQuadrants(late, red, green, blue, yellow));
    EXPECT_TRUE(barAt(late, 9, bar));

    moveTo(0, 3); // the first tenth: the start
    ASSERT_TRUE(waitFor(0, [](const QImage& p) { return near(quadrant(p, 1, 1), black); }));
    EXPECT_TRUE(barAt(shown(0), 0, bar));
    EXPECT_TRUE(showsStored(1)) << "the other cell keeps its picture";

    // Onto the next cell: the first one shows its stored picture again. The 16 : 9 video
    // shows with black bands above and below.
    moveTo(1, 60);
    EXPECT_TRUE(showsStored(0));
    ASSERT_TRUE(waitFor(1, [](const QImage& p) { return near(p.pixel(30, 20), red); }));
    EXPECT_TRUE(near(shown(1).pixel(30, 5), black, 16));
    EXPECT_TRUE(barAt(shown(1), 5, bar));

    leave();
    EXPECT_TRUE(showsStored(1));
    EXPECT_EQ(preview.previewedCell(), -1);
    EXPECT_EQ(changes.count(), 0) << "nothing of the album changed";
    EXPECT_EQ(album.pictureBytes(0), stored);
    EXPECT_EQ(album.pictureBytes(1), stored);
}

// Switched off, the pointer asks for nothing. Entries that are not files of this system are
// never asked for, nor are places outside a picture (the caption).
TEST_F(CellPreviewTest, NothingIsAskedForWhenOffOrForVideosOutOfReach) {
    add(fixture("mp4_h264_640x480.mp4"));
    add(QStringLiteral("D:\\videos\\clip.mp4"));
    preview.setEnabled(false);
    moveTo(0, 60);
    preview.setEnabled(true);
    moveTo(1, 60);
    const QRect caption = grid.cellAt(0)->geometry().caption.translated(grid.cellRect(0).topLeft());
    QMouseEvent onCaption(QEvent::MouseMove, QPointF(caption.center()),
                          grid.viewport()->mapToGlobal(QPointF(caption.center())), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &onCaption);
    pool.threads().waitForDone(); // strips are asked for at once, as the pointer moves
    EXPECT_TRUE(cached().isEmpty()) << cached().join(u' ').toStdString();
    EXPECT_TRUE(showsStored(0));
    EXPECT_TRUE(showsStored(1));

    // Switched off while a preview shows: the stored picture is back at once.
    moveTo(0, 60);
    ASSERT_TRUE(waitFor(0, [](const QImage& p) { return !p.isNull(); }));
    preview.setEnabled(false);
    EXPECT_TRUE(showsStored(0));
}

// A file that cannot be decoded keeps its stored picture while hovered.
TEST_F(CellPreviewTest, AVideoThatCannotBeDecodedKeepsItsPicture) {
    add(fixture("no_decoder.avi"));
    QSignalSpy unavailable(preview.findChild<media::PreviewStrips*>(),
                           &media::PreviewStrips::unavailable);
    moveTo(0, 60);
    ASSERT_TRUE(unavailable.wait(30000));
    moveTo(0, 100);
    QTest::qWait(50);
    EXPECT_TRUE(showsStored(0));
    EXPECT_EQ(preview.previewedCell(), -1);
}

// The small cells show the whole frame, smaller, with the bar along the bottom.
TEST(CellPreviewPicture, TheFrameIsFittedToTheCellsPictureWithTheBarBelow) {
    QImage frame(120, 68, QImage::Format_RGB888);
    frame.fill(QColor(0, 200, 0));
    const QColor bar(200, 0, 200), corner(1, 2, 3);
    const QImage small = CellPreview::composed(frame, 3, QSize(80, 60), bar, corner);
    ASSERT_EQ(small.size(), QSize(80, 60));
    EXPECT_TRUE(near(small.pixel(40, 30), QColor(0, 200, 0), 4));
    EXPECT_TRUE(near(small.pixel(2, 30), QColor(0, 200, 0), 4)) << "as wide as the cell";
    EXPECT_TRUE(near(small.pixel(40, 4), Qt::black, 4)) << "bands above and below";
    EXPECT_TRUE(barAt(small, 3, bar));
    EXPECT_EQ(small.pixelColor(0, 59), corner);
    EXPECT_TRUE(near(small.pixel(40, 59), Qt::black, 4)) << "the outline's rows stay free";
}
