#include "core/AppState.h"
#include "core/BookFile.h"
#include "core/FileTrash.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "media/Fixtures.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumCommands.h"
#include "ui/album/AlbumWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QDirIterator>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::media::test::fixture;

namespace {

struct NoTrash final : FileTrash {
    QStringList moved;
    bool moveToTrash(const QString& path) override {
        moved.append(path);
        return false;
    }
};

struct NoLauncher final : ProgramLauncher {
    bool startDetached(const QString&, const QStringList&) override { return true; }
};

class ReadOnlyAlbumTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.wire({.videos = commands});
        state.libraryFolder = dir.path() + u'/';
        book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        QDir().mkpath(dir.path() + QStringLiteral("/videos"));
    }

    QString video(const QString& name) {
        const QString path = dir.path() + QStringLiteral("/videos/") + name;
        QFile::copy(fixture(QStringLiteral("mp4_h264_640x480.mp4")), path);
        return path;
    }

    // Every file below the library folder with its bytes (folders as such).
    QMap<QString, QByteArray> library() const {
        QMap<QString, QByteArray> files;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            files.insert(info.filePath(), info.isDir() ? QByteArray("<folder>")
                                                       : test::readTestFile(info.filePath()));
        }
        return files;
    }

    // Every command that changes the album, as the window, its menus and keys reach it.
    QList<QAction*> edits() const {
        return {form.actions().deleteVideo,     form.actions().moveBack,
                form.actions().moveForward,     form.actions().pictureFromFile,
                form.actions().openFiles,       form.actions().pictureFromClipboard,
                form.actions().sortByPlayCount, form.actions().sortByName,
                form.actions().deleteFile,      form.actions().openFolder,
                form.actions().refreshPicture,  form.actions().openFolderEntry,
                form.actions().moveToFront,     form.actions().moveToEnd,
                form.actions().deleteFileEntry};
    }

    void showAlbum(int index, bool folderSync) {
        ASSERT_TRUE(session.openAlbum(index));
        QSignalSpy ready(&form, &AlbumWindow::albumReady);
        form.showAlbum(folderSync);
        ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    NoTrash trash;
    NoLauncher launcher;
    LibrarySession session{dir.path(), dialogs, volumes};
    AlbumWindow form{session, state, dialogs};
    AlbumCommands* commands =
        new AlbumCommands(form, *form.actions().favourites, session, state, trash, launcher);
    BookPaths book;
};

} // namespace

TEST_F(ReadOnlyAlbumTest, AnAlbumWhoseFileCannotBeReadRefusesEveryEditAndSaysWhy) {
    // A folder where the album file should be: the reader refuses it as it refuses any file
    // it cannot read. The second album is sound.
    ASSERT_TRUE(textfile::writeLines(book.bookFile, {QStringLiteral("旅"), QStringLiteral("街")}));
    const AlbumPaths damaged = AlbumPaths::of(book, QStringLiteral("旅"));
    ASSERT_TRUE(QDir().mkpath(damaged.album));
    const AlbumPaths sound = AlbumPaths::of(book, QStringLiteral("街"));
    ASSERT_TRUE(textfile::writeLines(sound.album, {video(QStringLiteral("c.mp4"))}));
    dialogs.answer(DialogService::Answer::Ok); // the book's load reports the album file
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    session.flush();
    const QMap<QString, QByteArray> before = library();

    dialogs.answer(DialogService::Answer::Ok); // "読み取り専用で開きます"
    showAlbum(0, true);
    ASSERT_TRUE(session.albumReadOnly());
    EXPECT_EQ(form.statusPanel(0)->text(),
              QStringLiteral("読み取り専用: アルバムファイルを読み込めません"));
    for (QAction* edit : edits())
        EXPECT_FALSE(edit->isEnabled()) << edit->text().toStdString();
    EXPECT_FALSE(form.toolBar()->folderButton->isEnabled());
    for (QAction* sort : form.toolBar()->sortMenu->actions())
        EXPECT_FALSE(sort->isEnabled());
    EXPECT_FALSE(form.findChild<QToolButton*>(QStringLiteral("sortButton"))->isEnabled());
    // Playing, closing and the book's picture of the album stay.
    EXPECT_TRUE(form.actions().play->isEnabled());
    EXPECT_TRUE(form.actions().close->isEnabled());
    EXPECT_TRUE(form.actions().setAlbumPicture->isEnabled());

    // The player showing and going, or a sort's end, does not switch the edits back on.
    form.disableEditing();
    form.enableEditing();
    for (QAction* edit : edits())
        EXPECT_FALSE(edit->isEnabled()) << edit->text().toStdString();
    // Keys and drops reach nothing.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (auto key : {Qt::Key_O, Qt::Key_S, Qt::Key_Delete})
        QTest::keyClick(form.grid(), key);
    EXPECT_FALSE(form.grid()->viewport()->acceptDrops());
    Q_EMIT form.grid()->pathsDropped({video(QStringLiteral("a.mp4"))});
    EXPECT_FALSE(form.isBusy());
    // Nor does an addition from elsewhere (albums made from folders add through these).
    commands->addFiles({video(QStringLiteral("a.mp4"))});
    form.addFiles({video(QStringLiteral("a.mp4"))});
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(form.album().count(), 0);
    // The status bar keeps saying why after other texts came and went.
    form.setStatusTexts(QString(), QStringLiteral(" 縮小画像作成中・・・・・・"));
    form.setStatusTexts(QString(), QString());
    EXPECT_EQ(form.statusPanel(0)->text(),
              QStringLiteral("読み取り専用: アルバムファイルを読み込めません"));

    form.close();
    EXPECT_FALSE(session.albumOpen());
    QMap<QString, QByteArray> after = library();
    after.remove(dir.path() + QStringLiteral("/videos/a.mp4"));
    EXPECT_EQ(after, before) << "nothing of the library was written";
    EXPECT_TRUE(QFileInfo(damaged.album).isDir());
    EXPECT_TRUE(dialogs.allAnswersUsed());

    // The next album is open for editing again.
    showAlbum(1, false);
    EXPECT_FALSE(session.albumReadOnly());
    EXPECT_TRUE(form.statusPanel(0)->text().isEmpty());
    for (QAction* edit : edits())
        EXPECT_TRUE(edit->isEnabled()) << edit->text().toStdString();
    EXPECT_TRUE(form.grid()->viewport()->acceptDrops());
    form.close();
}

TEST_F(ReadOnlyAlbumTest, AnAlbumNamedLikeItsBookShowsWhatItsFileHoldsAndChangesNothing) {
    // Its store would be the book's picture store, so it is never written. A folder album: the
    // folder's other video is not added, and the entry whose file is gone stays.
    const QString kept = video(QStringLiteral("b.mp4"));
    video(QStringLiteral("a.mp4"));
    const QString gone = dir.path() + QStringLiteral("/videos/gone.mp4");
    const AlbumPaths paths = AlbumPaths::of(book, QStringLiteral("本"));
    ASSERT_TRUE(bookfile::write(book.bookFile, {{QStringLiteral("本"), true}}, BookMode::Normal));
    ASSERT_TRUE(textfile::writeLines(paths.album, {kept, gone}));
    dialogs.answer(DialogService::Answer::Ok); // the load's warning about the name
    ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
    session.flush();
    const QByteArray albumFile = test::readTestFile(paths.album);

    showAlbum(0, true);
    ASSERT_TRUE(session.albumReadOnly());
    EXPECT_EQ(form.statusPanel(0)->text(),
              QStringLiteral("読み取り専用: ブックと同じ名前のアルバムです"));
    EXPECT_EQ(form.album().entries(), (QStringList{kept, gone}));
    EXPECT_FALSE(form.actions().sortByName->isEnabled());
    form.setCurrentVideo(0);
    QTest::keyClick(form.grid(), Qt::Key_N); // "次へ移動"
    EXPECT_EQ(form.album().entries(), (QStringList{kept, gone}));
    session.flush();
    EXPECT_EQ(test::readTestFile(paths.album), albumFile);
    EXPECT_FALSE(QFile::exists(paths.marks));
    EXPECT_FALSE(QFile::exists(paths.counts));
    form.close();
}
