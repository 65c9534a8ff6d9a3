#include "ui/album/AlbumCommands.h"

#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/EntryFiles.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/MediaAddition.h"
#include "media/Fixtures.h"
#include "support/FakeVolumeTable.h"
#include "support/OneAlbumBook.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"
#include "ui/grid/TVFPanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::media::test::fixture;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

struct RemovingTrash final : FileTrash {
    QStringList moved;
    bool moveToTrash(const QString& path) override {
        moved.append(path);
        return QFile::remove(path);
    }
};

struct RecordingLauncher final : ProgramLauncher {
    QStringList calls;
    bool startDetached(const QString& program, const QStringList& arguments) override {
        calls.append(program + u'|' + arguments.join(u'|'));
        return true;
    }
};

class AlbumCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.wire({.videos = commands});
        state.libraryFolder = dir.path() + u'/';
        videos = dir.path() + QStringLiteral("/videos/");
        QDir().mkpath(videos);
        ASSERT_TRUE(test::writeOneAlbumBook(state.libraryFolder));
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        ASSERT_TRUE(session.openAlbum(0));
    }

    // A file of the open album, once the session wrote what is pending.
    QByteArray saved(const QString& path) {
        session.flush();
        return readTestFile(path);
    }

    QString video(const QString& name) {
        QDir().mkpath(QFileInfo(videos + name).path());
        QFile::copy(fixture(QStringLiteral("mp4_h264_640x480.mp4")), videos + name);
        return videos + name;
    }

    // Videos already in the album, without making pictures for them.
    void fill(const QStringList& names) {
        for (int i = 0; i < names.size(); ++i)
            form.album().append(video(names.at(i)), {}, 100 * i, i);
        form.setCurrentVideo(0);
    }

    // Adding runs on worker threads; this waits until the files are in.
    void waitForAddition() {
        if (!form.isBusy())
            return;
        QSignalSpy added(&form, &AlbumWindow::filesAdded);
        ASSERT_TRUE(added.wait(30000));
    }

    QStringList titles() const {
        QStringList result;
        for (int i = 0; form.cellAt(i) != nullptr; ++i)
            result.append(form.cellAt(i)->title());
        return result;
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    RemovingTrash trash;
    RecordingLauncher launcher;
    LibrarySession session{dir.path(), dialogs, volumes};
    AlbumWindow form{session, state, dialogs};
    AlbumCommands* commands = new AlbumCommands(form, *form.actions().favourites, session, state,
                                                trash, launcher); // owned by form
    QString videos;
};

} // namespace

TEST_F(AlbumCommandsTest, MovesAndDeletionsFollowTheSelectionAndSave) {
    fill({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    form.setCurrentVideo(3);
    form.actions().moveToFront->trigger(); // the last to the front, with its bookmark and count
    EXPECT_EQ(titles(), (QStringList{"d.mp4", "a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(form.currentVideo(), 0);
    EXPECT_EQ(form.cellAt(0)->bookmark(), 300);
    EXPECT_EQ(form.cellAt(0)->playCount(), 3);
    EXPECT_EQ(saved(form.album().paths().counts), "3\r\n0\r\n1\r\n2\r\n");
    form.actions().moveForward->trigger();
    EXPECT_EQ(form.currentVideo(), 1);
    form.actions().moveToEnd->trigger();
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    form.actions().moveBack->trigger();
    EXPECT_EQ(form.currentVideo(), 2);
    form.actions().moveBack->trigger();
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "d.mp4", "b.mp4", "c.mp4"}));

    form.actions().deleteFile->trigger(); // d goes to the trash
    EXPECT_EQ(trash.moved, QStringList{videos + "d.mp4"});
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(form.currentVideo(), 1);
    form.setCurrentVideo(2);
    form.actions().deleteVideo->trigger(); // the last of three: the second is current
    EXPECT_EQ(form.currentVideo(), 1);
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_TRUE(QFile::exists(videos + "c.mp4"));
    EXPECT_EQ(saved(form.album().paths().album),
              (videos + "a.mp4\r\n" + videos + "b.mp4\r\n").toUtf8());
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" アルバム　 ～ 旅 ～　　　2 files"));

    // The other player gets the path as one argument, when it exists.
    form.actions().otherPlayer->trigger();
    EXPECT_TRUE(launcher.calls.isEmpty());
    state.otherPlayer = video("player");
    form.actions().otherPlayer->trigger();
    EXPECT_EQ(launcher.calls, QStringList{state.otherPlayer + u'|' + videos + "b.mp4"});
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(AlbumCommandsTest, ArrowKeysMoveByCellAndByRow) {
    fill({"1.mp4", "2.mp4", "3.mp4", "4.mp4", "5.mp4", "6.mp4"});
    form.show();
    form.resize(3 * 134 + 60, 500);
    form.layOutGrid();
    ASSERT_EQ(form.grid()->columns(), 3);
    form.setCurrentVideo(4);
    form.actions().selectDown->trigger(); // 7 is past the last cell
    EXPECT_EQ(form.currentVideo(), 4);
    form.actions().selectUp->trigger();
    EXPECT_EQ(form.currentVideo(), 1);
    form.actions().selectPrevious->trigger();
    form.actions().selectPrevious->trigger();
    EXPECT_EQ(form.currentVideo(), 0);
}

TEST_F(AlbumCommandsTest, OneDroppedFolderIsOpenedButAmongSeveralNamesOnlyFilesCount) {
    form.show();
    const QString folder = videos + QStringLiteral("clips");
    video("clips/x.mp4");
    video("clips/y.mp4");
    writeTestFile(folder + "/notes.txt", "x");
    const QString single = video("single.mp4");

    commands->dropPaths({folder, single});
    waitForAddition();
    EXPECT_EQ(titles(), QStringList{"single.mp4"});

    commands->dropPaths({folder});
    waitForAddition();
    EXPECT_EQ(titles(), (QStringList{"single.mp4", "x.mp4", "y.mp4"}));
    EXPECT_EQ(state.videoFolder, folder);
    EXPECT_EQ(form.currentVideo(), 2);

    // Already there, and not a video: nothing happens and nothing is said.
    commands->dropPaths({single});
    commands->dropPaths({folder + "/notes.txt"});
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(titles().size(), 3);
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(AlbumCommandsTest, NamesWithLineBreaksAreLeftOutAndNamedOncePerOperation) {
    form.show();
    const QString lf = video("clips/new\nline.mp4");
    const QString cr = video("clips/car\rriage.mp4");
    video("clips/x.mp4");
    dialogs.answer(DialogService::Answer::Ok);
    commands->dropPaths({videos + QStringLiteral("clips")});
    waitForAddition();
    EXPECT_EQ(titles(), QStringList{"x.mp4"});
    EXPECT_EQ(dialogs.messages(), QStringList{unfitPathsMessage({cr, lf})});

    // The open-files dialog alike.
    dialogs.clear();
    dialogs.answer(QStringList{lf, video("y.mp4")});
    dialogs.answer(DialogService::Answer::Ok);
    form.actions().openFiles->trigger();
    waitForAddition();
    EXPECT_EQ(titles(), (QStringList{"x.mp4", "y.mp4"}));
    EXPECT_EQ(dialogs.messages(), QStringList{unfitPathsMessage({lf})});
}

TEST_F(AlbumCommandsTest, WhileFilesAreAddedNothingElseRunsAndTheWindowStaysOpen) {
    fill({"a.mp4", "b.mp4"});
    form.show();
    form.setCurrentVideo(1);
    commands->addFiles({video("c.mp4"), video("d.mp4")});
    ASSERT_TRUE(form.isBusy());
    form.actions().moveBack->trigger();
    form.actions().deleteVideo->trigger();
    form.actions().sortByName->trigger();
    form.actions().selectPrevious->trigger();
    commands->dropPaths({video("e.mp4")});
    QCloseEvent close;
    QCoreApplication::sendEvent(&form, &close);
    EXPECT_FALSE(close.isAccepted());
    waitForAddition();
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AlbumCommandsTest, RemovableFilesAreRefusedInANormalBook) {
    const QString dvd = volumes.mount(kMediumDvd, 0xD, QStringLiteral("DVD"));
    QFile::copy(fixture(QStringLiteral("mp4_h264_640x480.mp4")), dvd + "a.mp4");
    dialogs.answer(DialogService::Answer::Ok);
    commands->addFiles({dvd + "a.mp4", video("b.mp4")});
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(dialogs.messages(), QStringList{kNoRemovableFilesMessage});
    EXPECT_EQ(form.album().count(), 0);
}

TEST_F(AlbumCommandsTest, SortsAndTheFavouritesMenu) {
    fill({"b.mp4", "A.mp4", "a.mp4"});
    form.album().setPlayCount(2, 9);
    form.setCurrentVideo(2);
    form.actions().sortByName->trigger();
    EXPECT_EQ(titles(), (QStringList{"A.mp4", "a.mp4", "b.mp4"}));
    EXPECT_EQ(form.currentVideo(), 2); // the same number
    EXPECT_TRUE(form.actions().deleteVideo->isEnabled());
    EXPECT_TRUE(form.actions().play->isEnabled());
    form.actions().sortByPlayCount->trigger();
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "A.mp4", "b.mp4"}));

    // The favourite book's albums, the open one disabled, each copying the current video.
    state.favouriteBook = QStringLiteral("お気に入り");
    const BookPaths favourites = BookPaths::of(state.libraryFolder, state.favouriteBook);
    QDir().mkpath(favourites.imagesFolder);
    ASSERT_TRUE(bookfile::write(favourites.bookFile, {{"好き"}, {"旅"}}, BookMode::Normal));
    ASSERT_TRUE(albumfile::write(AlbumPaths::of(favourites, "好き").album, {}));
    form.actions().favourites->popup({0, 0});
    const QList<QAction*> items = form.actions().favourites->actions();
    form.actions().favourites->hide();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0)->text(), QStringLiteral("好き"));
    EXPECT_FALSE(items.at(1)->isEnabled());
    form.setCurrentVideo(0);
    items.at(0)->trigger();
    EXPECT_EQ(albumfile::read(AlbumPaths::of(favourites, "好き").album),
              QStringList{videos + "a.mp4"});
    EXPECT_EQ(readTestFile(AlbumPaths::of(favourites, "好き").counts), "9\r\n");
}
