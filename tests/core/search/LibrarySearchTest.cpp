#include "core/search/LibrarySearch.h"

#include "FakeRomaji.h"
#include "SearchLibraryFiles.h"
#include "core/BookPaths.h"
#include "core/MediaDat.h"
#include "core/TextFile.h"
#include "core/search/LibraryScan.h"
#include "core/search/MigemoReading.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::writeTestFile;

namespace {

class LibrarySearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBook("旅行", {"東京", "京都"});
        writeAlbum("旅行", "東京", {"/v/東京タワー.mp4", "/v/とうきょう.avi"});
        writeAlbum("旅行", "京都", {"/v/金閣寺.mp4"});
        writeBook("ディスク", {"一枚目"});
        writeAlbum("ディスク", "一枚目", {"VIDEO\\東京駅.mkv"});
        writeTestFile(BookPaths::of(library(), "ディスク").mediaDat,
                      mediadat::encode({{kMediumDvd, 0xCAFE, "DISC1"}}));
        writeTestFile(library() + "media.inf", textfile::encodeLines({"ディスク"}));
    }

    QString library() const { return dir.path() + u'/'; }
    void writeBook(const QString& title, const QStringList& albums) {
        test::writeSearchBook(library(), title, albums);
    }
    void writeAlbum(const QString& book, const QString& album, const QStringList& entries) {
        test::writeSearchAlbum(library(), book, album, entries);
    }

    // Every file below the library with its size and time, to show nothing was written.
    QStringList snapshot() const {
        QStringList files;
        QDirIterator it(library(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            files.append(QStringLiteral("%1 %2 %3")
                             .arg(info.filePath())
                             .arg(info.size())
                             .arg(info.lastModified().toMSecsSinceEpoch()));
        }
        files.sort();
        return files;
    }

    QStringList found(LibrarySearch& search, const QString& text) {
        return test::foundNames(search, text);
    }

    void build(LibrarySearch& search) {
        QSignalSpy built(&search, &LibrarySearch::built);
        search.start({"ディスク"});
        ASSERT_TRUE(built.wait(10000));
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(LibrarySearchTest, IndexesEveryBookOfBothModesOnAWorkerAndWritesNothing) {
    const QStringList before = snapshot();
    LibrarySearch search(library(), [] {
        return std::make_unique<test::FakeRomaji>(
            QHash<QString, QStringList>{{"toukyou", {"東京", "トウキョウ"}}});
    });
    QSignalSpy progress(&search, &LibrarySearch::progressChanged);
    QSignalSpy romajiReady(&search, &LibrarySearch::romajiReady);
    build(search);
    EXPECT_FALSE(search.isBuilding());
    EXPECT_EQ(search.progress(), 100);
    EXPECT_GE(progress.count(), 2);
    EXPECT_EQ(search.unreadableCount(), 0);
    // The reading comes once the index is complete.
    ASSERT_TRUE(romajiReady.count() > 0 || romajiReady.wait(10000));
    EXPECT_TRUE(search.hasRomaji());

    // "toukyou" finds the kanji name and the hiragana one through their reading.
    EXPECT_EQ(found(search, "toukyou"),
              (QStringList{"旅行/東京", "ディスク/一枚目/東京駅.mkv", "旅行/東京/東京タワー.mp4",
                           "旅行/東京/とうきょう.avi"}));
    const auto onDisc = search.details(search.find("東京駅").hits.at(0), {});
    EXPECT_TRUE(onDisc->onMedium);
    EXPECT_EQ(onDisc->medium.label, QStringLiteral("DISC1"));
    EXPECT_FALSE(onDisc->mounted);
    EXPECT_EQ(onDisc->pictureStore, library() + "ディスク/images/一枚目.pjpg");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(LibrarySearchTest, DamagedFilesAreSkippedAndCounted) {
    // An album file that is a folder, one too big to be an album, one missing (the book
    // leaves it out as well) and a line naming a file outside the book.
    writeBook("壊れた", {"フォルダ", "巨大", "無い", "../旅行", "無事"});
    QDir().mkpath(library() + "壊れた/フォルダ.alb");
    {
        QFile huge(library() + "壊れた/巨大.alb");
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(libraryscan::kMaxAlbumFileBytes + 1));
    }
    writeAlbum("壊れた", "無事", {"/v/無事な東京.mp4"});
    // A book file too big to be one, and a media.dat cut short.
    {
        QFile huge(library() + "巨大な本.book");
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(libraryscan::kMaxBookFileBytes + 1));
    }
    const QString mediaDat = BookPaths::of(library(), "ディスク").mediaDat;
    writeTestFile(mediaDat, test::readTestFile(mediaDat).chopped(3));

    const QStringList before = snapshot();
    LibrarySearch search(library());
    build(search);
    EXPECT_EQ(search.unreadableCount(), 3);
    EXPECT_EQ(found(search, "東京"),
              (QStringList{"旅行/東京", "ディスク/一枚目/東京駅.mkv", "旅行/東京/東京タワー.mp4",
                           "壊れた/無事/無事な東京.mp4"}));
    // Unreadable albums keep their rows, so the rest keep the book's album indexes.
    const auto safe = search.details(search.find("無事な").hits.at(0), {});
    EXPECT_EQ(safe->albumIndex, 2);
    EXPECT_EQ(safe->pictureIndex, 0);
    EXPECT_EQ(search.details(search.find("無事").hits.at(0), {})->pictureIndex, 4);
    EXPECT_TRUE(search.find("フォルダ").hits.empty());
    // The medium's record was cut off: no label, never mounted.
    const auto onDisc = search.details(search.find("東京駅").hits.at(0), {});
    EXPECT_TRUE(onDisc->medium.label.isEmpty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(LibrarySearchTest, ChangesMadeWhileBuildingAreAppliedOnceTheFilesAreRead) {
    LibrarySearch search(library());
    QSignalSpy built(&search, &LibrarySearch::built);
    search.start({"ディスク"});
    // The session loads a book and changes it while the worker still reads.
    search.setBook("旅行", BookMode::Normal,
                   {{"東京", {"/v/東京タワー.mp4", "/v/とうきょう.avi"}, {}},
                    {"京都", {"/v/金閣寺.mp4"}, {}}});
    search.setAlbum("旅行", 1, {"奈良", {"/v/大仏.mp4"}, {}});
    search.removeBook("ディスク");
    search.setBook("新しい本", BookMode::Normal, {});
    ASSERT_TRUE(built.wait(10000));
    EXPECT_EQ(found(search, "大仏"), QStringList{"旅行/奈良/大仏.mp4"});
    EXPECT_TRUE(search.find("金閣寺").hits.empty());
    EXPECT_TRUE(search.find("東京駅").hits.empty());
    EXPECT_EQ(search.index().bookIndex("新しい本"), 0);

    QSignalSpy changed(&search, &LibrarySearch::changed);
    search.insertAlbum("新しい本", 0, {"最初", {"/n/初めて.mp4"}, {}});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(found(search, "初めて"), QStringList{"新しい本/最初/初めて.mp4"});
}

TEST_F(LibrarySearchTest, ABigAlbumIsFoldedOffTheWindowsThreadAndALaterChangeWins) {
    LibrarySearch search(library());
    build(search);
    QStringList many;
    for (int k = 0; k < 3000; ++k)
        many.append(QStringLiteral("/big/動画%1.mp4").arg(k));
    many.append(QStringLiteral("/big/最後の一本.mp4"));
    QSignalSpy changed(&search, &LibrarySearch::changed);
    search.setBook("旅行", BookMode::Normal, {{"東京", many, {}}, {"京都", {"/v/金閣寺.mp4"}, {}}});
    EXPECT_TRUE(search.find("最後の一本").hits.empty()) << "folded on a thread, not at once";
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_EQ(found(search, "最後の一本"), QStringList{"旅行/東京/最後の一本.mp4"});
    EXPECT_EQ(found(search, "金閣寺"), QStringList{"旅行/京都/金閣寺.mp4"}) << "kept as it was";

    // A small change taken at once after a big one was begun is the newer: the big one, when
    // it is folded, does not go over it.
    many.append(QStringLiteral("/big/おまけ.mp4"));
    search.setBook("旅行", BookMode::Normal, {{"大阪", many, {}}});
    search.setBook("旅行", BookMode::Normal, {{"奈良", {"/v/大仏.mp4"}, {}}});
    QTest::qWait(300);
    while (changed.wait(500)) {
    }
    EXPECT_EQ(found(search, "大仏"), QStringList{"旅行/奈良/大仏.mp4"});
    EXPECT_TRUE(search.find("おまけ").hits.empty());
}

TEST(MigemoReadingTest, RomajiReadsAsKanaAndDictionaryWords) {
    const auto migemo = MigemoReading::open();
    if (!migemo)
        GTEST_SKIP() << "libmigemo or its dictionary (cmigemo-common) is not installed";
    const QStringList readings = migemo->readings("toukyou");
    EXPECT_TRUE(readings.contains("東京"));
    EXPECT_TRUE(readings.contains("とうきょう"));
    // A one-letter word stands for thousands of words; they all come through.
    EXPECT_GT(migemo->readings("k").size(), 1000);

    EXPECT_EQ(MigemoReading::open("/nonexistent/migemo-dict"), nullptr);
}
