#include "core/AlbumShowing.h"

#include "core/Album.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/VideoExtensions.h"
#include "support/AlbumOfBook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class AlbumShowingTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.path() + QStringLiteral("/videos/");
        QDir().mkpath(folder);
    }

    QString touch(const QString& name) {
        const QString path = folder + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }

    QStringList fileNames() const {
        QStringList names;
        for (const QString& entry : album.entries())
            names.append(fileNamePart(entry));
        return names;
    }

    QTemporaryDir dir;
    QString folder;
    test::AlbumOfBook normal{dir.path() + u'/', BookMode::Normal};
    Album& album = normal.album;
    VideoExtensions extensions;
    const QByteArray pictureA = jpeg::encode(imagefunc::solidBitmap(120, 90, Qt::red));
    const QByteArray pictureC = jpeg::encode(imagefunc::solidBitmap(120, 90, Qt::blue));
};

} // namespace

TEST_F(AlbumShowingTest, ASynchronisedFolderGainsNewVideosAtTheEndAndLosesTheDeletedOne) {
    album.append(touch("a.avi"), pictureA, 11, 1);
    album.append(folder + "b.avi", {}, 22, 2); // deleted outside the program
    album.append(touch("c.avi"), pictureC, 33, 3);
    album.append(dir.path() + "/elsewhere/x.avi", {}, 44, 4); // not of the album's folder
    touch("e.mp4");
    touch("D.avi");
    touch("notes.txt");
    touch("A.AVI"); // the same name as a listed video, but for letter case

    EXPECT_TRUE(albumshow::synchroniseWithFolder(album, extensions));
    EXPECT_EQ(albumshow::dropMissingFiles(album), 1);
    EXPECT_EQ(fileNames(), (QStringList{"a.avi", "c.avi", "D.avi", "e.mp4"}));
    EXPECT_EQ(album.pictureBytes(0), pictureA);
    EXPECT_EQ(album.pictureBytes(1), pictureC);
    EXPECT_EQ(album.bookmark(1), 33);
    EXPECT_EQ(album.playCount(1), 3);
    EXPECT_EQ(album.bookmark(2), 0);
    EXPECT_EQ(album.playCount(3), 0);
    EXPECT_EQ(albumshow::videosWithoutPicture(album), (QList<int>{2, 3}));

    EXPECT_FALSE(albumshow::synchroniseWithFolder(album, extensions)); // nothing new
}

TEST_F(AlbumShowingTest, AMissingFileIsDroppedOnlyWhenItsFolderCanBeSeen) {
    album.append(touch("kept.avi"), {});
    album.append(folder + "deleted.avi", {});
    album.append(dir.path() + "/unplugged-disk/movies/away.avi", {});
    album.append(folder, {}); // no file name at all
    EXPECT_EQ(albumshow::dropMissingFiles(album), 2);
    EXPECT_EQ(fileNames(), (QStringList{"kept.avi", "away.avi"}));
    EXPECT_EQ(albumshow::videosWithoutPicture(album), QList<int>{0}); // away.avi is not tried

    // A media book whose medium is not mounted checks nothing.
    QTemporaryDir other;
    test::AlbumOfBook inMedia(other.path() + u'/', BookMode::Media);
    Album& media = inMedia.album;
    media.append("videos/deleted.avi", {});
    media.append("videos/", {});
    EXPECT_EQ(albumshow::dropMissingFiles(media), 0);
    EXPECT_EQ(media.count(), 2);
    // Once it is, its entries are checked below the mount point.
    media.append("videos/kept.avi", {});
    inMedia.setMedium(MediumRecord{3, 7, "USB"}, dir.path() + u'/');
    EXPECT_EQ(albumshow::dropMissingFiles(media), 2);
    EXPECT_EQ(media.entries(), QStringList{"videos/kept.avi"});
}

TEST_F(AlbumShowingTest, TheExclusionQuestionNamesThePathOrTheFile) {
    const QString path = folder + "broken.avi";
    const QString question =
        QStringLiteral("は縮小画像を作成できませんでした。このファイルを除外しますか？");
    EXPECT_EQ(exclusionQuestion(path, true), path + question);
    EXPECT_EQ(exclusionQuestion(path, false), "broken.avi" + question);
}

TEST_F(AlbumShowingTest, TheCaptionNamesTheAlbumItsMediumAndItsSize) {
    album.append("/v/a.avi", {});
    EXPECT_EQ(albumWindowCaption(album), QStringLiteral(" アルバム　 ～ 旅 ～　　　1 files"));

    QTemporaryDir other;
    test::AlbumOfBook inMedia(other.path() + u'/', BookMode::Media);
    inMedia.album.append("/v/a.avi", {});
    Album& album = inMedia.album;
    inMedia.setMedium(MediumRecord{2, 9, "MOVIES"}, {});
    EXPECT_EQ(albumWindowCaption(album),
              QStringLiteral(" アルバム　 ～ 旅 ～　　　［ DVD :　MOVIES　未セット ］　　1 files"));
    inMedia.setMedium(MediumRecord{3, 9, "USB"}, "/media/usb/");
    EXPECT_EQ(albumWindowCaption(album),
              QStringLiteral(" アルバム　 ～ 旅 ～　　　［ Removable ：　USB ］　　1 files"));
    inMedia.setMedium(MediumRecord{}, {});
    EXPECT_EQ(albumWindowCaption(album),
              QStringLiteral(" アルバム　 ～ 旅 ～　　［ No Media 　未セット ］　　1 files"));
}

TEST_F(AlbumShowingTest, AnUnreachableFolderOrAWindowsPathKeepsItsVideosWhole) {
    // An unmounted disk often leaves its mount point as an empty folder: it cannot tell that a
    // file is gone.
    const QString mountPoint = dir.path() + QStringLiteral("/mnt/nas/");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    album.append(mountPoint + "film.avi", {}, 1234, 5);
    album.append(QStringLiteral("C:\\Videos\\clip.avi"), {}, 77, 3);
    album.append(touch("here.avi"), {});
    EXPECT_EQ(albumshow::dropMissingFiles(album), 0);
    EXPECT_EQ(album.count(), 3);
    EXPECT_EQ(album.bookmark(0), 1234);
    EXPECT_EQ(album.playCount(1), 3);
    // Neither is tried for a picture, so a failed thumbnail cannot remove it either.
    EXPECT_EQ(albumshow::videosWithoutPicture(album), QList<int>{2});

    // Once the folder holds something, a missing file in it is really gone.
    QFile other(mountPoint + "other.avi");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_EQ(albumshow::dropMissingFiles(album), 1);
    EXPECT_EQ(album.entry(0), QStringLiteral("C:\\Videos\\clip.avi"));
}

TEST_F(AlbumShowingTest, ASynchronisedFolderLeavesOutNamesWithLineBreaksAndWindowsPaths) {
    album.append(touch("a.avi"), {});
    const QString broken = touch("new\nline.avi");
    touch("b.avi");
    QStringList unfit;
    EXPECT_TRUE(albumshow::synchroniseWithFolder(album, extensions, &unfit));
    EXPECT_EQ(fileNames(), (QStringList{"a.avi", "b.avi"}));
    EXPECT_EQ(unfit, QStringList{broken});

    // A first video written on Windows has no folder here: the working folder is not it.
    QTemporaryDir other;
    test::AlbumOfBook fromWindows(other.path() + u'/', BookMode::Normal);
    Album& windows = fromWindows.album;
    windows.append(QStringLiteral("C:\\Videos\\a.avi"), {});
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    EXPECT_FALSE(albumshow::synchroniseWithFolder(windows, extensions));
    QDir::setCurrent(before);
    EXPECT_EQ(windows.entries(), QStringList{QStringLiteral("C:\\Videos\\a.avi")});
}
