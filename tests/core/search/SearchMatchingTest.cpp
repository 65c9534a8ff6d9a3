// The index's quick paths (signatures, the text search of whole albums, the table of many
// readings) against the plainest reading of the rules: fold every name and look for every
// word in it.
#include "FakeRomaji.h"
#include "core/search/NeedleFinder.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchQuery.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

const QStringList kPieces{"東京",     "タワー", "とうきょう", "夏",   "ｶﾗｵｹ", "からおけ",
                          "Tokyo",    "TOWER",  "ｔｏｗｅｒ", "mp4",  ".avi", "_",
                          " ",        "2019",   "0123",       "a",    "e",    "第12回",
                          "【実況】", "𠮷野家", "の",         "京都", "ー"};

QString randomName(QRandomGenerator& random) {
    QString name;
    const int pieces = 1 + int(random.bounded(6));
    for (int k = 0; k < pieces; ++k)
        name += kPieces.at(int(random.bounded(qsizetype(kPieces.size()))));
    return name;
}

// The rules as written: every word (or one of its texts) is in the folded name; names that
// start with the first word come first; album cells before videos.
std::vector<SearchHit> reference(const SearchIndex& index, const QString& text,
                                 const QHash<QString, QStringList>& readings) {
    const QStringList words = searchtext::words(text);
    if (words.isEmpty())
        return {};
    const auto textsOf = [&](const QString& word) {
        QStringList texts{word};
        for (const QString& reading : readings.value(word)) {
            const QString folded = searchtext::fold(reading);
            if (std::any_of(folded.begin(), folded.end(),
                            [](QChar c) { return c.unicode() >= 0x80; }))
                texts.append(folded);
        }
        return texts;
    };
    const auto holds = [&](const QString& name, const QString& word) {
        const QStringList texts = textsOf(word);
        return std::any_of(texts.begin(), texts.end(),
                           [&](const QString& t) { return name.contains(t); });
    };
    const auto startsWith = [&](const QString& name) {
        const QStringList texts = textsOf(words.first());
        return std::any_of(texts.begin(), texts.end(),
                           [&](const QString& t) { return name.startsWith(t); });
    };
    std::vector<SearchHit> parts[4];
    for (int b = 0; b < int(index.books().size()); ++b) {
        const auto& albums = index.books()[size_t(b)].albums;
        for (int a = 0; a < int(albums.size()); ++a) {
            const SearchAlbum& album = albums[size_t(a)];
            const QString albumName = searchtext::fold(album.name());
            if (std::all_of(words.begin(), words.end(),
                            [&](const QString& w) { return holds(albumName, w); }))
                parts[startsWith(albumName) ? 0 : 1].push_back({b, a});
            for (int i = 0; i < album.count(); ++i) {
                const QString name = searchtext::fold(album.fileName(i));
                if (std::all_of(words.begin(), words.end(),
                                [&](const QString& w) { return holds(name, w); }))
                    parts[startsWith(name) ? 2 : 3].push_back({b, a, i});
            }
        }
    }
    std::vector<SearchHit> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(SearchMatchingTest, EveryQuickPathFindsWhatTheRulesSay) {
    QRandomGenerator random(20240611);
    SearchIndex index("/lib/");
    for (int b = 0; b < 3; ++b) {
        QList<SearchAlbumSource> albums;
        // Albums of every size: small ones read by signature, big ones searched as text.
        for (int size : {1, 7, 40, 300}) {
            QStringList entries;
            for (int i = 0; i < size; ++i)
                entries.append(QStringLiteral("/v/") + randomName(random));
            albums.append({randomName(random), entries, {}});
        }
        index.setBook(QStringLiteral("本%1").arg(b), BookMode::Normal, albums);
    }
    QHash<QString, QStringList> readings{
        {"toukyou", {"東京", "トウキョウ", "当協会"}},
        // More than a handful of texts: matched through the table, with readings that begin
        // in ASCII and readings held by others.
        {"ka",
         {"か", "カ", "夏", "火", "家", "歌", "下", "可", "花", "佳", "華", "からおけ", "夏休み",
          "kaの", "Ｋ", "."}},
        {"no", {"の", "野", "乃", "之", "能", "農", "濃", "納", "脳", "ノート"}}};
    test::FakeRomaji romaji(readings);

    QStringList queries{"東京",  "とうきょう",  "トウキョウ", "tower",    "mp4",     "a",
                        "e",     "_",           "2019 mp4",   "mp4 2019", "の 京都", "第12回",
                        "𠮷",    "ー",          "0123",       "toukyou",  "ka",      "no",
                        "ka no", "toukyou mp4", "zzz",        "4.a",      "の",      "-",
                        "第",    "京",          "-_",         "【",       "の 2019"};
    for (int k = 0; k < 30; ++k)
        queries.append(kPieces.at(int(random.bounded(qsizetype(kPieces.size())))) + u' ' +
                       kPieces.at(int(random.bounded(qsizetype(kPieces.size())))));
    for (const QString& text : queries) {
        const SearchResults found = index.find(SearchQuery::compile(text, &romaji));
        EXPECT_EQ(found.hits, reference(index, text, readings)) << qPrintable(text);
    }
}

namespace {

// A haystack of up to `most` bytes of the alphabet, and a needle that is one in three times
// taken from it, so that both answers come often.
std::pair<std::string, std::string>
hayAndNeedle(QRandomGenerator& random, const std::string& alphabet, quint32 most, int round) {
    const auto text = [&](quint32 length) {
        std::string out;
        for (; length > 0; --length)
            out += alphabet[random.bounded(quint32(alphabet.size()))];
        return out;
    };
    std::string hay = text(random.bounded(most));
    std::string needle = text(1 + random.bounded(round % 2 ? 3u : 20u));
    if (round % 3 == 0 && hay.size() > 4)
        needle = hay.substr(random.bounded(quint32(hay.size() - 2)), 1 + round % 19);
    return {hay, needle};
}

} // namespace

TEST(SearchMatchingTest, APaddedNameHoldsWhatStringFindFinds) {
    QRandomGenerator random(11);
    for (int round = 0; round < 2000; ++round) {
        const auto [key, needle] = hayAndNeedle(random, "ab\xE3\x81\x82\xE6\x9D\xB1", 70, round);
        // As an album keeps it: a line break after the name, then the padding. Bytes that
        // would match the needle's last byte lie there, and must not count.
        std::string buffer = key + '\n' + std::string(16, needle.back());
        const std::string_view name(buffer.data(), key.size());
        ASSERT_EQ(searchtext::containsPadded(name, needle), key.find(needle) != std::string::npos)
            << round;
    }
}

TEST(SearchMatchingTest, NeedleFinderFindsEveryPlaceStringFindDoes) {
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        const auto [hay, needle] =
            hayAndNeedle(random, "ab\xE3\x81\x82\xE6\x9D\xB1\n", 80, round * 2);
        const NeedleFinder finder(needle);
        for (size_t from = 0; from <= hay.size(); ++from)
            ASSERT_EQ(finder.find(hay, from), hay.find(needle, from)) << round << " from " << from;
    }
}
