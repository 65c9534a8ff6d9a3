#include "core/search/SessionFollower.h"

#include "SearchLibraryFiles.h"
#include "core/BookPaths.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "core/search/LibrarySearch.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// A library whose book "本" holds the album "旅" of two videos; the session has it open and
// the search, built from the files, follows the session.
class SessionFollowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const BookPaths book = BookPaths::of(library(), "本");
        QDir().mkpath(book.imagesFolder);
        ASSERT_TRUE(textfile::writeLines(book.bookFile, {"旅"}));
        ASSERT_TRUE(textfile::writeLines(book.bookFolder + "旅.alb", {"/v/海.mp4", "/v/山.mp4"}));
        QSignalSpy built(&search, &LibrarySearch::built);
        search.start({});
        ASSERT_EQ(session.loadBook("本"), Book::LoadResult::Loaded);
        ASSERT_TRUE(built.wait(10000));
    }

    QString library() const { return dir.path() + u'/'; }
    QStringList found(const QString& text) { return test::foundNames(search, text); }

    QTemporaryDir dir;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
    LibrarySearch search{library()};
    SessionFollower follower{session, search};
};

} // namespace

TEST_F(SessionFollowerTest, EverySavedChangeOfTheBookReachesTheIndex) {
    Book& book = session.book();
    EXPECT_EQ(found("海"), (QStringList{"本/旅/海.mp4"}));

    BookAlbum added;
    added.name = "夏";
    added.entries = {"/v/花火.mp4"};
    book.appendAlbum(added);
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(found("花火"), (QStringList{"本/夏/花火.mp4"}));

    book.renameAlbum(0, "旅行");
    book.step(0, RowStep::Forward);
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(found("旅"), (QStringList{"本/旅行"}));
    // The results name rows as they are now: the moved album's picture is at its new row.
    const auto moved = search.details(search.find("旅").hits.front(), {});
    EXPECT_EQ(moved->albumIndex, 1);
    EXPECT_EQ(moved->pictureIndex, 1);

    // Videos added to the open album are found from its own rows.
    ASSERT_TRUE(session.openAlbum(1));
    session.album().append("/v/滝.mp4", {});
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(found("滝"), (QStringList{"本/旅行/滝.mp4"}));
    session.album().remove(0);
    ASSERT_TRUE(session.flush());
    EXPECT_TRUE(found("海").isEmpty());
    session.closeAlbum();

    book.removeAlbum(0);
    ASSERT_TRUE(session.flush());
    EXPECT_TRUE(found("花火").isEmpty());

    // A book made is found once it holds something; the one before stays.
    ASSERT_EQ(session.createBook("新刊"), Book::LoadResult::Loaded);
    added.name = "秋";
    added.entries = {"/v/紅葉.mp4"};
    session.book().appendAlbum(added);
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(found("紅葉"), (QStringList{"新刊/秋/紅葉.mp4"}));
    EXPECT_EQ(found("滝"), (QStringList{"本/旅行/滝.mp4"}));
}

TEST_F(SessionFollowerTest, ASaveThatChangesNoNameLeavesTheResultsAlone) {
    QSignalSpy changed(&search, &LibrarySearch::changed);
    ASSERT_TRUE(session.openAlbum(0));
    session.album().setBookmark(0, 12345);
    session.album().setPlayCount(1, 3);
    ASSERT_TRUE(session.flush());
    session.closeAlbum();
    ASSERT_TRUE(session.saveBook());
    EXPECT_EQ(changed.count(), 0);

    session.book().renameAlbum(0, "別名");
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(SessionFollowerTest, ChangesMadeWhileTheIndexIsBuiltAreAppliedAfterIt) {
    LibrarySearch later(library());
    SessionFollower following(session, later);
    QSignalSpy built(&later, &LibrarySearch::built);
    later.start({});
    session.book().renameAlbum(0, "途中");
    ASSERT_TRUE(session.flush());
    ASSERT_TRUE(built.count() > 0 || built.wait(10000));
    ASSERT_EQ(later.find("途中").hits.size(), 1u);
    EXPECT_TRUE(later.find("旅").hits.empty());
}

TEST_F(SessionFollowerTest, LinesWrittenOutsideTheSessionFindTheirAlbumByName) {
    search.setAlbumEntries("本", "旅", {"/v/海.mp4", "/v/山.mp4", "/fav/星.mp4"});
    EXPECT_EQ(found("星"), (QStringList{"本/旅/星.mp4"}));
    QSignalSpy changed(&search, &LibrarySearch::changed);
    search.setAlbumEntries("本", "ない", {"/fav/月.mp4"});
    search.setAlbumEntries("ない本", "旅", {"/fav/月.mp4"});
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(found("月").isEmpty());
}
