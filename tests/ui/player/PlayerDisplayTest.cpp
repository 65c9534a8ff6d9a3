#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "media/DisplayOptions.h"
#include "media/Fixtures.h"
#include "support/FakeVolumeTable.h"
#include "support/OneAlbumBook.h"
#include "support/ScriptedDialogService.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerDisplayCommands.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/PlayerWindow.h"
#include "ui/player/SoftwareVideoView.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace tavimo;
using media::MpvPlayer;
using media::test::fixture;

namespace {

bool isBlack(QRgb c) {
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}
bool isRed(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100;
}
bool isBlue(QRgb c) {
    return qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100;
}

class PlayerDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.libraryFolder = dir.path() + u'/';
        ASSERT_TRUE(test::writeOneAlbumBook(state.libraryFolder));
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        ASSERT_TRUE(session.openAlbum(0));
        // The video area is 640 x 480 over the 60 rows of the control bar.
        player.resize(640, 540);
    }

    // Plays the fixture `name` and waits until it plays.
    ::testing::AssertionResult play(const char* name) {
        session.album().append(fixture(QLatin1String(name)), {});
        player.playVideo(session.album().count() - 1, false);
        if (!QTest::qWaitFor(
                [&] {
                    return !player.playback().isOpening() &&
                           player.mpv().state() == MpvPlayer::Playing;
                },
                10000))
            return ::testing::AssertionFailure() << name << " does not play";
        return ::testing::AssertionSuccess();
    }

    // The drawn picture once `drawn` holds for it.
    QImage waitForPicture(const std::function<bool(const QImage&)>& drawn) {
        QImage shot;
        const bool seen = QTest::qWaitFor(
            [&] {
                shot = player.videoSurface().grab().toImage();
                return drawn(shot);
            },
            5000);
        EXPECT_TRUE(seen) << "the picture expected was not drawn";
        return shot;
    }

    // Rows [top, bottom] are the picture at column x (red above, blue below the middle),
    // black above and below.
    static ::testing::AssertionResult pictureRows(const QImage& shot, int x, int top, int bottom) {
        const QRgb above = shot.pixel(x, top - 1), first = shot.pixel(x, top),
                   last = shot.pixel(x, bottom), below = shot.pixel(x, bottom + 1);
        if (isBlack(shot.pixel(x, 0)) && isBlack(above) && isRed(first) && isBlue(last) &&
            isBlack(below) && isBlack(shot.pixel(x, shot.height() - 1)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << std::hex << "rows " << std::dec << top - 1 << ".." << bottom + 1 << ": "
               << std::hex << above << " " << first << " " << last << " " << below;
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
    PlayerWindow player{session, state, dialogs, nullptr, MpvPlayer::Output::SilentSurface};
};

// 2.35 : 1 in a 640 x 480 area leaves black bars of 105 rows; cutting 32 rows at top and
// bottom widens the picture, so the bars grow to 122 rows.
TEST_F(PlayerDisplayTest, SoftwareSurfaceDrawsTheChosenAspectAndCrop) {
    const PlayerActions& m = player.playerActions();
    m.aspectItems.at(5)->trigger();
    EXPECT_EQ(state.player.aspect, 5);
    ASSERT_TRUE(play("mp4_h264_640x480.mp4"));
    ASSERT_EQ(player.videoSurface().size(), QSize(640, 480));
    ASSERT_NE(player.videoSurface().findChild<ui::SoftwareVideoView*>(), nullptr);
    player.playback().pause();
    QImage shot = waitForPicture(
        [](const QImage& s) { return isRed(s.pixel(160, 105)) && isBlack(s.pixel(160, 104)); });
    EXPECT_TRUE(pictureRows(shot, 160, 105, 374));
    for (int y : {0, 50, 104, 375, 420, 479})
        for (int x : {0, 320, 639})
            EXPECT_TRUE(isBlack(shot.pixel(x, y))) << x << ", " << y;

    m.cropItems.at(2)->trigger();
    EXPECT_TRUE(m.cropItems.at(2)->isChecked());
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused); // paused, it stays paused
    shot = waitForPicture(
        [](const QImage& s) { return isRed(s.pixel(160, 122)) && isBlack(s.pixel(160, 121)); });
    EXPECT_TRUE(pictureRows(shot, 160, 122, 357));

    // The next video starts uncut; the aspect stays.
    ASSERT_TRUE(play("avi_mpeg4_640x480.avi"));
    EXPECT_TRUE(m.cropItems.at(0)->isChecked());
    EXPECT_EQ(player.display().crop(), 0);
    player.playback().pause();
    shot = waitForPicture(
        [](const QImage& s) { return isRed(s.pixel(160, 105)) && isBlack(s.pixel(160, 104)); });
    EXPECT_TRUE(pictureRows(shot, 160, 105, 374));
}

// The wheel moves the volume by 200 a notch; M and a click on the mute picture silence and
// restore it; quitting muted keeps 0 as the volume, and the aspect choice is kept too.
TEST_F(PlayerDisplayTest, VolumeWheelMuteAndTheSettingsKept) {
    ASSERT_TRUE(play("mp4_h264_640x480.mp4"));
    QSlider* volume = player.controls().volumeBar;
    ASSERT_EQ(volume->value(), 5000);
    const QPointF at(320, 240);
    const auto wheel = [&](QWidget* over, int delta) {
        QWheelEvent event(at, over->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    };
    // Sent to the window: what its children leave of the wheel reaches it.
    wheel(&player, 120);
    EXPECT_EQ(volume->value(), 5200);
    wheel(volume, -240);
    EXPECT_EQ(volume->value(), 4800);
    wheel(&player, 60); // half a notch waits for the other half
    EXPECT_EQ(volume->value(), 4800);
    wheel(&player, 60);
    EXPECT_EQ(volume->value(), 5000);
    EXPECT_EQ(player.mpv().volume(), 5000);

    const QImage soundPicture = player.controls().muteImage->pixmap().toImage();
    player.playerActions().mute->trigger(); // M
    EXPECT_TRUE(player.display().isMuted());
    EXPECT_EQ(player.mpv().volume(), 0);
    EXPECT_NE(player.controls().muteImage->pixmap().toImage(), soundPicture);
    volume->setValue(7000);
    EXPECT_EQ(player.mpv().volume(), 0);
    player.playerActions().aspectItems.at(1)->trigger();
    player.storeSettings();
    EXPECT_EQ(state.player.volume, 0);
    EXPECT_EQ(state.player.aspect, 1);

    QTest::mouseClick(player.controls().muteImage, Qt::LeftButton);
    EXPECT_FALSE(player.display().isMuted());
    EXPECT_EQ(player.mpv().volume(), 7000);
    EXPECT_EQ(player.controls().muteImage->pixmap().toImage(), soundPicture);
    player.storeSettings();
    EXPECT_EQ(state.player.volume, 7000);
}

// "Audio" shows for a video with two audio tracks, first track on; the title's hint
// describes the streams.
TEST_F(PlayerDisplayTest, TwoAudioTracksAndTheStreamDescription) {
    const PlayerActions& m = player.playerActions();
    ASSERT_TRUE(play("two_audio.mkv"));
    EXPECT_TRUE(m.audioMenu->isVisible());
    EXPECT_TRUE(m.audio1->isChecked());
    EXPECT_FALSE(m.audio2->isChecked());
    EXPECT_TRUE(player.controls().titleLabel->toolTip().startsWith(
        QStringLiteral("Video: H264_avc1 640X480, 12bits, 25.000fps Audio1: AAC")));
    EXPECT_EQ(player.controls().infoPanel->toolTip(), player.controls().titleLabel->toolTip());
    m.audio2->trigger();
    EXPECT_EQ(player.mpv().audioTrack(), 2);
    EXPECT_TRUE(m.audio2->isChecked());
    EXPECT_FALSE(m.audio1->isChecked());
    m.audio2->trigger(); // already on: stays on
    EXPECT_TRUE(m.audio2->isChecked());
    EXPECT_EQ(player.mpv().audioTrack(), 2);

    ASSERT_TRUE(play("mp4_h264_640x480.mp4"));
    EXPECT_FALSE(m.audioMenu->isVisible());
    EXPECT_EQ(
        player.controls().titleLabel->toolTip(),
        QStringLiteral("Video: H264_avc1 640X480, 24bits, 25.000fps Audio: AAC 44100Hz, 1Ch"));
}

// F fills the screen with the video alone, keeping a paused video paused; Esc brings the
// window back as it was, and Esc again closes it.
TEST_F(PlayerDisplayTest, FullScreenAndBack) {
    ASSERT_TRUE(play("mp4_h264_640x480.mp4"));
    player.showMaximized();
    player.playback().pause();
    player.playerActions().fullScreen->trigger();
    EXPECT_TRUE(player.displayCommands().isFullScreen());
    EXPECT_TRUE(player.isFullScreen());
    EXPECT_FALSE(player.controls().isVisible());
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused);
    const QSize screen = player.screen()->size();
    EXPECT_EQ(player.display().box(), screen);
    const media::DisplayLayout whole{{640, 480}, {640, 480}, 0};
    EXPECT_EQ(player.mpv().pictureRect(), whole.destination(screen));

    player.playerActions().windowed->trigger();
    EXPECT_FALSE(player.displayCommands().isFullScreen());
    EXPECT_TRUE(player.isMaximized());
    EXPECT_TRUE(player.controls().isVisible());
    EXPECT_TRUE(player.isVisible());
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused);
    player.playerActions().windowed->trigger();
    EXPECT_FALSE(player.isVisible());
}

} // namespace
