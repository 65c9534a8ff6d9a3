#include "core/BookMenuStates.h"
#include "core/DriveProbe.h"
#include "core/MediumScan.h"
#include "core/ModeSwitch.h"
#include "core/VideoExtensions.h"
#include "support/FakeVolumeTable.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavimo;
using test::writeTestFile;

namespace {

QStringList under(const QString& root, const QStringList& relative) {
    QStringList paths;
    for (const QString& path : relative)
        paths.append(root + path);
    return paths;
}

} // namespace

TEST(BookMenuStatesTest, ModeItemsFollowTheModeWithOrWithoutABook) {
    const BookMenuStates normalOpen = bookMenuStates(BookMode::Normal, true);
    EXPECT_TRUE(normalOpen.albumCommands);
    EXPECT_EQ(normalOpen.favourites, (ItemState{true, true}));
    EXPECT_EQ(normalOpen.importAlbumMenu, (ItemState{true, true}));
    EXPECT_EQ(normalOpen.mediaAlbumMenu.visible, false);
    EXPECT_EQ(normalOpen.mediaBook.enabled, false);
    EXPECT_EQ(normalOpen.folderSync, (ItemState{true, true}));

    const BookMenuStates mediaOpen = bookMenuStates(BookMode::Media, true);
    EXPECT_EQ(mediaOpen.favourites.enabled, false);
    EXPECT_EQ(mediaOpen.importAlbumMenu.visible, false);
    EXPECT_EQ(mediaOpen.importAlbumPopup.visible, false);
    EXPECT_EQ(mediaOpen.importBackground, (ItemState{true, false}));
    EXPECT_EQ(mediaOpen.mediaAlbumMenu, (ItemState{true, true}));
    EXPECT_EQ(mediaOpen.mediaAlbumPopup, (ItemState{true, true}));
    EXPECT_EQ(mediaOpen.folderSync.visible, false);

    // Without a book nothing works on albums and the favourites wait, but a first media book
    // can still be made from a medium, and the background popup's import follows the mode.
    for (BookMode mode : {BookMode::Normal, BookMode::Media}) {
        const BookMenuStates none = bookMenuStates(mode, false);
        EXPECT_FALSE(none.albumCommands);
        EXPECT_FALSE(none.favourites.enabled);
        EXPECT_FALSE(none.importAlbumMenu.enabled);
        EXPECT_FALSE(none.mediaAlbumMenu.enabled);
        EXPECT_EQ(none.mediaBook.enabled, mode == BookMode::Media);
        EXPECT_EQ(none.importBackground.enabled, mode == BookMode::Normal);
        EXPECT_EQ(none.mediaAlbumMenu.visible, mode == BookMode::Media);
    }
}

TEST(ModeSwitchTest, EachModeListsItsOwnBooksAndOpensTheLastOneOrTheFirst) {
    QTemporaryDir dir;
    const QString library = dir.path() + u'/';
    for (const char* name : {"C.book", "b.book", "A.book", "notes.txt"})
        ASSERT_TRUE(writeTestFile(library + QString::fromLatin1(name), {}));
    const QStringList media{QStringLiteral("b")};
    EXPECT_EQ(bookTitlesOfMode(library, media, BookMode::Normal),
              (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(bookTitlesOfMode(library, media, BookMode::Media), QStringList{QStringLiteral("b")});
    EXPECT_EQ(bookTitlesOfMode(library, {}, BookMode::Media), QStringList());

    const QStringList normal = bookTitlesOfMode(library, media, BookMode::Normal);
    EXPECT_EQ(bookAfterModeSwitch(library, QStringLiteral("C"), normal), QStringLiteral("C"));
    // A last book whose file is gone gives way to the first of the list.
    EXPECT_EQ(bookAfterModeSwitch(library, QStringLiteral("gone"), normal), QStringLiteral("A"));
    EXPECT_EQ(bookAfterModeSwitch(library, QString(), normal), QStringLiteral("A"));
    // No book of the mode at all: none.
    EXPECT_EQ(bookAfterModeSwitch(library, QStringLiteral("gone"), {}), QString());
}

class MediumScanTest : public ::testing::Test {
protected:
    test::FakeVolumeTable volumes;
    DriveProbe probe{volumes};
    VideoExtensions extensions;
};

TEST_F(MediumScanTest, NoMediumOrNoSerialStopsTheScan) {
    const QString fixed = volumes.mount(kMediumNone, 7, QStringLiteral("HDD"));
    const QString noSerial = volumes.mount(kMediumRemovable, 0, QStringLiteral("USB"));
    for (const QString& root : {fixed, noSerial}) {
        ASSERT_TRUE(writeTestFile(root + QStringLiteral("a.avi"), "x"));
        ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("f")));
        const MediumScan scan = scanMedium(root, probe, extensions, true);
        EXPECT_FALSE(scan.usable);
        EXPECT_TRUE(scan.folders.isEmpty());
        EXPECT_TRUE(scan.files.isEmpty());
    }
    EXPECT_FALSE(scanMedium(QString(), probe, extensions, true).usable);
}

TEST_F(MediumScanTest, FoldersBreadthFirstToFiveLevelsAndVideosByTheSkipRules) {
    const QString root = volumes.mount(kMediumDvd, 0x12345678, QStringLiteral("DISC"));
    // Root: videos in any case, an empty one, a non-video, a hidden video, a folder named like
    // a video and a FIFO named like one.
    for (const char* name : {"b.MP4", "a.avi", ".hidden.avi", "notes.txt"})
        ASSERT_TRUE(writeTestFile(root + QString::fromLatin1(name), "video"));
    ASSERT_TRUE(writeTestFile(root + QStringLiteral("empty.avi"), {}));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + QStringLiteral("pipe.avi")).constData(), 0600), 0);
    // Folders: two top-level ones, a hidden one, and a chain six levels deep.
    for (const char* path : {"Z/1.avi", "x.mp4/2.avi", ".trash/3.avi", "Z/L2/L3/L4/L5/L6/6.avi",
                             "Z/L2/4.avi", "Z/L2/L3/L4/L5/5.avi"})
        ASSERT_TRUE(writeTestFile(root + QString::fromLatin1(path), "video"));

    const MediumScan album = scanMedium(root, probe, extensions, true);
    ASSERT_TRUE(album.usable);
    EXPECT_EQ(album.albumName, QStringLiteral("DISC"));
    EXPECT_EQ(album.rootVideos, under(root, {QStringLiteral(".hidden.avi"), QStringLiteral("a.avi"),
                                             QStringLiteral("b.MP4")}));
    // Level by level; level six is not looked into.
    EXPECT_EQ(album.folders,
              under(root, {QStringLiteral("x.mp4"), QStringLiteral("Z"), QStringLiteral("Z/L2"),
                           QStringLiteral("Z/L2/L3"), QStringLiteral("Z/L2/L3/L4"),
                           QStringLiteral("Z/L2/L3/L4/L5")}));
    EXPECT_EQ(album.files, album.rootVideos +
                               under(root, {QStringLiteral("x.mp4/2.avi"),
                                            QStringLiteral("Z/1.avi"), QStringLiteral("Z/L2/4.avi"),
                                            QStringLiteral("Z/L2/L3/L4/L5/5.avi")}));

    // Making a book lists the folders only; each becomes an album of its own videos.
    const MediumScan book = scanMedium(root, probe, extensions, false);
    EXPECT_EQ(book.folders, album.folders);
    EXPECT_EQ(book.files, book.rootVideos);
}

TEST_F(MediumScanTest, AVolumeWithoutALabelNamesItsAlbumsNoname) {
    const QString root = volumes.mount(kMediumCd, 99, QString());
    ASSERT_TRUE(writeTestFile(root + QStringLiteral("only.mpg"), "video"));
    const MediumScan scan = scanMedium(root, probe, extensions, true);
    EXPECT_TRUE(scan.usable);
    EXPECT_EQ(scan.albumName, QStringLiteral("noname"));
    EXPECT_TRUE(scan.folders.isEmpty());
    EXPECT_EQ(scan.files, QStringList{root + QStringLiteral("only.mpg")});
}
