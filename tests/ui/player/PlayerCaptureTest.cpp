#include "ui/player/PlayerCapture.h"

#include "core/AppState.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "media/Fixtures.h"
#include "support/FakeVolumeTable.h"
#include "support/OneAlbumBook.h"
#include "support/ScriptedDialogService.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerLink.h"
#include "ui/player/PlayerMenu.h"
#include "ui/player/PlayerWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tavimo;
using media::MpvPlayer;
using media::test::fixture;

namespace {

// The test pattern's quadrants: red top left, green top right, blue bottom left. The tolerance
// allows for the colour matrix libmpv guesses for untagged video.
::testing::AssertionResult showsThePattern(const QImage& picture) {
    const int w = picture.width(), h = picture.height();
    const auto near = [&](int x, int y, QColor expected) {
        const QColor c = picture.pixelColor(x, y);
        return std::abs(c.red() - expected.red()) < 96 &&
               std::abs(c.green() - expected.green()) < 96 &&
               std::abs(c.blue() - expected.blue()) < 96;
    };
    if (picture.isNull())
        return ::testing::AssertionFailure() << "no picture";
    if (near(w / 4, h / 4, Qt::red) && near(3 * w / 4, h / 4, QColor(0, 255, 0)) &&
        near(w / 4, 3 * h / 4, Qt::blue))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "quadrants " << picture.pixelColor(w / 4, h / 4).name().toStdString() << " "
           << picture.pixelColor(3 * w / 4, h / 4).name().toStdString() << " "
           << picture.pixelColor(w / 4, 3 * h / 4).name().toStdString();
}

// Width, height and bits per pixel from a bitmap file's header.
struct BmpHeader {
    int width = 0, height = 0, bits = 0;
};

BmpHeader headerOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(54);
    if (head.size() < 54 || !head.startsWith("BM"))
        return {};
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    return {qFromLittleEndian<qint32>(p + 18), qFromLittleEndian<qint32>(p + 22),
            qFromLittleEndian<quint16>(p + 28)};
}

class PlayerCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        album.wire({.player = &link});
        state.libraryFolder = dir.path() + u'/';
        state.captureFolder = dir.path() + QStringLiteral("/captures");
        QDir().mkpath(state.captureFolder);
        ASSERT_TRUE(test::writeOneAlbumBook(state.libraryFolder));
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        ASSERT_TRUE(session.openAlbum(0));
        for (const QString& name :
             {QStringLiteral("mp4_h264_640x480.mp4"), QStringLiteral("mkv_h264_1280x720.mkv")})
            session.album().append(fixture(name), {});
        album.show();
        album.grid()->layOut();
    }

    // Plays the album's video at `index` in a window whose picture shows at another size than
    // the video's own, and waits until it has been drawn.
    void play(int index) {
        player.resize(500, 400);
        player.playVideo(index, false);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !player.playback().isOpening() && player.mpv().state() == MpvPlayer::Playing;
            },
            10000));
        QTest::qWait(700); // past 0.3 s, some frames drawn
        ASSERT_FALSE(player.mpv().pictureRect().isEmpty());
        ASSERT_NE(player.mpv().pictureRect().size(),
                  QSize(player.mpv().videoWidth(), player.mpv().videoHeight()));
    }

    // Runs a command and returns the picture it took (null when it failed).
    QImage run(void (PlayerCapture::*command)()) {
        QSignalSpy finished(&capture, &PlayerCapture::finished);
        (capture.*command)();
        if (finished.isEmpty() && !finished.wait(10000))
            return {};
        return finished.first().first().value<QImage>();
    }

    QStringList savedFiles() const {
        return QDir(state.captureFolder).entryList({QStringLiteral("*.bmp")}, QDir::Files);
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
    AlbumWindow album{session, state, dialogs};
    PlayerWindow player{session, state, dialogs, nullptr, MpvPlayer::Output::SilentSurface};
    PlayerLink link{album, player};
    PlayerCapture capture{album, player, state, dialogs};
};

// The newer renderer takes the picture on screen: at the video's own size through area
// averaging, or at the displayed size. Saves go silently into the capture folder under names
// counted from 000, as 24-bit bitmaps, and the video plays on.
TEST_F(PlayerCaptureTest, TheShownPictureIsSavedAtTheVideosOwnOrDisplayedSize) {
    play(0);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("MMdd_HHmm_"));
    EXPECT_TRUE(showsThePattern(run(&PlayerCapture::save)));
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Playing) << "the video plays on";
    QStringList files = savedFiles();
    ASSERT_EQ(files.size(), 1);
    // The minute may have turned meanwhile; the counter may not.
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("_000.bmp"))) << files[0].toStdString();
    EXPECT_TRUE(files[0].startsWith(stamp.left(5))) << files[0].toStdString();
    const QString first = state.captureFolder + u'/' + files[0];
    const BmpHeader own = headerOf(first);
    EXPECT_EQ(own.width, 640);
    EXPECT_EQ(own.height, 480);
    EXPECT_EQ(own.bits, 24);
    EXPECT_TRUE(showsThePattern(QImage(first)));

    state.captureOriginalSize = false;
    player.playback().pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.mpv().state() == MpvPlayer::Paused; }));
    const QImage shown = run(&PlayerCapture::save);
    EXPECT_EQ(shown.size(), player.mpv().pictureRect().size());
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Paused) << "a paused video stays paused";
    files = savedFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[1].endsWith(QStringLiteral("_001.bmp"))) << files[1].toStdString();
    EXPECT_EQ(QImage(state.captureFolder + u'/' + files[1]).size(), shown.size());
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

// With "旧レンダラー" the frame is decoded by FFmpeg at the current position: at its own size,
// or brought to the displayed size by Lanczos-3.
TEST_F(PlayerCaptureTest, TheOldRendererDecodesTheFrameAndScalesItByLanczos) {
    state.rendererCapable = false;
    play(1);
    const QImage own = run(&PlayerCapture::copy);
    EXPECT_EQ(own.size(), QSize(1280, 720));
    EXPECT_TRUE(showsThePattern(own));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(1280, 720));
    EXPECT_EQ(player.mpv().state(), MpvPlayer::Playing);

    state.captureOriginalSize = false;
    const QImage shown = run(&PlayerCapture::copy);
    EXPECT_EQ(shown.size(), player.mpv().pictureRect().size());
    EXPECT_TRUE(showsThePattern(shown));
    EXPECT_TRUE(savedFiles().isEmpty());
}

// Without "保存時ダイアログを表示しない" the name is offered in the save dialog; the folder chosen
// becomes the capture folder. A cancelled dialog writes nothing but has used its number.
TEST_F(PlayerCaptureTest, TheSaveDialogChoosesTheFileAndTheNextCaptureFolder) {
    state.captureSilent = false;
    play(0);
    const QString other = dir.path() + QStringLiteral("/elsewhere");
    QDir().mkpath(other);
    dialogs.answer(other + QStringLiteral("/frame")); // no extension typed
    ASSERT_FALSE(run(&PlayerCapture::save).isNull());
    EXPECT_EQ(headerOf(other + QStringLiteral("/frame.bmp")).bits, 24);
    EXPECT_EQ(state.captureFolder, other);

    dialogs.answer(std::monostate{});
    run(&PlayerCapture::save);
    EXPECT_EQ(QDir(other).entryList(QDir::Files).size(), 1);
    ASSERT_EQ(dialogs.asked().size(), 2);
    EXPECT_EQ(dialogs.asked()[1].kind, test::ScriptedDialogService::Asked::SaveFile);

    state.captureSilent = true;
    run(&PlayerCapture::save);
    const QStringList files = QDir(other).entryList({QStringLiteral("*_002.bmp")}, QDir::Files);
    EXPECT_EQ(files.size(), 1) << "the third name made carries 002";
}

// The name typed says the format: ".png" is written as PNG, ".jpg" and ".jpeg" as JPEG, any
// other as a bitmap; a name without extension takes the type of the filter chosen.
TEST_F(PlayerCaptureTest, ASavedPictureIsWrittenInTheFormatItsNameSays) {
    state.captureSilent = false;
    play(0);
    const auto saved = [&](const QString& name) {
        dialogs.answer(dir.path() + u'/' + name);
        const QImage picture = run(&PlayerCapture::save);
        QFile file(dir.path() + u'/' + name);
        return picture.isNull() || !file.open(QIODevice::ReadOnly) ? QByteArray() : file.read(8);
    };
    EXPECT_TRUE(saved(QStringLiteral("x.png")).startsWith("\x89PNG\r\n"));
    EXPECT_TRUE(saved(QStringLiteral("y.JPG")).startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(saved(QStringLiteral("z.jpeg")).startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(saved(QStringLiteral("w.bmp")).startsWith("BM"));
    EXPECT_TRUE(saved(QStringLiteral("v.gif")).startsWith("BM")) << "a bitmap unless named";
    // No extension typed: the type of the filter chosen.
    dialogs.answer(test::ScriptedDialogService::SaveAs{dir.path() + QStringLiteral("/u"),
                                                       QStringLiteral("PNG (*.png)")});
    ASSERT_FALSE(run(&PlayerCapture::save).isNull());
    EXPECT_EQ(QImage(dir.path() + QStringLiteral("/u.png")).size(), QSize(640, 480));
    const QImage back(dir.path() + QStringLiteral("/x.png"));
    EXPECT_EQ(back.size(), QSize(640, 480));
    EXPECT_TRUE(showsThePattern(back));
}

// A capture folder that is gone: the write fails, says so and names the file; an empty one
// means the library folder.
TEST_F(PlayerCaptureTest, AFailedWriteNamesTheFileAndAnEmptyFolderMeansTheLibrary) {
    play(0);
    state.captureFolder = dir.path() + QStringLiteral("/gone");
    dialogs.answer(DialogService::Answer::Ok);
    run(&PlayerCapture::save);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].contains(dir.path() + QStringLiteral("/gone/")));
    EXPECT_TRUE(dialogs.messages()[0].contains(QStringLiteral("_000.bmp")));
    EXPECT_FALSE(QDir(state.captureFolder).exists());

    state.captureFolder.clear();
    run(&PlayerCapture::save);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*_001.bmp")}, QDir::Files).size(), 1);
}

// Nothing to capture (no video open): clipboard, files and the video's picture stay as they
// were, nothing is said, and "この画像をサムネイルに設定" does not take whatever the clipboard
// held.
TEST_F(PlayerCaptureTest, AFailedCaptureChangesNothingAndSaysNothing) {
    QImage older(10, 10, QImage::Format_RGB32);
    older.fill(Qt::magenta);
    QGuiApplication::clipboard()->setImage(older);
    for (bool newer : {true, false}) {
        state.rendererCapable = newer;
        EXPECT_TRUE(run(&PlayerCapture::copy).isNull());
        EXPECT_TRUE(run(&PlayerCapture::save).isNull());
        EXPECT_TRUE(run(&PlayerCapture::setAsThumbnail).isNull());
    }
    EXPECT_EQ(QGuiApplication::clipboard()->image().pixelColor(5, 5), QColor(Qt::magenta));
    EXPECT_TRUE(savedFiles().isEmpty());
    EXPECT_TRUE(session.album().needsThumbnail(0));
    EXPECT_TRUE(session.album().needsThumbnail(1));
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

// Ctrl+T makes the player's video the album window's current one and its picture the capture;
// F3 sets the bookmark first. The album window's editing commands stay off.
TEST_F(PlayerCaptureTest, TheCaptureBecomesThePlayingVideosThumbnail) {
    album.setCurrentVideo(0);
    play(1);
    ASSERT_FALSE(album.actions().pictureFromClipboard->isEnabled());
    album.setCurrentVideo(0);
    player.playerActions().setThumbnail->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !capture.isCapturing(); }));
    EXPECT_EQ(album.currentVideo(), 1);
    EXPECT_FALSE(album.actions().pictureFromClipboard->isEnabled());
    EXPECT_TRUE(session.album().needsThumbnail(0));
    ASSERT_FALSE(session.album().needsThumbnail(1));
    const QImage thumbnail = jpeg::decode(session.album().pictureBytes(1));
    EXPECT_EQ(thumbnail.size(), QSize(120, 90));
    EXPECT_TRUE(showsThePattern(thumbnail.copy(0, 11, 120, 67)));

    player.playVideo(0, false);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !player.playback().isOpening() && player.mpv().state() == MpvPlayer::Playing;
        },
        10000));
    QTest::qWait(500);
    EXPECT_EQ(session.album().bookmark(0), 0);
    player.playerActions().bookmarkAndPicture->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !capture.isCapturing(); }));
    EXPECT_GT(session.album().bookmark(0), 0);
    ASSERT_FALSE(session.album().needsThumbnail(0));
    EXPECT_TRUE(showsThePattern(jpeg::decode(session.album().pictureBytes(0))));
}

// The decoded frame arrives later: it goes to the video it was taken of, even if that video's
// row has moved meanwhile.
TEST_F(PlayerCaptureTest, ADecodedThumbnailFollowsItsVideosRow) {
    state.rendererCapable = false;
    play(1);
    QSignalSpy finished(&capture, &PlayerCapture::finished);
    capture.setAsThumbnail();
    ASSERT_TRUE(capture.isCapturing()) << "the frame is decoded off the interface thread";
    session.album().step(1, RowStep::ToFront);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(album.currentVideo(), 0);
    ASSERT_FALSE(session.album().needsThumbnail(0));
    EXPECT_TRUE(session.album().needsThumbnail(1));
    EXPECT_TRUE(session.album().entry(0).endsWith(QStringLiteral("1280x720.mkv")));
}

} // namespace
