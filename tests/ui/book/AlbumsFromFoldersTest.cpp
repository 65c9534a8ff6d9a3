#include "ui/book/AlbumsFromFolders.h"

#include "core/AlbumFiles.h"
#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/EntryFiles.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/Tpackedjpg.h"
#include "media/Fixtures.h"
#include "support/BookGrid.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumCopyCommand.h"
#include "ui/book/AlbumImportCommand.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookListMenu.h"
#include "ui/book/BookWindow.h"
#include "ui/book/DrivePanel.h"
#include "ui/book/ModeSwitcher.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace tavimo;
using tavimo::media::test::fixture;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

struct NoTrash final : FileTrash {
    bool moveToTrash(const QString&) override { return false; }
};
struct NoLauncher final : ProgramLauncher {
    bool startDetached(const QString&, const QStringList&) override { return false; }
};

// The mounts of the fake table, which can be made to hang like a network mount that does not
// answer: a reader waits until they are released.
class HangingVolumes final : public VolumeTable {
public:
    explicit HangingVolumes(const VolumeTable& real) : real_(real) {}
    QList<VolumeInfo> volumes() const override {
        std::unique_lock lock(mutex_);
        answered_.wait(lock, [this] { return !hanging_; });
        return real_.volumes();
    }
    void hang() {
        const std::lock_guard lock(mutex_);
        hanging_ = true;
    }
    void answer() {
        {
            const std::lock_guard lock(mutex_);
            hanging_ = false;
        }
        answered_.notify_all();
    }

private:
    const VolumeTable& real_;
    mutable std::mutex mutex_;
    mutable std::condition_variable answered_;
    bool hanging_ = false;
};

class AlbumsFromFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.initialise(dir.path());
        state.drives = {QString(), medium};
        state.selectedDrive = 1;
        bookWindow = std::make_unique<BookWindow>(session, state, dialogs);
        albumWindow = std::make_unique<AlbumWindow>(session, state, dialogs);
        bookFileCommands = new BookFileCommands(session, state, *bookWindow);
        opener = new AlbumOpener(session, *bookWindow, *albumWindow);
        commands = new AlbumCommands(*albumWindow, *albumWindow->actions().favourites, session,
                                     state, trash, launcher);
        folders =
            new AlbumsFromFolders({session, state, *bookWindow, *albumWindow, *opener, *commands});
        bookList =
            new BookListMenu(session, state, *bookWindow, *bookFileCommands,
                             *bookWindow->actions().fileMenu, *bookWindow->actions().bookListEnd);
        folders->setNewBookCommand([this] { return bookList->createBook(); });
        copy = new AlbumCopyCommand(session, state, *bookWindow);
        modes = new ModeSwitcher(session, state, *bookWindow, *bookFileCommands);
        bookWindow->wire({.files = bookFileCommands,
                          .bookList = bookList,
                          .modes = modes,
                          .opener = opener,
                          .fromFolders = folders,
                          .copy = copy});
        albumWindow->wire({.videos = commands});
    }
    void TearDown() override { session.closeBook(); }

    // A book of the mode with the given albums, opened as start-up opens it.
    void openBook(const QString& title, BookMode mode, const QStringList& albums = {}) {
        const BookPaths paths = BookPaths::of(state.libraryFolder, title);
        QDir().mkpath(paths.imagesFolder);
        QList<bookfile::Line> lines;
        for (const QString& album : albums) {
            lines.append({album});
            ASSERT_TRUE(albumfile::write(AlbumPaths::of(paths, album).album, {}));
        }
        ASSERT_TRUE(bookfile::write(paths.bookFile, lines, mode));
        if (mode == BookMode::Media && !state.mediaBooks.contains(title))
            state.mediaBooks.append(title);
        session.switchMode(mode);
        bookFileCommands->loadBook(title);
        bookWindow->show();
    }

    // Copies of the fixture video under these names.
    QString videosIn(const QString& folder, const QStringList& names) {
        QDir().mkpath(folder);
        for (const QString& name : names)
            QFile::copy(fixture(QStringLiteral("mp4_h264_640x480.mp4")), folder + u'/' + name);
        return folder;
    }

    void waitUntilMade() {
        QSignalSpy done(folders, &AlbumsFromFolders::finished);
        ASSERT_TRUE(done.count() > 0 || done.wait(60000));
    }

    QStringList albumNames() const {
        QStringList names;
        for (const BookAlbum& album : session.book().albums())
            names.append(album.name);
        return names;
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    const QString medium = volumes.mount(kMediumRemovable, 0xBEEF, QStringLiteral("TRAVEL"));
    HangingVolumes mounts{volumes};
    LibrarySession session{dir.path(), dialogs, mounts};
    NoTrash trash;
    NoLauncher launcher;
    std::unique_ptr<BookWindow> bookWindow;
    std::unique_ptr<AlbumWindow> albumWindow;
    BookFileCommands* bookFileCommands = nullptr;
    BookListMenu* bookList = nullptr;
    AlbumOpener* opener = nullptr;
    AlbumCommands* commands = nullptr;
    AlbumsFromFolders* folders = nullptr;
    AlbumCopyCommand* copy = nullptr;
    ModeSwitcher* modes = nullptr;
};

} // namespace

TEST_F(AlbumsFromFoldersTest, AFolderBecomesAnOpenAlbumWithPicturesAndTheFirstAsItsOwn) {
    openBook(QStringLiteral("Shelf"), BookMode::Normal, {QStringLiteral("Summer")});
    const QString folder =
        videosIn(dir.path() + QStringLiteral("/summer"),
                 {QStringLiteral("b.mp4"), QStringLiteral("A.mp4"), QStringLiteral("c.MP4")});
    writeTestFile(folder + QStringLiteral("/notes.txt"), "not a video");
    state.syncFolderAlbums = true;
    dialogs.answer(folder);
    bookWindow->actions().albumFromFolder->trigger();
    waitUntilMade();

    // Named after the folder, "_" since "Summer" is taken; open in the album window.
    EXPECT_EQ(albumNames(), (QStringList{QStringLiteral("Summer"), QStringLiteral("summer_")}));
    EXPECT_TRUE(albumWindow->isVisible());
    EXPECT_EQ(session.albumIndex(), 1);
    EXPECT_EQ(state.videoFolder, folder);
    const Album& album = session.album();
    EXPECT_EQ(album.entries(),
              (QStringList{folder + QStringLiteral("/A.mp4"), folder + QStringLiteral("/b.mp4"),
                           folder + QStringLiteral("/c.MP4")}));
    const BookAlbum& row = session.book().album(1);
    EXPECT_EQ(row.jpeg, album.pictureBytes(0));
    EXPECT_TRUE(row.folderSync);

    albumWindow->close();
    const AlbumPaths files = session.book().albumPaths(1);
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(files.store));
    EXPECT_EQ(store.count(), 3);
    EXPECT_EQ(readTestFile(files.marks), QByteArray("0\r\n0\r\n0\r\n"));
    const auto lines = bookfile::read(session.bookPaths().bookFile, BookMode::Normal);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->at(1), (bookfile::Line{QStringLiteral("summer_"), true}));
}

TEST_F(AlbumsFromFoldersTest, SeveralDroppedFoldersMakeOneAlbumEachAndTheWindowClosesAfterEach) {
    openBook(QStringLiteral("Shelf"), BookMode::Normal);
    const QString one = videosIn(dir.path() + QStringLiteral("/one"), {QStringLiteral("1.mp4")});
    const QString empty = videosIn(dir.path() + QStringLiteral("/empty"), {});
    bookWindow->dropFolders({one, empty});
    waitUntilMade();
    EXPECT_EQ(albumNames(), (QStringList{QStringLiteral("one"), QStringLiteral("empty")}));
    EXPECT_FALSE(albumWindow->isVisible());
    EXPECT_TRUE(bookWindow->isVisible());
    EXPECT_EQ(session.book().album(0).entries, QStringList{one + QStringLiteral("/1.mp4")});
    EXPECT_FALSE(session.book().album(0).folderSync); // the option is off
    EXPECT_EQ(session.book().album(1).jpeg, placeholderJpeg());
    EXPECT_TRUE(bookWindow->actions().deleteAlbum->isEnabled());
}

TEST_F(AlbumsFromFoldersTest, NamesWithLineBreaksInDroppedFoldersAreNamedOnceAtTheEnd) {
    openBook(QStringLiteral("Shelf"), BookMode::Normal);
    const QString one = videosIn(dir.path() + QStringLiteral("/one"),
                                 {QStringLiteral("1.mp4"), QStringLiteral("new\nline.mp4")});
    const QString two = videosIn(dir.path() + QStringLiteral("/two"), {QStringLiteral("\r.mp4")});
    dialogs.answer(DialogService::Answer::Ok);
    bookWindow->dropFolders({one, two});
    waitUntilMade();
    EXPECT_EQ(albumNames(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_EQ(session.book().album(0).entries, QStringList{one + QStringLiteral("/1.mp4")});
    EXPECT_TRUE(session.book().album(1).entries.isEmpty());
    EXPECT_EQ(dialogs.messages(),
              QStringList{unfitPathsMessage(
                  {one + QStringLiteral("/new\nline.mp4"), two + QStringLiteral("/\r.mp4")})});
}

TEST_F(AlbumsFromFoldersTest, TheSyncItemTogglesTheMarkOfTheCurrentAlbum) {
    openBook(QStringLiteral("Shelf"), BookMode::Normal, {QStringLiteral("a"), QStringLiteral("b")});
    bookWindow->selectAlbum(1);
    bookWindow->actions().folderSync->trigger();
    EXPECT_TRUE(session.book().album(1).folderSync);
    bookWindow->actions().folderSync->trigger();
    EXPECT_FALSE(session.book().album(1).folderSync);
    EXPECT_FALSE(session.book().album(0).folderSync);
}

TEST_F(AlbumsFromFoldersTest, ModeSwitchOpensTheModesBookOrShowsTheEmptyWindow) {
    openBook(QStringLiteral("Media"), BookMode::Media, {QStringLiteral("disc")});
    openBook(QStringLiteral("Normal"), BookMode::Normal,
             {QStringLiteral("x"), QStringLiteral("y")});
    EXPECT_TRUE(bookWindow->actions().favouritesMenu->menuAction()->isEnabled());

    bookWindow->actions().mediaMode->trigger();
    EXPECT_TRUE(session.isMediaMode());
    EXPECT_EQ(session.bookPaths().title, QStringLiteral("Media"));
    EXPECT_TRUE(bookWindow->actions().mediaMode->isChecked());
    EXPECT_FALSE(bookWindow->actions().favouritesMenu->menuAction()->isEnabled());
    EXPECT_FALSE(bookWindow->actions().importInAlbumMenu->isVisible());
    EXPECT_FALSE(bookWindow->actions().importInBackground->isEnabled());
    EXPECT_TRUE(bookWindow->actions().mediumInAlbumMenu->isVisible());
    EXPECT_TRUE(bookWindow->actions().bookFromMedium->isEnabled());
    EXPECT_EQ(bookWindow->currentAlbum(), 0);

    // The checked item again: nothing.
    bookWindow->actions().mediaMode->trigger();
    EXPECT_EQ(session.bookPaths().title, QStringLiteral("Media"));

    bookWindow->actions().normalMode->trigger();
    EXPECT_EQ(session.bookPaths().title, QStringLiteral("Normal"));
    EXPECT_TRUE(bookWindow->actions().importInAlbumMenu->isVisible());
    EXPECT_TRUE(bookWindow->actions().favouritesMenu->menuAction()->isEnabled());

    // No media book left: the empty window of media mode, which can still make one.
    state.mediaBooks.clear();
    QFile::remove(BookPaths::of(state.libraryFolder, QStringLiteral("Media")).bookFile);
    bookWindow->actions().mediaMode->trigger();
    EXPECT_FALSE(session.bookOpen());
    EXPECT_EQ(bookWindow->windowTitle(), QStringLiteral(" Tavimo　　　　* Media"));
    EXPECT_FALSE(bookWindow->actions().deleteAlbum->isEnabled());
    EXPECT_FALSE(bookWindow->actions().favouritesMenu->menuAction()->isEnabled());
    EXPECT_TRUE(bookWindow->actions().bookFromMedium->isEnabled());
    EXPECT_EQ(test::bookGrid(*bookWindow).count(), 0);
    EXPECT_TRUE(state.bookTitle.isEmpty());
}

TEST_F(AlbumsFromFoldersTest, AMediumBecomesOneAlbumNamedByItsLabel) {
    openBook(QStringLiteral("Discs"), BookMode::Media);
    videosIn(medium + QStringLiteral("day1"), {QStringLiteral("b.mp4")});
    videosIn(medium, {QStringLiteral("root.mp4")});
    bookWindow->actions().albumFromMedium->trigger();
    ASSERT_TRUE(folders->drivePanel()->isVisible());
    EXPECT_EQ(folders->drivePanel()->chosenRoot(), medium);
    folders->drivePanel()->okButton->click();
    waitUntilMade();
    EXPECT_EQ(albumNames(), QStringList{QStringLiteral("TRAVEL")});
    EXPECT_TRUE(albumWindow->isVisible());
    EXPECT_EQ(session.album().entries(),
              (QStringList{QStringLiteral("root.mp4"), QStringLiteral("day1/b.mp4")}));
    EXPECT_EQ(session.book().record(0),
              (MediumRecord{kMediumRemovable, 0xBEEF, QStringLiteral("TRAVEL")}));
}

TEST_F(AlbumsFromFoldersTest, ANewBookFromAMediumMakesAnAlbumPerFolderAndNothingWhenCancelled) {
    openBook(QStringLiteral("Discs"), BookMode::Media);
    videosIn(medium + QStringLiteral("day1"), {QStringLiteral("a.mp4")});
    QDir().mkpath(medium + QStringLiteral("day1/empty"));
    videosIn(medium, {QStringLiteral("root.mp4")});

    dialogs.answer(std::monostate{}); // the title is cancelled
    bookWindow->actions().bookFromMedium->trigger();
    folders->drivePanel()->okButton->click();
    EXPECT_FALSE(folders->isBusy());
    EXPECT_EQ(session.bookPaths().title, QStringLiteral("Discs"));
    EXPECT_EQ(session.book().count(), 0);

    // A title taken by a book of either mode is asked again.
    dialogs.answer(QStringLiteral("discs"));
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(QStringLiteral("Trip"));
    bookWindow->actions().bookFromMedium->trigger();
    folders->drivePanel()->okButton->click();
    waitUntilMade();
    EXPECT_EQ(session.bookPaths().title, QStringLiteral("Trip"));
    EXPECT_TRUE(state.mediaBooks.contains(QStringLiteral("Trip")));
    EXPECT_EQ(albumNames(), (QStringList{QStringLiteral("TRAVEL"), QStringLiteral("day1"),
                                         QStringLiteral("empty")}));
    EXPECT_FALSE(albumWindow->isVisible());
    EXPECT_EQ(session.book().album(0).entries, QStringList{QStringLiteral("root.mp4")});
    EXPECT_EQ(session.book().album(1).entries, QStringList{QStringLiteral("day1/a.mp4")});
    EXPECT_TRUE(session.book().album(2).entries.isEmpty());
    // Saved: the book file lists the three.
    const auto lines = bookfile::read(session.bookPaths().bookFile, BookMode::Media);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 3);
}

TEST_F(AlbumsFromFoldersTest, CopyAllRunsWhileTheWindowLivesAndNamesWhatFailed) {
    openBook(QStringLiteral("Shelf"), BookMode::Normal, {QStringLiteral("a")});
    const QString folder = videosIn(dir.path() + QStringLiteral("/v"),
                                    {QStringLiteral("1.mp4"), QStringLiteral("2.mp4")});
    const QString gone = folder + QStringLiteral("/gone.mp4");
    session.book().setEntries(
        0, {folder + QStringLiteral("/1.mp4"), gone, folder + QStringLiteral("/2.mp4")});
    const QString target = dir.path() + QStringLiteral("/target");
    QDir().mkpath(target);
    bookWindow->selectAlbum(0);
    dialogs.answer(target);
    dialogs.answer(DialogService::Answer::Ok);
    QSignalSpy finished(copy, &AlbumCopyCommand::finished);
    bookWindow->actions().copyFiles->trigger();
    ASSERT_TRUE(copy->progress() != nullptr);
    EXPECT_FALSE(
        bookWindow->actions().deleteAlbum->isEnabled()); // the album commands wait meanwhile
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(bookWindow->actions().deleteAlbum->isEnabled());
    EXPECT_EQ(readTestFile(target + QStringLiteral("/2.mp4")),
              readTestFile(folder + QStringLiteral("/2.mp4")));
    ASSERT_FALSE(dialogs.messages().isEmpty());
    EXPECT_TRUE(dialogs.messages().last().contains(QStringLiteral("gone.mp4")));
}

TEST_F(AlbumsFromFoldersTest, AHangingMediumLeavesTheWindowLiveAndCancelOrCloseMakesNothing) {
    openBook(QStringLiteral("Discs"), BookMode::Media);
    videosIn(medium + QStringLiteral("day1"), {QStringLiteral("a.mp4")});
    mounts.hang();
    bookWindow->actions().albumFromMedium->trigger();
    folders->drivePanel()->okButton->click();
    EXPECT_TRUE(folders->isBusy());
    // The interface thread goes on: the progress shows after its delay, the album commands
    // wait meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(folders->scanProgress() && folders->scanProgress()->isVisible(),
                             10000);
    EXPECT_FALSE(bookWindow->actions().deleteAlbum->isEnabled());
    folders->scanProgress()->findChild<QPushButton*>()->click(); // "キャンセル"
    mounts.answer();
    waitUntilMade();
    EXPECT_EQ(session.book().count(), 0);
    EXPECT_FALSE(albumWindow->isVisible());
    EXPECT_FALSE(folders->isBusy());
    EXPECT_TRUE(bookWindow->actions().deleteAlbum->isEnabled());

    // The program closes while the listing hangs: the windows go, the worker is joined once
    // the mount answers, and nothing reaches the book.
    mounts.hang();
    bookWindow->actions().albumFromMedium->trigger();
    folders->drivePanel()->okButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(folders->scanProgress() != nullptr, 10000);
    std::thread answerLater([this] {
        QThread::msleep(100);
        mounts.answer();
    });
    bookWindow.reset();
    answerLater.join();
    QTest::qWait(20);
    EXPECT_EQ(session.book().count(), 0);
}

TEST_F(AlbumsFromFoldersTest, AnImportCopiesOffTheWindowAndTheBookShowsTheAlbumAtTheEnd) {
    // Album "trip" of the book "Old", with a store large enough to take a moment.
    const BookPaths old = BookPaths::of(state.libraryFolder, QStringLiteral("Old"));
    const AlbumPaths trip = AlbumPaths::of(old, QStringLiteral("trip"));
    const QString video = fixture(QStringLiteral("mp4_h264_640x480.mp4"));
    QDir().mkpath(old.imagesFolder);
    ASSERT_TRUE(albumfile::write(trip.album, {video}));
    ASSERT_TRUE(writeTestFile(trip.marks, "0\r\n"));
    {
        QFile store(trip.store);
        ASSERT_TRUE(store.open(QIODevice::WriteOnly) && store.resize(64 << 20));
    }
    openBook(QStringLiteral("Shelf"), BookMode::Normal, {QStringLiteral("a")});
    dialogs.answer(QStringList{trip.album});
    QSignalSpy finished(&folders->importCommand(), &AlbumImportCommand::finished);
    bookWindow->actions().importAlbum->trigger();
    // Copying: the window is live and its album commands wait.
    EXPECT_TRUE(folders->isBusy());
    EXPECT_FALSE(bookWindow->actions().deleteAlbum->isEnabled());
    ASSERT_TRUE(folders->importCommand().progress() != nullptr);
    ASSERT_TRUE(finished.wait(60000));

    EXPECT_EQ(albumNames(), (QStringList{QStringLiteral("a"), QStringLiteral("trip")}));
    EXPECT_EQ(session.book().album(1).entries, QStringList{video});
    EXPECT_EQ(test::bookGrid(*bookWindow).count(), 2);
    EXPECT_EQ(bookWindow->currentAlbum(), 1);
    EXPECT_TRUE(bookWindow->actions().deleteAlbum->isEnabled());
    EXPECT_FALSE(folders->isBusy());
    EXPECT_EQ(QFileInfo(session.book().albumPaths(1).store).size(), 64 << 20);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    const auto lines = bookfile::read(session.bookPaths().bookFile, BookMode::Normal);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 2);
}
