#include "ui/album/ThumbnailRun.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "media/Fixtures.h"
#include "media/ThumbnailPool.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using media::test::fixture;

namespace {

class ThumbnailRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.initialise(dir.path());
        ASSERT_EQ(session.createBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        session.book().appendAlbum({QStringLiteral("旅")});
        ASSERT_TRUE(textfile::writeLines(session.book().albumPaths(0).album, {}));
        ASSERT_TRUE(session.openAlbum(0));
    }

    // What the pool makes of the file on its own.
    static QByteArray pictureOf(const QString& path) {
        return media::ThumbnailPool::make(path, media::GrabPoint::HalfSecond).jpeg;
    }

    QTemporaryDir dir;
    AppState state;
    test::FakeVolumeTable volumes;
    test::ScriptedDialogService dialogs;
    LibrarySession session{dir.path(), dialogs, volumes};
    ThumbnailRun run{session.album(), state, dialogs};
};

} // namespace

// Pictures made at show time find their video by its row, so the user may move and delete
// videos while they are made.
TEST_F(ThumbnailRunTest, PicturesMadeAtShowTimeLandOnTheirVideosWhileTheUserWorks) {
    const QStringList files{fixture("portrait_480x640.mp4"), fixture("mkv_h264_1280x720.mkv"),
                            fixture("avi_mpeg4_640x480.avi"), fixture("mp4_h264_640x480.mp4")};
    Album& album = session.album();
    for (const QString& file : files)
        album.append(file, {});
    QSignalSpy finished(&run, &ThumbnailRun::finished);
    run.startShow();
    EXPECT_FALSE(run.isAddingFiles()) << "showing does not hold the album";
    album.moveRowBlock(3, 1, 0);
    album.remove(1);
    album.step(0, RowStep::ToEnd);
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_EQ(album.count(), 3);
    for (int i = 0; i < album.count(); ++i) {
        ASSERT_FALSE(album.needsThumbnail(i)) << i;
        EXPECT_EQ(album.pictureBytes(i), pictureOf(album.entry(i))) << album.entry(i).toStdString();
    }
    EXPECT_NE(pictureOf(files.at(0)), pictureOf(files.at(1)));
}

TEST_F(ThumbnailRunTest, AddingFilesHoldsTheAlbumUntilTheyAreIn) {
    QSignalSpy finished(&run, &ThumbnailRun::finished);
    run.startAdd({fixture("mp4_h264_640x480.mp4"), fixture("portrait_480x640.mp4")});
    EXPECT_TRUE(run.isAddingFiles());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(run.isAddingFiles());
    ASSERT_EQ(session.album().count(), 2);
    EXPECT_EQ(session.album().pictureBytes(1), pictureOf(fixture("portrait_480x640.mp4")));
}
