#include "ui/book/AlbumOpener.h"

#include "core/AppState.h"
#include "core/Book.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/MediaRegistry.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/BookGrid.h"
#include "support/LibraryOnDisk.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

class AlbumOpenerTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    void SetUp() override {
        state.libraryFolder = dir.path() + u'/';
        bookWindow.wire({.opener = &opener});
        albumWindow.wire({});
    }

    // A book "本" holding one album "旅" with these album-file lines.
    void makeBook(BookMode mode, const QStringList& lines) {
        const BookPaths book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        ASSERT_TRUE(textfile::writeLines(book.bookFile, {QStringLiteral("旅")}));
        ASSERT_TRUE(textfile::writeLines(book.bookFolder + QStringLiteral("旅.alb"), lines));
        session.switchMode(mode);
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    }

    QString video(const QString& folder, const QString& name) {
        QDir().mkpath(folder);
        QFile::copy(QStringLiteral(TAVIMO_FIXTURE_DIR "/mp4_h264_640x480.mp4"), folder + name);
        return folder + name;
    }

    void openAndWait() {
        QSignalSpy ready(&albumWindow, &AlbumWindow::albumReady);
        bookWindow.show();
        ASSERT_EQ(test::bookGrid(bookWindow).count(), 1);
        bookWindow.selectAlbum(0);
        bookWindow.actions().openAlbum->trigger();
        ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    }

    Book& book = session.book();
    BookWindow bookWindow{session, state, dialogs};
    AlbumWindow albumWindow{session, state, dialogs};
    AlbumOpener opener{session, bookWindow, albumWindow};
};

} // namespace

TEST_F(AlbumOpenerTest, OpeningHandsTheAlbumOverWithoutItsBlankLinesAndClosingReturns) {
    const QString folder = dir.path() + "/videos/";
    const QString a = video(folder, "a.mp4"), b = video(folder, "b.mp4");
    makeBook(BookMode::Normal, {a, "", b});
    writeTestFile(session.bookPaths().bookFolder + QStringLiteral("旅.mrk"),
                  "10\r\n20\r\n30\r\n40\r\n"); // one too many
    Tpackedjpg store;
    store.addBitmap(imagefunc::solidBitmap(120, 90, Qt::red));
    ASSERT_TRUE(store.saveToFile(session.bookPaths().imagesFolder + QStringLiteral("旅")));

    openAndWait();
    EXPECT_FALSE(bookWindow.isVisible());
    EXPECT_FALSE(bookWindow.actions().openAlbum->isEnabled()); // until the album closes
    EXPECT_TRUE(albumWindow.isVisible());
    const Album& album = albumWindow.album();
    EXPECT_EQ(album.entries(), (QStringList{a, b}));
    EXPECT_EQ(album.bookmark(1), 30); // the blank line's mark went with it
    EXPECT_EQ(album.playCount(1), 0);
    session.flush();
    EXPECT_EQ(session.entriesOf(0), (QStringList{a, b}));
    EXPECT_EQ(textfile::readLines(session.bookPaths().bookFolder + QStringLiteral("旅.alb")),
              (QStringList{a, b}));
    EXPECT_EQ(readTestFile(session.bookPaths().bookFolder + QStringLiteral("旅.mrk")),
              "10\r\n30\r\n");

    // "この画像をアルバム画像に設定" puts the video's own JPEG into the book.
    albumWindow.setCurrentVideo(0);
    albumWindow.actions().setAlbumPicture->trigger();
    QByteArray bookPicture;
    ASSERT_TRUE(book.pictures().getPicture(0, bookPicture));
    EXPECT_EQ(bookPicture, album.pictureBytes(0));

    EXPECT_TRUE(albumWindow.close());
    EXPECT_TRUE(bookWindow.isVisible());
    EXPECT_TRUE(bookWindow.actions().openAlbum->isEnabled());
}

TEST_F(AlbumOpenerTest, AMediaAlbumFindsItsMediumByItsFirstFile) {
    const QString root = volumes.mount(kMediumRemovable, 0x1234abcd, QStringLiteral("USB"));
    video(root + "動画/", "a.mp4");
    makeBook(BookMode::Media, {QStringLiteral("動画/a.mp4"), QStringLiteral("動画/gone.mp4")});

    openAndWait();
    const Album& album = albumWindow.album();
    EXPECT_EQ(album.driveRoot(), root);
    EXPECT_EQ(album.medium().serial, 0x1234abcdu);
    EXPECT_EQ(book.registry().get(0).serial, 0x1234abcdu);
    // What was learnt is on disk at once, not only at the next book save.
    MediaRegistry onDisk;
    QList<Problem> problems;
    ASSERT_TRUE(onDisk.loadFromFile(session.bookPaths().mediaDat, problems));
    ASSERT_EQ(onDisk.count(), 1);
    EXPECT_EQ(onDisk.get(0).serial, 0x1234abcdu);
    EXPECT_EQ(album.entries(), QStringList{QStringLiteral("動画/a.mp4")});
    EXPECT_EQ(albumWindow.windowTitle(),
              QStringLiteral(" アルバム　 ～ 旅 ～　　　［ Removable ：　USB ］　　1 files"));
    EXPECT_TRUE(albumWindow.close());

    // Unplugged, nothing can be checked and nothing is dropped.
    volumes.eject(root);
    book.setRecord(0, MediumRecord{kMediumRemovable, 0x1234abcd, "USB"});
    book.setEntries(0, {QStringLiteral("動画/a.mp4"), QStringLiteral("動画/b.mp4")});
    QSignalSpy ready(&albumWindow, &AlbumWindow::albumReady);
    opener.open(0);
    ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    EXPECT_TRUE(album.driveRoot().isEmpty());
    EXPECT_EQ(album.count(), 2);
    EXPECT_TRUE(albumWindow.windowTitle().contains(QStringLiteral("　未セット")));
}
