#include "ui/player/VideoSurface.h"

#include "media/Fixtures.h"
#include "media/MpvPlayer.h"
#include "ui/player/GlVideoView.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using tavimo::media::MpvPlayer;
using tavimo::media::test::fixture;
using tavimo::ui::GlVideoView;
using tavimo::ui::VideoSurface;

namespace {

bool isRed(QRgb c) {
    return qRed(c) > 170 && qGreen(c) < 90 && qBlue(c) < 90;
}
bool isBlack(QRgb c) {
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}

// Shows `surface` at 320 x 240 with the picture rectangle (40, 30, 240, 180), renders the test
// video paused at its start and waits until its red top-left quadrant shows at the middle of
// that quadrant, (40 + 60, 30 + 45). Returns the surface's picture then.
::testing::AssertionResult showStart(MpvPlayer& mpv, VideoSurface& surface, QImage* shot) {
    surface.resize(320, 240);
    surface.show();
    mpv.setPictureRect(QRect(40, 30, 240, 180));
    mpv.setActive(true);
    QSignalSpy loaded(&mpv, &MpvPlayer::loaded);
    mpv.loadFile(fixture("mp4_h264_640x480.mp4"));
    if (!loaded.wait(5000) || loaded.at(0).at(0).toInt() != MpvPlayer::Loaded)
        return ::testing::AssertionFailure() << "not loaded";
    const bool drawn = QTest::qWaitFor(
        [&] {
            *shot = surface.grab().toImage();
            return isRed(shot->pixel(100, 75));
        },
        5000);
    if (!drawn)
        return ::testing::AssertionFailure()
               << "no picture, mode " << (surface.mode() == VideoSurface::Mode::OpenGL);
    return ::testing::AssertionSuccess();
}

// The software surface (the offscreen platform has no OpenGL) draws the picture into the
// the player's picture rectangle and leaves the rest black.
TEST(VideoSurface, DrawsThePictureIntoThePictureRectangle) {
    MpvPlayer mpv(MpvPlayer::Output::SilentSurface);
    VideoSurface surface(mpv, VideoSurface::Mode::Auto);
    if (VideoSurface::openGLAvailable())
        surface.setMode(VideoSurface::Mode::Software);
    EXPECT_EQ(surface.mode(), VideoSurface::Mode::Software);
    QImage shot;
    ASSERT_TRUE(showStart(mpv, surface, &shot));
    EXPECT_TRUE(isBlack(shot.pixel(10, 10)));   // outside the rectangle
    EXPECT_TRUE(isBlack(shot.pixel(300, 220))); // outside the rectangle
    EXPECT_TRUE(isBlack(shot.pixel(220, 165))); // bottom-right quadrant at the start

    // The whole surface as picture rectangle: the red quadrant now covers (10, 10).
    mpv.setPictureRect(QRect(0, 0, 320, 240));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return isRed(surface.grab().toImage().pixel(10, 10)); }, 5000));

    QSignalSpy released(&surface, &VideoSurface::mouseReleased);
    QTest::mouseClick(&surface, Qt::LeftButton, {}, QPoint(100, 100));
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
}

// A surface drawing with OpenGL, its first picture shown. Only where a display with OpenGL
// exists: run the tests under xvfb-run with QT_QPA_PLATFORM=xcb to include these.
class OpenGLSurface : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VideoSurface::openGLAvailable())
            GTEST_SKIP() << "no OpenGL on this platform";
        surfaceHolder = std::make_unique<VideoSurface>(mpv, VideoSurface::Mode::OpenGL);
        ASSERT_TRUE(showStart(mpv, *surfaceHolder, &shot));
    }

    MpvPlayer mpv{MpvPlayer::Output::SilentSurface};
    std::unique_ptr<VideoSurface> surfaceHolder;
    QImage shot;
};

// The OpenGL surface places the picture the same way; a failing driver falls back to software.
TEST_F(OpenGLSurface, DrawsLikeTheSoftwareOne) {
    VideoSurface& surface = *surfaceHolder;
    EXPECT_TRUE(isBlack(shot.pixel(10, 10))) << std::hex << shot.pixel(10, 10);
    EXPECT_TRUE(isBlack(shot.pixel(300, 220))) << std::hex << shot.pixel(300, 220);
    // Switching at run time: the software view takes over the same player.
    surface.setMode(VideoSurface::Mode::Software);
    EXPECT_EQ(surface.mode(), VideoSurface::Mode::Software);
}

// A change of drawing while a file is open keeps its picture: libmpv drops the video when the
// old view lets its renderer go, and the new view brings it back (both ways).
TEST_F(OpenGLSurface, ChangingTheDrawingKeepsTheOpenFilesPicture) {
    VideoSurface& surface = *surfaceHolder;
    // Each time a new picture must be drawn: at 0.5 s the bottom-right quadrant is white, at
    // 2.5 s yellow.
    const std::pair<VideoSurface::Mode, qint64> changes[] = {
        {VideoSurface::Mode::Software, 5'000'000}, {VideoSurface::Mode::OpenGL, 25'000'000}};
    for (const auto& [mode, position] : changes) {
        surface.setMode(mode);
        ASSERT_EQ(surface.mode(), mode);
        ASSERT_TRUE(mpv.seek(position));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QImage s = surface.grab().toImage();
                return isRed(s.pixel(100, 75)) && qGreen(s.pixel(220, 165)) > 170;
            },
            5000))
            << "mode " << int(mode);
    }
}

// Without libmpv the surface is black and makes no render context, whatever its mode.
TEST(VideoSurface, WithoutAPlayerTheSurfaceIsBlack) {
    MpvPlayer mpv(MpvPlayer::Output::SilentSurface, {{"o", "/nonexistent/out.no-such-format"}});
    ASSERT_FALSE(mpv.available());
    VideoSurface surface(mpv, VideoSurface::Mode::OpenGL);
    surface.resize(320, 240);
    surface.show();
    EXPECT_TRUE(isBlack(surface.grab().toImage().pixel(160, 120)));
    surface.setMode(VideoSurface::Mode::Software);
    EXPECT_TRUE(isBlack(surface.grab().toImage().pixel(160, 120)));
}

// An OpenGL view whose driver fails is replaced by the software view, and deleted only once
// its signal has reached every receiver: one connected after the surface still hears it.
TEST(VideoSurface, AFailingOpenGLViewGivesWayAfterItsSignal) {
    MpvPlayer mpv(MpvPlayer::Output::SilentSurface);
    VideoSurface surface(mpv, VideoSurface::Mode::OpenGL);
    QPointer<GlVideoView> gl = surface.findChild<GlVideoView*>();
    ASSERT_FALSE(gl.isNull());
    bool heard = false;
    QObject::connect(gl, &GlVideoView::failed, [&] { heard = true; });
    Q_EMIT gl->failed();
    EXPECT_TRUE(heard);
    EXPECT_EQ(surface.mode(), VideoSurface::Mode::Software);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gl.isNull(); }, 5000));
    // The software view has the player's render context now and draws.
    QImage shot;
    EXPECT_TRUE(showStart(mpv, surface, &shot));
}

} // namespace
