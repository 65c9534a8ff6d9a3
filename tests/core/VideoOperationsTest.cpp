#include "core/VideoOperations.h"

#include "core/Album.h"
#include "core/DriveProbe.h"
#include "core/EntryFiles.h"
#include "core/LibrarySession.h"
#include "core/MediaAddition.h"
#include "core/MediaRegistry.h"
#include "core/TextFile.h"
#include "core/VideoExtensions.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QString touch(const QString& path) {
    EXPECT_TRUE(test::writeTestFile(path, {}));
    return path;
}

class VideoOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { open(BookMode::Normal); }

    // A book "本" of one album "旅", open in the session.
    void open(BookMode mode) {
        session.closeBook();
        session.switchMode(mode);
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        session.book().appendAlbum({QStringLiteral("旅")});
        ASSERT_TRUE(session.openAlbum(0));
        book = session.bookPaths();
    }

    QStringList lines(const QString& path) {
        return textfile::readLines(path).value_or(QStringList{"<missing>"});
    }

    QTemporaryDir dir;
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{dir.path(), dialogs, volumes};
    Album& album = session.album();
    BookPaths book;
    VideoOperations ops{session};
};

} // namespace

TEST_F(VideoOperationsTest, AFolderAddsItsVideosSortedAndNothingElse) {
    VideoExtensions extensions;
    extensions.setUserList({QStringLiteral(".vob")});
    const QString folder = dir.filePath(QStringLiteral("clips"));
    touch(folder + QStringLiteral("/b.MP4"));
    touch(folder + QStringLiteral("/A.avi"));
    touch(folder + QStringLiteral("/c.vob"));
    touch(folder + QStringLiteral("/notes.txt"));
    touch(folder + QStringLiteral("/inner.avi/d.avi")); // a folder named like a video
    EXPECT_EQ(videosInFolder(folder, extensions),
              (QStringList{folder + QStringLiteral("/A.avi"), folder + QStringLiteral("/b.MP4"),
                           folder + QStringLiteral("/c.vob")}));
    EXPECT_EQ(videosInFolder(folder + u'/', extensions).size(), 3);
    EXPECT_TRUE(videosInFolder(dir.filePath(QStringLiteral("none")), extensions).isEmpty());
}

TEST_F(VideoOperationsTest, AMediaAlbumRecordsItsMediumAndForgetsItWhenEmptied) {
    const QString e = volumes.mount(kMediumRemovable, 0xE, QStringLiteral("E"));
    const QString f = volumes.mount(kMediumRemovable, 0xF, QStringLiteral("F"));
    const DriveProbe& probe = session.probe();
    open(BookMode::Media);

    const QString onE = touch(e + QStringLiteral("a.avi"));
    QList<Problem> told;
    EXPECT_EQ(ops.prepareAddition({onE}, probe, told), QStringList{onE});
    EXPECT_EQ(album.driveRoot(), e);
    EXPECT_EQ(session.book().record(0).serial, 0xEu);
    album.append(album.entryFor(onE), {});

    EXPECT_TRUE(ops.prepareAddition({touch(f + QStringLiteral("b.avi"))}, probe, told).isEmpty());
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].message, kMediumMismatchMessage);
    EXPECT_TRUE(ops.prepareAddition({onE}, probe, told).isEmpty()); // already there: nothing said
    EXPECT_EQ(told.size(), 1);

    // Emptied, the album belongs to no medium; the medium in its drive is still the one it
    // takes, as when an empty album is shown.
    EXPECT_EQ(ops.deleteFromAlbum(0), -1);
    EXPECT_EQ(session.book().record(0), MediumRecord{});
    EXPECT_EQ(album.driveRoot(), e);
    session.flush();
    EXPECT_EQ(lines(album.paths().album), QStringList{});
}

TEST_F(VideoOperationsTest, AnUnmountedMediumFoundByTheAlbumsFilesDropsWhatItLacks) {
    const QString cd = volumes.mount(kMediumCd, 0xC, QStringLiteral("CD"));
    const DriveProbe& probe = session.probe();
    open(BookMode::Media);
    album.append(QStringLiteral("lost.avi"), {}, 5, 5);
    album.append(QStringLiteral("kept.avi"), {}, 7, 7);
    touch(cd + QStringLiteral("kept.avi"));
    const QString added = touch(cd + QStringLiteral("new.avi"));

    QList<Problem> told;
    EXPECT_EQ(ops.prepareAddition({added}, probe, told), QStringList{added});
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(album.entries(), QStringList{"kept.avi"});
    EXPECT_EQ(album.bookmark(0), 7);
    session.flush();
    EXPECT_EQ(lines(album.paths().album), QStringList{"kept.avi"});
    EXPECT_EQ(session.book().record(0).kind, kMediumCd);
}

TEST_F(VideoOperationsTest, AMediaAlbumWrittenOnWindowsGrowsWithoutLosingAVideo) {
    const QString usb = volumes.mount(kMediumRemovable, 0x5A, QStringLiteral("CAM"));
    open(BookMode::Media);
    album.append(QStringLiteral("動画\\a.avi"), {}, 11, 1);
    album.append(QStringLiteral("旅行\\b.avi"), {}, 22, 2); // its folder is not on the medium
    album.append(QStringLiteral("C:\\動画\\c.avi"), {}, 33, 3);
    const QString held = touch(usb + QStringLiteral("動画/a.avi"));
    const QString added = touch(usb + QStringLiteral("動画/new.avi"));
    const QString broken = touch(usb + QStringLiteral("動画/new\nline.avi"));

    // The file the album holds already is not taken again; the one with a line break is
    // named in one message and left out.
    QList<Problem> told;
    EXPECT_EQ(ops.prepareAddition({held, added, broken}, session.probe(), told),
              QStringList{added});
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].message, unfitPathsMessage({broken}));
    EXPECT_EQ(told[0].icon, Problem::Icon::Warning);
    EXPECT_EQ(album.driveRoot(), usb);
    album.append(album.entryFor(added), {});

    session.flush();
    EXPECT_EQ(lines(album.paths().album),
              (QStringList{"動画\\a.avi", "旅行\\b.avi", "C:\\動画\\c.avi", "動画/new.avi"}));
    EXPECT_EQ(lines(album.paths().marks), (QStringList{"11", "22", "33", "0"}));
    EXPECT_EQ(lines(album.paths().counts), (QStringList{"1", "2", "3", "0"}));
}
