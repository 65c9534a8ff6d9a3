#include "core/SaveLeftovers.h"

#include "core/SaveJournal.h"
#include "core/SaveUnit.h"
#include "support/FolderSnapshot.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tavimo;
using test::folderSnapshot;
using test::writeTestFile;

namespace {

bool makeLink(const QString& target, const QString& link) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) ==
           0;
}

class SaveLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file :
             {"大.book", "本.book", "Tavimo.ini", "大/旅.alb", "大/images/旅.pjpg"})
            ASSERT_TRUE(writeTestFile(path(file), "kept"));
        // A folder outside the library, named like a book folder's files.
        ASSERT_TRUE(writeTestFile(outside + "y.alb.ABCDEF", "the user's"));
        ASSERT_TRUE(writeTestFile(outside + "victim.book.ABCDEF", "the user's too"));
        ASSERT_TRUE(writeTestFile(outside + "images/y.pjpg.ABCDEF", "and this"));
    }
    QString path(const char* name) const { return library + QString::fromUtf8(name); }
    // Makes each file, answering their paths.
    QStringList make(std::initializer_list<const char*> files) const {
        QStringList paths;
        for (const char* file : files) {
            EXPECT_TRUE(writeTestFile(path(file), "left"));
            paths.append(path(file));
        }
        paths.sort();
        return paths;
    }

    QTemporaryDir dir;
    QString library = dir.path() + "/library/";
    QString outside = dir.path() + "/outside/";
};

} // namespace

TEST_F(SaveLeftoversTest, StartUpRemovesOnlyTheTemporaryFilesOfTheLibrarysOwnSaves) {
    // What a save killed before its journal held a step leaves, in each of the library's
    // folders; and the temporary file of the first save of a new book, whose folder is there.
    const QStringList leftovers =
        make({"大.book.Ab3dE9", "Tavimo.ini.QWERTY", "media.inf.abcdef", "userex.inf.Zz09aA",
              "新.book.AAAAAA", "大/旅.alb.AbCdEf", "大/旅.mrk.123456", "大/旅.cnt.ZZZZZZ",
              "大/media.dat.aBcDeF", "大/images/旅.pjpg.QwErTy", "大/images/大.pjpg.XYZxyz",
              "新/旅.alb.qwerty"});
    // Names a save never makes, files of other kinds or in other folders, and anything that
    // is not a regular file.
    ASSERT_TRUE(makeLink(outside, path("本")));
    ASSERT_TRUE(makeLink(outside + "victim.book.ABCDEF", path("大/link.alb.LINKED")));
    ASSERT_TRUE(makeLink(outside + "victim.book.ABCDEF", path("link.book.LINKED")));
    const auto outsideBefore = folderSnapshot(outside);
    ASSERT_TRUE(QDir().mkpath(path("大/folder.alb.ABCDEF")));
    make({"大.book.ABCDE", "大.book.ABCDEFG", "大.book.AB-DEF", "大.book.ABCDÉ", ".book.ABCDEF",
          "notes.txt.ABCDEF", "大.book.damaged", "大/旅.alb.damaged.2", "大/旅.pjpg.ABCDEF",
          "大/images/旅.alb.ABCDEF", "大/sub/旅.alb.ABCDEF", "Tavimo.journal.damaged",
          "無/旅.alb.ABCDEF", "Tavimo.db.ABCDEF"});
    auto before = folderSnapshot(library);
    for (const QString& leftover : leftovers)
        before.erase(leftover.mid(library.size()).toStdString());

    QStringList removed = saveleftovers::removeLeftoverTemporaries(library);
    removed.sort();
    EXPECT_EQ(removed.join(u'\n').toStdString(), leftovers.join(u'\n').toStdString());
    EXPECT_EQ(folderSnapshot(library), before);
    EXPECT_EQ(folderSnapshot(outside), outsideBefore);
}

TEST_F(SaveLeftoversTest, NothingIsRemovedWhileAJournalMayNeedItsTemporaryFiles) {
    const QStringList leftovers = make({"大.book.Ab3dE9", "大/旅.alb.AbCdEf"});
    ASSERT_TRUE(
        writeTestFile(library + QString::fromUtf16(savejournal::kFileName), savejournal::header()));
    const auto before = folderSnapshot(library);
    EXPECT_TRUE(saveleftovers::removeLeftoverTemporaries(library).isEmpty());
    EXPECT_EQ(folderSnapshot(library), before);

    // Recovered (undone: the journal lists none of them), the next start-up removes them.
    EXPECT_TRUE(savejournal::recover(library).problem.isEmpty());
    QStringList removed = saveleftovers::removeLeftoverTemporaries(library);
    removed.sort();
    EXPECT_EQ(removed.join(u'\n').toStdString(), leftovers.join(u'\n').toStdString());
}

TEST_F(SaveLeftoversTest, TheNamesAreThoseOfTheSavesOwnTemporaryFiles) {
    // A unit's temporary file, copied while the unit writes it, as a kill would leave it.
    QString temporary;
    SaveUnit unit(library);
    ASSERT_TRUE(
        unit.stage(path("大/旅.alb"), SaveUnit::Pieces([&](const auto& put) {
                       const QStringList files =
                           QDir(path("大")).entryList({QStringLiteral("旅.alb.*")}, QDir::Files);
                       if (files.size() == 1) {
                           temporary = files.first();
                           QFile::copy(path("大/") + temporary, path("大/") + temporary + ".copy");
                       }
                       return put("new");
                   })));
    ASSERT_TRUE(unit.commit());
    ASSERT_FALSE(temporary.isEmpty());
    ASSERT_TRUE(QFile::rename(path("大/") + temporary + ".copy", path("大/") + temporary));
    EXPECT_TRUE(
        saveleftovers::isLeftoverName(QFile::encodeName(temporary), saveleftovers::Folder::Book));
    EXPECT_EQ(saveleftovers::removeLeftoverTemporaries(library),
              QStringList{path("大/") + temporary});
}
