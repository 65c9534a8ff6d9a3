#include "core/search/SearchIndex.h"

#include "FakeRomaji.h"
#include "core/search/SearchQuery.h"
#include "core/search/SearchWindowTexts.h"

#include <gtest/gtest.h>

using namespace tavimo;

namespace {

SearchAlbumSource album(const QString& name, const QStringList& entries, MediumRecord medium = {}) {
    return {name, entries, medium};
}

class SearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Given out of order: the index keeps the book list's order (case ignored).
        index.setBook(
            "b", BookMode::Normal,
            {album("夏", {"/v/花火 東京.mp4", "/v/東京タワー.mp4"}), album("東京", {"/v/海.avi"})});
        index.setBook("A", BookMode::Media,
                      {album("旅", {"DVD\\東京駅.mkv", "", "DVD\\京都.mkv"},
                             {kMediumDvd, 0x1234ABCD, "TRIP"})});
        index.setBook("c", BookMode::Normal, {album("x", {"/w/Tokyo 東京.wmv"})});
    }

    // Each hit as "book/album" for an album cell and "book/album/name" for a video.
    QStringList found(const QString& text, RomajiReading* romaji = nullptr) {
        QStringList names;
        for (const SearchHit& hit : index.find(SearchQuery::compile(text, romaji)).hits) {
            const auto details = index.details(hit, {});
            names.append(details->book + u'/' + details->album +
                         (hit.isAlbum() ? QString() : u'/' + details->name));
        }
        return names;
    }

    SearchIndex index{"/lib/"};
};

} // namespace

TEST_F(SearchIndexTest, AlbumsFirstThenNamesStartingWithTheTextThenTheRestInLibraryOrder) {
    EXPECT_EQ(found("東京"), (QStringList{"b/東京", "A/旅/東京駅.mkv", "b/夏/東京タワー.mp4",
                                          "b/夏/花火 東京.mp4", "c/x/Tokyo 東京.wmv"}));
    const SearchResults results = index.find(SearchQuery::compile("東京", nullptr));
    EXPECT_EQ(results.albumCount, 1);
    // Starting with the text means starting with its first word.
    EXPECT_EQ(found("tokyo 東京"), (QStringList{"c/x/Tokyo 東京.wmv"}));
    EXPECT_EQ(found("東京 tokyo"), (QStringList{"c/x/Tokyo 東京.wmv"}));
    EXPECT_EQ(found("花火 タワー"), QStringList());
    EXPECT_EQ(found("とうきょう"), QStringList());
    EXPECT_EQ(found(""), QStringList());
    // Folders are not names: "v" is in every normal folder but no name.
    EXPECT_EQ(found("/v/"), QStringList());
}

TEST_F(SearchIndexTest, LatinWordsAlsoMatchTheirRomajiReadings) {
    index.setBook("d", BookMode::Normal, {album("仮名", {"/k/とうきょう.avi", "/k/京都.avi"})});
    test::FakeRomaji romaji(
        {{"toukyou", {"トウキョウ", "東京", "ｔｏｕｋｙｏｕ"}}, {"tokyo", {"トキョ"}}});
    EXPECT_EQ(found("toukyou", &romaji),
              (QStringList{"b/東京", "A/旅/東京駅.mkv", "b/夏/東京タワー.mp4",
                           "d/仮名/とうきょう.avi", "b/夏/花火 東京.mp4", "c/x/Tokyo 東京.wmv"}));
    // The word as typed still matches, and readings are for Latin words alone.
    EXPECT_EQ(found("tokyo", &romaji), (QStringList{"c/x/Tokyo 東京.wmv"}));
    romaji.asked = 0;
    EXPECT_EQ(found("京都 tokyo2", &romaji), QStringList());
    EXPECT_EQ(romaji.asked, 0);
    // Without readings (no dictionary) only the typed text matches.
    EXPECT_EQ(found("toukyou"), QStringList());
}

TEST_F(SearchIndexTest, ManyOneCharacterReadingsAreMatchedAsASet) {
    test::FakeRomaji romaji(
        {{"k",
          {"か", "き", "く", "け", "こ", "京", "駅", "海", "火", "夏", "ｋ", "花火大会", "京都"}}});
    const QString word = QStringLiteral("k");
    const WordPattern pattern(word, romaji.readings(word));
    // "花火大会" holds "火" and "京都" holds "京": they add nothing.
    EXPECT_EQ(pattern.textCount(), 11);
    EXPECT_EQ(found("k", &romaji),
              (QStringList{"b/夏", "b/東京", "A/旅/京都.mkv", "b/東京/海.avi", "A/旅/東京駅.mkv",
                           "b/夏/花火 東京.mp4", "b/夏/東京タワー.mp4", "c/x/Tokyo 東京.wmv"}));
}

TEST_F(SearchIndexTest, DetailsTellWhereTheCellsPictureIsAndWhetherTheMediumIsMounted) {
    const SearchHit trip = index.find(SearchQuery::compile("京都", nullptr)).hits.at(0);
    const QList<VolumeInfo> volumes{{"/media/a/", kMediumDvd, 0x1234ABCD, "TRIP"}};
    const auto mounted = index.details(trip, volumes);
    ASSERT_TRUE(mounted);
    EXPECT_EQ(mounted->entry, QStringLiteral("DVD\\京都.mkv"));
    EXPECT_EQ(mounted->folder, QStringLiteral("DVD\\"));
    // Line 2 of the album file is its picture's place; the blank line is not a row.
    EXPECT_EQ(mounted->pictureStore, QStringLiteral("/lib/A/images/旅.pjpg"));
    EXPECT_EQ(mounted->pictureIndex, 2);
    EXPECT_EQ(mounted->videoRow, 1);
    EXPECT_TRUE(mounted->onMedium);
    EXPECT_TRUE(mounted->mounted);
    EXPECT_EQ(searchwindowtexts::facts(*mounted),
              (QStringList{"ブック: A", "アルバム: 旅", "フォルダ: DVD/", "メディア: TRIP"}));

    // A fixed disk of the same serial is no medium.
    const auto absent = index.details(trip, {{"/", kMediumNone, 0x1234ABCD, ""}});
    EXPECT_FALSE(absent->mounted);
    EXPECT_EQ(searchwindowtexts::facts(*absent).last(), QStringLiteral("メディア: TRIP（未接続）"));

    const SearchHit albumCell = index.find(SearchQuery::compile("東京", nullptr)).hits.at(0);
    const auto cell = index.details(albumCell, {});
    EXPECT_EQ(cell->pictureStore, QStringLiteral("/lib/b/images/b.pjpg"));
    EXPECT_EQ(cell->pictureIndex, 1);
    EXPECT_EQ(cell->albumIndex, 1);
    EXPECT_FALSE(cell->onMedium);
    EXPECT_EQ(searchwindowtexts::facts(*cell), (QStringList{"ブック: b", "アルバム: 東京"}));

    // An album named like its book has no store of its own to show.
    index.setBook("Same", BookMode::Normal, {album("same", {"/v/only.mp4"})});
    const SearchHit same = index.find(SearchQuery::compile("only", nullptr)).hits.at(0);
    EXPECT_TRUE(index.details(same, {})->pictureStore.isEmpty());

    EXPECT_FALSE(index.details({9, 0, -1}, {}));
    EXPECT_FALSE(index.details({0, 0, 99}, {}));
}

TEST_F(SearchIndexTest, FollowsEveryKindOfChangeWithoutReadingAFile) {
    // Videos added, an album renamed, one made, one moved, one removed.
    index.setAlbum("b", 0, album("夏", {"/v/花火 東京.mp4", "/v/東京タワー.mp4", "/v/新宿.mp4"}));
    EXPECT_EQ(found("新宿"), QStringList{"b/夏/新宿.mp4"});
    index.setAlbum("b", 1, album("冬", {"/v/海.avi"}));
    EXPECT_EQ(found("冬"), QStringList{"b/冬"});
    EXPECT_EQ(found("海"), QStringList{"b/冬/海.avi"});
    index.insertAlbum("b", 0, album("秋", {"/v/紅葉.mp4"}));
    index.moveAlbum("b", 0, 2);
    EXPECT_EQ(found("紅葉"), QStringList{"b/秋/紅葉.mp4"});
    EXPECT_EQ(
        index.details(index.find(SearchQuery::compile("紅葉", nullptr)).hits.at(0), {})->albumIndex,
        2);
    index.removeAlbum("b", 1);
    EXPECT_EQ(found("海"), QStringList());
    // After changes by row, an album's picture is at its row, where the session saves it.
    const auto autumn =
        index.details(index.find(SearchQuery::compile("秋", nullptr)).hits.at(0), {});
    EXPECT_EQ(autumn->pictureIndex, 1);

    // Books made and removed.
    index.setBook("B2", BookMode::Normal, {album("新", {"/n/新宿.mp4"})});
    EXPECT_EQ(found("新宿"), (QStringList{"b/夏/新宿.mp4", "B2/新/新宿.mp4"}));
    index.removeBook("b");
    EXPECT_EQ(found("新宿"), QStringList{"B2/新/新宿.mp4"});

    // Calls for what the index does not hold change nothing.
    index.setAlbum("gone", 0, album("z", {"/z.mp4"}));
    index.insertAlbum("B2", 5, album("z", {"/z.mp4"}));
    index.removeAlbum("B2", -1);
    index.moveAlbum("B2", 0, 3);
    EXPECT_EQ(found("z"), QStringList());
    EXPECT_EQ(index.books().size(), 3u);
}

TEST(SearchWindowTextsTest, TitleAndStatusSayWhatWasFound) {
    EXPECT_EQ(searchwindowtexts::windowTitle("", 0), QStringLiteral("検索"));
    EXPECT_EQ(searchwindowtexts::windowTitle("\u3000", 0), QStringLiteral("検索"));
    EXPECT_EQ(searchwindowtexts::windowTitle("東京 夜景 ", 12),
              QStringLiteral("検索 ～ 東京 夜景 ～ 12 件"));
    EXPECT_EQ(searchwindowtexts::unreadableMessage(3),
              QStringLiteral("3 件のアルバムを読めませんでした"));
    EXPECT_TRUE(searchwindowtexts::unreadableMessage(0).isEmpty());
}
