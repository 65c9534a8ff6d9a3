#include "app/AppRoot.h"
#include "core/BookPaths.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/BookGrid.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class BookStartUpTest : public ::testing::Test {
protected:
    QString library() const { return dir.path() + u'/'; }

    void writeSettings(const QString& book) {
        ASSERT_TRUE(textfile::writeLines(library() + "Tavimo.ini",
                                         {"[text]", "book=" + book, "[ex]", "packed=1"}));
    }

    void makeBook(const QString& title, const QStringList& lines) {
        const BookPaths paths = BookPaths::of(library(), title);
        ASSERT_TRUE(QDir().mkpath(paths.imagesFolder));
        ASSERT_TRUE(textfile::writeLines(paths.bookFile, lines));
        Tpackedjpg store;
        for (const QString& line : lines) {
            const QString name = QString(line).remove("-->");
            ASSERT_TRUE(textfile::writeLines(AlbumPaths::of(paths, name).album, {}));
            store.addBitmap(imagefunc::solidBitmap(120, 90, Qt::darkCyan));
        }
        ASSERT_TRUE(store.saveToFile(paths.pictureStoreBase()));
    }

    QStringList cellTitles(AppRoot& root) {
        QStringList titles;
        ScrollBox& grid = test::bookGrid(root.bookWindow());
        for (int i = 0; i < grid.count(); ++i)
            titles.append(grid.cellAt(i)->title());
        return titles;
    }

    QTemporaryDir dir;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
};

} // namespace

TEST_F(BookStartUpTest, StartUpLoadsTheBookOfTheSettingsIntoTheGrid) {
    makeBook("旅行", {"夏休み", "運動会-->", "冬"});
    writeSettings("旅行");
    AppRoot root(library(), dialogs, volumes);
    root.startUp();

    EXPECT_EQ(cellTitles(root), (QStringList{"夏休み", "運動会", "冬"}));
    ScrollBox& grid = test::bookGrid(root.bookWindow());
    EXPECT_FALSE(grid.cellAt(0)->syncMark());
    EXPECT_TRUE(grid.cellAt(1)->syncMark());
    EXPECT_FALSE(grid.cellAt(2)->picture().image().isNull());
    EXPECT_EQ(root.bookWindow().windowTitle(), QStringLiteral(" Tavimo　　旅行 ブック"));
    EXPECT_EQ(root.state().lastNormalBook, "旅行");
    EXPECT_TRUE(root.bookWindow().actions().save->isEnabled());
    EXPECT_TRUE(dialogs.asked().isEmpty());
    // The keys work at once: the first album is current and the grid has the focus.
    EXPECT_EQ(grid.currentIndex(), 0);
    EXPECT_EQ(root.bookWindow().focusWidget(), &grid);
}

TEST_F(BookStartUpTest, AMissingBookIsReportedAndLeavesTheGridEmpty) {
    writeSettings("消えた本");
    dialogs.answer(DialogService::Answer::Ok);
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    EXPECT_EQ(dialogs.messages(),
              QStringList{library() + QStringLiteral("消えた本.book が見つかりません!")});
    EXPECT_EQ(test::bookGrid(root.bookWindow()).count(), 0);
    EXPECT_FALSE(root.bookWindow().actions().save->isEnabled());
}

TEST_F(BookStartUpTest, MediaBooksOpenInMediaModeWithoutSyncMarks) {
    makeBook("ディスク", {"A-->", "B"});
    ASSERT_TRUE(textfile::writeLines(library() + "media.inf", {"ディスク"}));
    writeSettings("ディスク");
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    EXPECT_EQ(cellTitles(root), (QStringList{"A", "B"}));
    EXPECT_FALSE(test::bookGrid(root.bookWindow()).cellAt(0)->syncMark());
    EXPECT_TRUE(root.bookWindow().windowTitle().endsWith(QStringLiteral("ブック　　* Media")));
    EXPECT_EQ(root.state().lastMediaBook, "ディスク");
    EXPECT_TRUE(QFile::exists(library() + "ディスク/media.dat"));
}

TEST_F(BookStartUpTest, SaveCommandWritesTheBookOnlyWhenItHasAlbums) {
    makeBook("本", {"A", "B"});
    writeSettings("本");
    AppRoot root(library(), dialogs, volumes);
    root.startUp();
    const QString bookFile = library() + "本.book";
    Book& book = root.session().book();
    book.setFolderSync(1, true);
    EXPECT_TRUE(test::bookGrid(root.bookWindow()).cellAt(1)->syncMark());
    root.bookWindow().actions().save->trigger();
    EXPECT_EQ(textfile::readLines(bookFile), (QStringList{"A", "B-->"}));

    // Clicking the sync mark ends the album's folder sync, in the book file too.
    Q_EMIT test::bookGrid(root.bookWindow()).syncMarkClicked(1);
    EXPECT_FALSE(test::bookGrid(root.bookWindow()).cellAt(1)->syncMark());
    root.bookWindow().actions().save->trigger();
    EXPECT_EQ(textfile::readLines(bookFile), (QStringList{"A", "B"}));

    book.removeAlbum(1);
    book.removeAlbum(0);
    QFile::remove(bookFile);
    root.bookWindow().actions().save->trigger();
    EXPECT_FALSE(QFile::exists(bookFile));
}

TEST_F(BookStartUpTest, AnImagesFolderThatCannotBeMadeEndsTheProgram) {
    makeBook("本", {"A"});
    QDir(library() + "本/images").removeRecursively();
    QFile(library() + "本/images").open(QIODevice::WriteOnly);
    writeSettings("本");
    AppRoot root(library(), dialogs, volumes);
    int terminated = 0;
    root.bookFileCommands().setTerminate([&] { ++terminated; });
    dialogs.answer(DialogService::Answer::Cancel);
    root.startUp();
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(dialogs.messages(), QStringList{"Can not Createdirectory!"});
}
