#include "core/VideoOperations.h"

#include "core/Album.h"
#include "core/DriveProbe.h"
#include "core/FileTrash.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
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

QByteArray pictureOf(int shade) {
    return jpeg::encode(imagefunc::solidBitmap(120, 90, QColor(shade, shade, shade)));
}

struct CountingTrash final : FileTrash {
    QStringList moved;
    bool moveToTrash(const QString& path) override {
        moved.append(path);
        return QFile::remove(path);
    }
};

class VideoOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        book = BookPaths::of(dir.path() + u'/', QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        album.setIdentity(book, QStringLiteral("旅"), 0, BookMode::Normal);
    }

    // Videos v0..v(n-1) on disk: bookmark 100*i, count i, a picture of shade 40*i.
    void fill(int n) {
        for (int i = 0; i < n; ++i)
            album.append(touch(dir.filePath(QStringLiteral("v%1.avi").arg(i))), pictureOf(40 * i),
                         100 * i, i);
    }
    QStringList names() const {
        QStringList result;
        for (const QString& entry : album.entries())
            result.append(fileNamePart(entry));
        return result;
    }
    QStringList lines(const QString& path) {
        return textfile::readLines(path).value_or(QStringList{"<missing>"});
    }

    QTemporaryDir dir;
    BookPaths book;
    Album album;
    test::ScriptedDialogService dialogs;
    VideoOperations ops{album, dialogs};
};

} // namespace

TEST_F(VideoOperationsTest, MovesCarryBookmarkCountAndPictureAndAreSaved) {
    fill(4);
    EXPECT_EQ(ops.moveToFront(3), 0);
    EXPECT_EQ(names(), (QStringList{"v3.avi", "v0.avi", "v1.avi", "v2.avi"}));
    EXPECT_EQ(album.bookmark(0), 300);
    EXPECT_EQ(album.playCount(0), 3);
    EXPECT_EQ(album.pictureBytes(0), pictureOf(120));
    // On disk at once, all four files in the same order.
    EXPECT_EQ(lines(album.paths().album), album.entries());
    EXPECT_EQ(lines(album.paths().marks), (QStringList{"300", "0", "100", "200"}));
    EXPECT_EQ(lines(album.paths().counts), (QStringList{"3", "0", "1", "2"}));
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(album.paths().store));
    QByteArray first;
    ASSERT_TRUE(store.getPicture(0, first));
    EXPECT_EQ(first, pictureOf(120));

    EXPECT_EQ(ops.moveToEnd(0), 3);
    EXPECT_EQ(names(), (QStringList{"v0.avi", "v1.avi", "v2.avi", "v3.avi"}));
    EXPECT_EQ(ops.moveForward(1), 2);
    EXPECT_EQ(ops.moveBack(2), 1);
    EXPECT_EQ(names(), (QStringList{"v0.avi", "v1.avi", "v2.avi", "v3.avi"}));

    // Guards: nothing moves past either end or from no selection.
    EXPECT_EQ(ops.moveBack(0), 0);
    EXPECT_EQ(ops.moveToFront(0), 0);
    EXPECT_EQ(ops.moveForward(3), 3);
    EXPECT_EQ(ops.moveToEnd(3), 3);
    EXPECT_EQ(ops.moveForward(-1), -1);
    EXPECT_EQ(ops.moveToEnd(7), 7);
    EXPECT_EQ(names(), (QStringList{"v0.avi", "v1.avi", "v2.avi", "v3.avi"}));
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(VideoOperationsTest, DeletingKeepsASensibleSelectionAndTheFileOnlyWhenAsked) {
    fill(3);
    EXPECT_EQ(ops.deleteFromAlbum(2), 1); // the last of three: the second becomes current
    EXPECT_EQ(lines(album.paths().album).size(), 2);
    EXPECT_EQ(lines(album.paths().marks), (QStringList{"0", "100"}));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("v2.avi"))));
    EXPECT_EQ(ops.deleteFromAlbum(0), 0); // the next one takes its place
    EXPECT_EQ(names(), QStringList{"v1.avi"});
    EXPECT_EQ(ops.deleteFromAlbum(5), 5);

    CountingTrash trash;
    EXPECT_EQ(ops.deleteFile(0, trash), -1);
    EXPECT_EQ(trash.moved, QStringList{dir.filePath(QStringLiteral("v1.avi"))});
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("v1.avi"))));
    EXPECT_EQ(album.count(), 0);
    EXPECT_EQ(lines(album.paths().album), QStringList());
    EXPECT_TRUE(dialogs.asked().isEmpty());

    // A file that is gone is reported and its video still leaves the album.
    album.append(dir.filePath(QStringLiteral("gone.avi")), {});
    dialogs.answer(DialogService::Answer::Ok);
    EXPECT_EQ(ops.deleteFile(0, trash), -1);
    EXPECT_EQ(dialogs.messages(), QStringList{kTrashMissingMessage});
    EXPECT_EQ(album.count(), 0);
}

TEST_F(VideoOperationsTest, SortsKeepEqualKeysInAlbumOrderAndSave) {
    for (const char* name : {"b.avi", "A.avi", "a.avi"})
        album.append(QStringLiteral("/v/") + QLatin1String(name), {});
    album.setPlayCount(0, 2);
    ops.sortByName(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(names(), (QStringList{"A.avi", "a.avi", "b.avi"}));
    EXPECT_EQ(album.playCount(2), 2);
    EXPECT_EQ(lines(album.paths().counts), (QStringList{"0", "0", "2"}));

    album.setPlayCount(0, 2);
    album.setPlayCount(1, 5);
    album.setPlayCount(2, 2);
    album.append(QStringLiteral("/v/z.avi"), {}, 0, 0);
    ops.sortByPlayCount();
    EXPECT_EQ(names(), (QStringList{"a.avi", "A.avi", "b.avi", "z.avi"}));
    EXPECT_EQ(lines(album.paths().counts), (QStringList{"5", "2", "2", "0"}));
}

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
    test::FakeVolumeTable volumes;
    const QString e = volumes.mount(kMediumRemovable, 0xE, QStringLiteral("E"));
    const QString f = volumes.mount(kMediumRemovable, 0xF, QStringLiteral("F"));
    DriveProbe probe(volumes);
    MediaRegistry registry;
    registry.resize(2);
    album.setIdentity(book, QStringLiteral("旅"), 1, BookMode::Media);
    ops.setMediumRecorded([&](const MediumRecord& record) { registry.set(1, record); });

    const QString onE = touch(e + QStringLiteral("a.avi"));
    EXPECT_EQ(ops.prepareAddition({onE}, probe), QStringList{onE});
    EXPECT_EQ(album.driveRoot(), e);
    EXPECT_EQ(registry.get(1).serial, 0xEu);
    album.append(album.entryFor(onE), {});

    dialogs.answer(DialogService::Answer::Ok);
    EXPECT_TRUE(ops.prepareAddition({touch(f + QStringLiteral("b.avi"))}, probe).isEmpty());
    EXPECT_EQ(dialogs.messages(), QStringList{kMediumMismatchMessage});
    EXPECT_TRUE(ops.prepareAddition({onE}, probe).isEmpty()); // already there: nothing said
    EXPECT_EQ(dialogs.messages().size(), 1);

    // Emptied, the album belongs to no medium and takes the next one.
    EXPECT_EQ(ops.deleteFromAlbum(0), -1);
    EXPECT_EQ(registry.get(1), MediumRecord{});
    EXPECT_EQ(album.driveRoot(), QString());
    const QString onF = f + QStringLiteral("b.avi");
    EXPECT_EQ(ops.prepareAddition({onF}, probe), QStringList{onF});
    EXPECT_EQ(registry.get(1).serial, 0xFu);
}

TEST_F(VideoOperationsTest, AnUnmountedMediumFoundByTheAlbumsFilesDropsWhatItLacks) {
    test::FakeVolumeTable volumes;
    const QString cd = volumes.mount(kMediumCd, 0xC, QStringLiteral("CD"));
    DriveProbe probe(volumes);
    MediaRegistry registry;
    registry.resize(1);
    album.setIdentity(book, QStringLiteral("旅"), 0, BookMode::Media);
    ops.setMediumRecorded([&](const MediumRecord& record) { registry.set(0, record); });
    album.append(QStringLiteral("lost.avi"), {}, 5, 5);
    album.append(QStringLiteral("kept.avi"), {}, 7, 7);
    touch(cd + QStringLiteral("kept.avi"));
    const QString added = touch(cd + QStringLiteral("new.avi"));

    EXPECT_EQ(ops.prepareAddition({added}, probe), QStringList{added});
    EXPECT_EQ(album.entries(), QStringList{"kept.avi"});
    EXPECT_EQ(album.bookmark(0), 7);
    EXPECT_EQ(lines(album.paths().album), QStringList{"kept.avi"});
    EXPECT_EQ(registry.get(0).kind, kMediumCd);
}
