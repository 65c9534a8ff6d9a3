#include "ui/player/PlayerWindow.h"

#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "core/TextFile.h"
#include "media/Fixtures.h"
#include "support/LibraryOnDisk.h"
#include "support/OneAlbumBook.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerLink.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/SeekBar.h"
#include "ui/player/VideoSurface.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tavimo;
using media::MpvPlayer;
using media::test::fixture;

namespace {

class PlayerWindowTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    void SetUp() override {
        state.libraryFolder = dir.path() + u'/';
        videos = dir.path() + QStringLiteral("/videos/");
        QDir().mkpath(videos);
    }

    // The book "本" with the album "旅" of `entries`, open in the session.
    void openAlbum(const QStringList& entries) {
        ASSERT_TRUE(test::writeOneAlbumBook(state.libraryFolder));
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        ASSERT_TRUE(session.openAlbum(0));
        for (const QString& entry : entries)
            session.album().append(entry, {});
    }

    // A copy of a fixture under a name of the test's own.
    QString video(const QString& name, const QString& from) {
        EXPECT_TRUE(QFile::copy(fixture(from), videos + name));
        return videos + name;
    }

    // Waits until the player plays a video named `name`.
    ::testing::AssertionResult waitForPlaying(const QString& name, int timeout = 10000) {
        const bool ok = QTest::qWaitFor(
            [&] {
                return player.windowTitle() == QStringLiteral("MoviePlayer ") + name &&
                       !player.playback().isOpening() && player.mpv().state() == MpvPlayer::Playing;
            },
            timeout);
        if (ok)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "caption " << player.windowTitle().toStdString()
                                             << ", state " << player.mpv().state();
    }

    QString videos;
    PlayerWindow player{session, state, dialogs, nullptr, MpvPlayer::Output::SilentSurface};
};

// Whatever the width, the video fills what the control bar leaves; the buttons stand in a row
// at the left, the seek bar spans the bar, and the white panel holds the title, the times, the
// mute picture and the volume from left to right, none covering another but the title's end.
TEST_F(PlayerWindowTest, ControlsFitTheWindowAtEveryWidth) {
    player.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    PlayerControlBar& c = player.controls();
    const QList<QToolButton*> buttons{c.rewindButton,    c.previousButton,    c.playButton,
                                      c.nextButton,      c.pauseButton,       c.stopButton,
                                      c.frameBackButton, c.frameForwardButton};
    for (const int width : {800, 640, 500}) {
        player.resize(width, 600);
        const QRect central = player.centralWidget()->rect();
        EXPECT_EQ(c.geometry().bottom(), central.bottom()) << width;
        EXPECT_EQ(player.videoSurface().geometry(),
                  QRect(0, 0, central.width(), central.height() - c.height()))
            << width;
        const QRect bar = c.rect();
        int right = 0;
        for (QToolButton* b : buttons) {
            EXPECT_TRUE(bar.contains(b->geometry())) << b->objectName().toStdString();
            EXPECT_GE(b->x(), right) << b->objectName().toStdString();
            EXPECT_FALSE(b->geometry().intersects(c.seekBar->geometry()));
            right = b->geometry().right() + 1;
        }
        EXPECT_TRUE(bar.contains(c.seekBar->geometry())) << width;
        EXPECT_GT(c.seekBar->width(), bar.width() - 20) << width;
        EXPECT_GE(c.infoPanel->x(), right) << width;
        EXPECT_TRUE(bar.contains(c.infoPanel->geometry())) << width;
        EXPECT_FALSE(c.infoPanel->geometry().intersects(c.seekBar->geometry())) << width;

        const QRect panel = c.infoPanel->rect();
        const QList<QWidget*> inPanel{c.titleLabel, c.positionLabel, c.durationLabel, c.muteImage,
                                      c.volumeBar};
        for (int i = 0; i < inPanel.size(); ++i) {
            EXPECT_EQ(inPanel[i]->parentWidget(), c.infoPanel);
            EXPECT_TRUE(panel.contains(inPanel[i]->geometry()))
                << inPanel[i]->objectName().toStdString() << " at " << width;
            if (i > 1) { // the title runs under the position
                EXPECT_GT(inPanel[i]->x(), inPanel[i - 1]->geometry().right())
                    << inPanel[i]->objectName().toStdString() << " at " << width;
            }
        }
        EXPECT_GT(c.positionLabel->x() - c.titleLabel->x(), 60) << "room for a title";
    }
    EXPECT_EQ(c.titleLabel->text(), QStringLiteral("NO VIDEO"));
    EXPECT_FALSE(c.marker->isVisible());
    SeekBar& bar = *c.seekBar;
    EXPECT_EQ(bar.focusPolicy(), Qt::NoFocus) << "keys stay with the video";
}

TEST_F(PlayerWindowTest, MenuHoldsEveryCommandInOrderWithItsKey) {
    QStringList items;
    for (QAction* a : player.playerActions().menu->actions()) {
        if (a->isSeparator())
            items << QStringLiteral("-");
        else if (a->menu())
            items << a->text() + u'>' + (a->isVisible() ? QString() : QStringLiteral(" hidden"));
        else
            items << (a->shortcut().isEmpty() ? a->text()
                                              : a->text() + u' ' + a->shortcut().toString());
    }
    const QStringList expected = {"連続再生 A",
                                  "再生 P",
                                  "一時停止 Z",
                                  "巻き戻し R",
                                  "前へ B",
                                  "次へ N",
                                  "-",
                                  "1分前へ Left",
                                  "10分前へ Ctrl+Left",
                                  "1分後へ Right",
                                  "10分後へ Ctrl+Right",
                                  "-",
                                  "Audio> hidden",
                                  "-",
                                  "ブックマークとサムネイルを設定 F3",
                                  "-",
                                  "ブックマークを設定 F1",
                                  "ブックマークに移動 F2",
                                  "-",
                                  "常にブックマークから再生",
                                  "-",
                                  "コピー Ctrl+C",
                                  "画像を保存 Ctrl+S",
                                  "この画像をサムネイルに設定 Ctrl+T",
                                  "-",
                                  "フルスクリーン F",
                                  "ウィンドウ表示 Esc",
                                  "-",
                                  "アスペクト比>",
                                  "-",
                                  "上下をカット>",
                                  "-",
                                  "再生速度>",
                                  "-",
                                  "閉じる Alt+X"};
    EXPECT_EQ(items, expected);

    const PlayerActions& m = player.playerActions();
    const auto captions = [](QMenu* menu) {
        QStringList list;
        for (QAction* a : menu->actions())
            list << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        return list;
    };
    EXPECT_EQ(captions(m.audio), (QStringList{"Audio1", "Audio2"}));
    EXPECT_EQ(captions(m.aspect),
              (QStringList{"オリジナル *", "16 : 9", "720 : 480", "704 : 480", "640 : 480",
                           "2.35 : 1（シネスコサイズ）", "1.85 : 1（ビスタサイズ）"}));
    EXPECT_EQ(captions(m.crop), (QStringList{"なし *", "16", "32", "48", "64", "80", "96", "112"}));
    EXPECT_EQ(captions(m.speed), (QStringList{"200%", "100%", "50%", "25%"}));
    EXPECT_TRUE(m.fromBookmark->isCheckable());
    // Keys without an item of their own belong to the window.
    EXPECT_TRUE(player.actions().contains(m.stop));
    EXPECT_EQ(m.stop->shortcut(), QKeySequence(Qt::Key_S));
    EXPECT_EQ(m.mute->shortcut(), QKeySequence(Qt::Key_M));
    EXPECT_FALSE(m.menu->actions().contains(m.stop));

    // The keys act while the window is active: Esc and Alt+X close it.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence("Alt+X")}) {
        player.show();
        player.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&player));
        QTest::keySequence(&player, key);
        EXPECT_FALSE(player.isVisible()) << key.toString().toStdString();
    }
}

// The real player on two three-second videos: opening plays and counts, the time labels move,
// and with continuous play the end of the first opens the second. Closing unloads.
TEST_F(PlayerWindowTest, PlaysOnThroughTheAlbumCountingEachVideo) {
    openAlbum({video("a.mp4", "mp4_h264_640x480.mp4"), video("b.mkv", "mkv_h264_1280x720.mkv")});
    QSignalSpy current(&player.playback(), &Playback::currentVideoChanged);
    player.playVideo(0, true);
    EXPECT_TRUE(player.isVisible());
    EXPECT_EQ(player.controls().titleLabel->text(), QStringLiteral("a.mp4"));
    ASSERT_TRUE(waitForPlaying(QStringLiteral("a.mp4")));
    EXPECT_EQ(session.album().playCount(0), 1);
    EXPECT_EQ(player.controls().durationLabel->text(), QStringLiteral("00.03"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return player.controls().positionLabel->text() == QStringLiteral("00.01"); }, 5000));
    // The picture keeps its proportions inside the video area.
    const QRect area = player.videoSurface().rect();
    const QRect shown = player.mpv().pictureRect();
    EXPECT_TRUE(area.contains(shown));
    EXPECT_NEAR(double(shown.width()) / shown.height(), 640.0 / 480, 0.02);

    ASSERT_TRUE(waitForPlaying(QStringLiteral("b.mkv")));
    EXPECT_EQ(current.last().at(0).toInt(), 1);
    EXPECT_EQ(session.album().playCount(1), 1);
    EXPECT_EQ(session.album().playCount(0), 1);
    EXPECT_EQ(player.controls().titleLabel->text(), QStringLiteral("b.mkv"));

    player.close();
    EXPECT_FALSE(player.isVisible());
    EXPECT_FALSE(player.mpv().isActive());
    EXPECT_EQ(player.controls().seekBar->value(), 0);
}

// F1 keeps the place in the marks file at once and shows the marker; with "常にブックマーク
// から再生" the next open starts there.
TEST_F(PlayerWindowTest, ABookmarkIsKeptShownAndPlayedFrom) {
    openAlbum({video("long.mp4", "long_60s.mp4")});
    player.resize(640, 480);
    player.playVideo(0, false);
    ASSERT_TRUE(waitForPlaying(QStringLiteral("long.mp4")));
    QSignalSpy seeked(&player.mpv(), &MpvPlayer::seekFinished);
    player.mpv().seek(30 * 10'000'000LL);
    ASSERT_TRUE(seeked.wait(5000));
    player.playerActions().setBookmark->trigger();
    const qint64 mark = session.album().bookmark(0);
    EXPECT_GE(mark, 30 * 10'000'000LL);
    EXPECT_LT(mark, 32 * 10'000'000LL);
    const QString marks = AlbumPaths::of(BookPaths::of(state.libraryFolder, "本"), "旅").marks;
    for (int waited = 0; session.hasPendingSaves() && waited < 400; ++waited)
        QTest::qWait(25);
    EXPECT_EQ(test::readTestFile(marks), QByteArray::number(mark) + "\r\n") << "written at once";
    PlayerControlBar& c = player.controls();
    EXPECT_TRUE(c.marker->isVisible());
    // The marker stands over the thumb as it stands at the bookmark.
    QStyleOptionSlider thumbAt;
    thumbAt.initFrom(c.seekBar);
    thumbAt.orientation = Qt::Horizontal;
    thumbAt.minimum = 0;
    thumbAt.maximum = int(player.mpv().durationMs());
    thumbAt.sliderPosition = thumbAt.sliderValue = int(mark / 10000);
    const QRect thumb = c.seekBar->style()->subControlRect(QStyle::CC_Slider, &thumbAt,
                                                           QStyle::SC_SliderHandle, c.seekBar);
    EXPECT_NEAR(c.marker->geometry().center().x(), c.seekBar->mapTo(&c, thumb.center()).x(), 4);

    player.playerActions().fromBookmark->trigger();
    EXPECT_TRUE(state.player.playFromBookmark);
    player.playVideo(0, false);
    ASSERT_TRUE(waitForPlaying(QStringLiteral("long.mp4")));
    qint64 at = 0;
    ASSERT_TRUE(player.mpv().position(&at, nullptr));
    EXPECT_GE(at, mark);
    EXPECT_TRUE(c.marker->isVisible());
    EXPECT_EQ(session.album().playCount(0), 2);
}

// Dragging the seek bar pauses, seeks one position at a time and ends where the button came
// up; the video plays on, and the position label shows where it went.
TEST_F(PlayerWindowTest, DraggingTheSeekBarEndsWhereTheButtonComesUp) {
    openAlbum({video("long.mp4", "long_60s.mp4")});
    player.resize(640, 480);
    player.playVideo(0, false);
    ASSERT_TRUE(waitForPlaying(QStringLiteral("long.mp4")));
    SeekBar& bar = *player.controls().seekBar;
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.maximum() > 0; }, 5000)) << "no update";
    EXPECT_NEAR(bar.maximum(), 60000, 100);

    const auto drag = [&](QEvent::Type type, int x) {
        QMouseEvent event(type, QPointF(x, 10), bar.mapToGlobal(QPointF(x, 10)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(&bar, &event);
    };
    drag(QEvent::MouseButtonPress, 100);
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused);
    for (int x = 110; x <= 400; x += 10)
        drag(QEvent::MouseMove, x);
    drag(QEvent::MouseButtonRelease, 300);
    const qint64 target = qint64(bar.valueAt(300)) * 10000;
    EXPECT_EQ(bar.position(), target);
    EXPECT_FALSE(bar.movedByUser()) << "the window took the move";
    EXPECT_EQ(player.controls().positionLabel->text(), Playback::timeText(target / 10000));
    // The seeks asked for during the drag were sent one after another; the last one wins.
    qint64 at = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            player.mpv().position(&at, nullptr);
            return at >= target && at < target + 10'000'000;
        },
        5000))
        << at << " for " << target;
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Playing);
}

// The album window's play commands, a click on a cell and the editing commands.
TEST_F(PlayerWindowTest, TheAlbumWindowHandsItsVideosToThePlayer) {
    openAlbum({video("a.mp4", "mp4_h264_640x480.mp4"), video("b.mp4", "mp4_h264_720x480.mp4")});
    AlbumWindow album(session, state, dialogs);
    album.wire({.player = new PlayerLink(album, player)});
    album.show();
    album.grid()->layOut();
    album.setCurrentVideo(1);

    album.actions().play->trigger();
    EXPECT_TRUE(player.isVisible());
    EXPECT_FALSE(player.playback().continuous());
    EXPECT_FALSE(album.actions().deleteVideo->isEnabled()) << "no editing while the player shows";
    ASSERT_TRUE(waitForPlaying(QStringLiteral("b.mp4")));

    // A press on a cell stops the video; the release plays the cell.
    const QPoint cell = album.grid()->cellRect(0).center();
    QTest::mousePress(album.grid()->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_FALSE(player.mpv().isActive());
    QTest::mouseRelease(album.grid()->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_TRUE(waitForPlaying(QStringLiteral("a.mp4")));
    EXPECT_EQ(album.currentVideo(), 0);

    album.setCurrentVideo(1);
    album.actions().continuousPlay->trigger();
    EXPECT_TRUE(player.playback().continuous());
    ASSERT_TRUE(waitForPlaying(QStringLiteral("b.mp4")));
    // The end of the last video goes round to the first.
    ASSERT_TRUE(waitForPlaying(QStringLiteral("a.mp4")));
    EXPECT_EQ(album.currentVideo(), 0);

    player.close();
    EXPECT_TRUE(album.actions().deleteVideo->isEnabled());
    EXPECT_EQ(session.album().playCount(0), 2);
    EXPECT_EQ(session.album().playCount(1), 2);
}

// An album open read-only plays, but what the player would write to it is off: nothing of it
// would be saved.
TEST_F(PlayerWindowTest, AReadOnlyAlbumPlaysWithoutBookmarksCountsOrThumbnails) {
    const BookPaths book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
    QDir().mkpath(book.imagesFolder);
    const QString clip = video("a.mp4", "mp4_h264_640x480.mp4");
    ASSERT_TRUE(textfile::writeLines(book.bookFile, {QStringLiteral("本"), QStringLiteral("旅")}));
    for (const QString& name : {QStringLiteral("本"), QStringLiteral("旅")})
        ASSERT_TRUE(textfile::writeLines(AlbumPaths::of(book, name).album, {clip}));
    dialogs.answer(DialogService::Answer::Ok); // the album named like its book is reported
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    AlbumWindow album(session, state, dialogs);
    album.wire({.player = new PlayerLink(album, player)});
    const PlayerActions& menu = player.playerActions();
    const QList<QAction*> writes{menu.setBookmark, menu.bookmarkAndPicture, menu.setThumbnail};

    ASSERT_TRUE(session.openAlbum(0));
    ASSERT_TRUE(session.albumReadOnly());
    album.show();
    album.grid()->layOut();
    album.setCurrentVideo(0);
    album.actions().play->trigger();
    ASSERT_TRUE(waitForPlaying(QStringLiteral("a.mp4")));
    for (QAction* write : writes)
        EXPECT_FALSE(write->isEnabled()) << write->text().toStdString();
    QTest::keyClick(&player, Qt::Key_F1);
    EXPECT_TRUE(menu.goToBookmark->isEnabled());
    EXPECT_EQ(session.album().bookmark(0), 0);
    EXPECT_EQ(session.album().playCount(0), 0);
    player.close();
    EXPECT_FALSE(album.actions().deleteVideo->isEnabled());
    album.close();
    EXPECT_FALSE(QFile::exists(AlbumPaths::of(book, QStringLiteral("本")).counts));

    // A sound album gets them back.
    ASSERT_TRUE(session.openAlbum(1));
    album.showAlbum(false);
    album.setCurrentVideo(0);
    album.actions().play->trigger();
    ASSERT_TRUE(waitForPlaying(QStringLiteral("a.mp4")));
    for (QAction* write : writes)
        EXPECT_TRUE(write->isEnabled()) << write->text().toStdString();
    EXPECT_EQ(session.album().playCount(0), 1);
    player.close();
    EXPECT_TRUE(album.actions().deleteVideo->isEnabled());
    album.close();
}

// A click on the video pauses it and the next plays on; clicks on the labels, the white panel
// and the control bar around them leave it playing.
TEST_F(PlayerWindowTest, OnlyAClickOnTheVideoPausesIt) {
    openAlbum({video("long.mp4", "long_60s.mp4")});
    player.resize(640, 480);
    player.playVideo(0, false);
    ASSERT_TRUE(waitForPlaying(QStringLiteral("long.mp4")));
    PlayerControlBar& c = player.controls();
    for (QWidget* around : std::initializer_list<QWidget*>{c.titleLabel, c.positionLabel,
                                                           c.durationLabel, c.infoPanel, &c}) {
        QTest::mouseClick(around, Qt::LeftButton, {}, QPoint(3, around->height() - 3));
        EXPECT_EQ(player.mpv().state(), MpvPlayer::Playing) << around->objectName().toStdString();
    }
    QTest::mouseClick(&player.videoSurface(), Qt::LeftButton);
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused);
    QTest::mouseClick(&player.videoSurface(), Qt::LeftButton);
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Playing);
}

// Whether OpenGL works is asked of the driver once per window, not at every opening.
TEST_F(PlayerWindowTest, TheDriverIsTestedOncePerWindow) {
    openAlbum({video("a.mp4", "mp4_h264_640x480.mp4"), video("b.mkv", "mkv_h264_1280x720.mkv")});
    ASSERT_FALSE(state.fixVideoDisplay); // the newer renderer chooses OpenGL where it works
    for (int i = 0; i < 3; ++i) {
        player.playVideo(i % 2, false);
        ASSERT_TRUE(waitForPlaying(i % 2 ? QStringLiteral("b.mkv") : QStringLiteral("a.mp4")));
    }
    EXPECT_EQ(player.videoSurface().openGLChecks(), 1);
}

// A file that will not open closes the player and leaves the album window where it was.
TEST_F(PlayerWindowTest, AVideoThatWillNotOpenClosesThePlayer) {
    openAlbum({video("good.mp4", "mp4_h264_640x480.mp4"), video("bad.mp4", "text.mpg")});
    QSignalSpy current(&player.playback(), &Playback::currentVideoChanged);
    player.playVideo(1, false);
    EXPECT_TRUE(player.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.isVisible(); }, 10000));
    EXPECT_FALSE(player.playback().isOpening());
    EXPECT_EQ(current.last().at(0).toInt(), 1);
    EXPECT_EQ(session.album().playCount(1), 0);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

} // namespace
