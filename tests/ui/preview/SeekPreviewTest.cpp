#include "ui/preview/SeekPreview.h"

#include "media/Fixtures.h"
#include "media/MpvPlayer.h"
#include "media/PreviewSource.h"
#include "ui/player/SeekBar.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tavimo;
using namespace tavimo::media::test;

namespace {

// A seek bar of a player window as it stands while a 3 s video plays, with its preview.
class SeekPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* column = new QVBoxLayout(&window);
        column->addStretch(1);
        column->addWidget(bar);
        window.setGeometry(100, 300, 600, 200);
        window.show();
        bar->setRange(0, 3000); // milliseconds, as the engine's duration sets it
    }

    // The pointer over the bar at the place of `ms`.
    void hover(int ms) {
        int x = 0;
        while (x < bar->width() && bar->valueAt(x) < ms)
            ++x;
        const QPointF at(x, bar->height() / 2);
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }
    bool hoverAndWait(int ms) {
        QSignalSpy shown(&preview, &SeekPreview::pictureShown);
        hover(ms);
        return shown.wait(30000);
    }

    media::MpvPlayer engine{media::MpvPlayer::Output::SilentSurface};
    QWidget window;
    SeekBar* bar = new SeekBar(engine, &window);
    SeekPreview preview{*bar, &window};
};

} // namespace

// The pattern's lower right quadrant tells the time: white from 0.3 s, yellow from 2 s. The
// window shows the frame of the time under the pointer with that time, above the bar, and
// hides when the pointer leaves.
TEST_F(SeekPreviewTest, TheFrameUnderThePointerShowsAboveTheBarUntilThePointerLeaves) {
    preview.setVideo(fixture("mp4_h264_640x480.mp4"));

    ASSERT_TRUE(hoverAndWait(2500));
    EXPECT_TRUE(preview.isVisible());
    EXPECT_EQ(preview.timeText(), QStringLiteral("00.02"));
    EXPECT_EQ(preview.picture().size(), QSize(160, 120));
    EXPECT_TRUE(showsQuadrants(preview.picture(), red, green, blue, yellow));
    const QRect barOnScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    EXPECT_LT(preview.frameGeometry().bottom(), barOnScreen.top()) << "above the bar";

    // Further left, the window follows the pointer.
    const int right = preview.geometry().center().x();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            hover(1000);
            return preview.timeText() == QStringLiteral("00.01") &&
                   near(quadrant(preview.picture(), 1, 1), white);
        },
        30000));
    EXPECT_LT(preview.geometry().center().x(), right);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(bar, &leave);
    EXPECT_FALSE(preview.isVisible());
}

// Pictures keep the display aspect: a 720 x 480 video shown 16 : 9 is 160 x 90. A file that
// cannot be decoded shows no window at all.
TEST_F(SeekPreviewTest, PicturesKeepTheirAspectAndAFileWithoutPicturesShowsNone) {
    preview.setVideo(fixture("mkv_h264_720x480_16x9.mkv"));
    ASSERT_TRUE(hoverAndWait(1500));
    EXPECT_EQ(preview.picture().size(), QSize(160, 90));

    preview.setVideo(fixture("no_decoder.avi"));
    EXPECT_FALSE(preview.isVisible()) << "another video ends the pictures of the one before";
    QSignalSpy unavailable(preview.findChild<media::PreviewSource*>(),
                           &media::PreviewSource::unavailable);
    hover(1500);
    ASSERT_TRUE(unavailable.wait(30000));
    hover(2000);
    QTest::qWait(50);
    EXPECT_FALSE(preview.isVisible());

    // Nothing plays: the pointer over the bar asks for nothing.
    preview.setVideo({});
    hover(1000);
    EXPECT_FALSE(preview.isVisible());
}
