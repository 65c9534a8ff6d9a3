#include "core/search/SearchText.h"

#include "core/search/MigemoPattern.h"
#include "core/search/SearchQuery.h"

#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// Whether a name holds every word of text, as the index compares them.
bool holds(const QString& name, const QString& text) {
    const std::string key = searchtext::key(name);
    return SearchQuery::compile(text, nullptr).matches(key, searchtext::signature(key));
}

} // namespace

TEST(SearchTextTest, FoldingIgnoresCaseWidthAndKanaKind) {
    EXPECT_EQ(searchtext::fold(u"Tokyo TOWER"), QStringLiteral("tokyo tower"));
    // Full-width Latin and digits, half-width katakana with its voiced mark, katakana.
    EXPECT_EQ(searchtext::fold(u"Ｔｏｋｙｏ２０１９"), QStringLiteral("tokyo2019"));
    EXPECT_EQ(searchtext::fold(u"ﾃﾞｨｽﾞﾆｰ"), QStringLiteral("でぃずにー"));
    EXPECT_EQ(searchtext::fold(u"トウキョウ ヴァ ヽヾ"), QStringLiteral("とうきょう ゔぁ ゝゞ"));
    // Compatibility characters unfold; katakana without a hiragana twin stays.
    EXPECT_EQ(searchtext::fold(u"㍻ ヷ ㇰ"), QStringLiteral("平成 ヷ ㇰ"));

    for (const char* text : {"東京タワー", "とうきょうたわー", "ﾄｳｷｮｳﾀﾜｰ", "TOKYO"}) {
        const QString name = QString::fromUtf8(text);
        EXPECT_EQ(searchtext::key(name), searchtext::fold(name).toStdString()) << text;
    }
    EXPECT_TRUE(holds(QStringLiteral("東京タワー.mp4"), QStringLiteral("たわー")));
    EXPECT_TRUE(holds(QStringLiteral("ﾀﾜｰ 2019.avi"), QStringLiteral("タワー")));
    EXPECT_TRUE(holds(QStringLiteral("Tokyo Tower.MP4"), QStringLiteral("ｔｏｗｅｒ")));
    EXPECT_FALSE(holds(QStringLiteral("カ.mp4"), QStringLiteral("ガ")));
    // Folding twice changes nothing, even where case folding undoes a composition.
    for (const char* text : {"ǰ", "ΐ", "ﬃ", "Ｑｕｅｅｎ", "ﾊﾟﾊﾟ"}) {
        const QString once = searchtext::fold(QString::fromUtf8(text));
        EXPECT_EQ(searchtext::fold(once), once) << text;
    }
    // A lone surrogate in a damaged name is a replacement character, not broken UTF-8.
    EXPECT_TRUE(holds(QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b.avi"),
                      QStringLiteral("b.avi")));
}

TEST(SearchTextTest, WordsAreSeparatedByAnySpaceAndAllMustMatch) {
    EXPECT_EQ(searchtext::words(u"  東京\u3000夜景  東京 "),
              (QStringList{QStringLiteral("東京"), QStringLiteral("夜景")}));
    EXPECT_TRUE(searchtext::words(u" \u3000 ").isEmpty());
    EXPECT_TRUE(SearchQuery::compile(QStringLiteral("\u3000"), nullptr).isEmpty());

    const QString name = QStringLiteral("東京の夜景 2019.mp4");
    EXPECT_TRUE(holds(name, QStringLiteral("夜景 東京")));
    EXPECT_TRUE(holds(name, QStringLiteral("2019　ＭＰ４")));
    EXPECT_FALSE(holds(name, QStringLiteral("東京 大阪")));
    // Words are matched apart, not as one phrase with its space.
    EXPECT_TRUE(holds(QStringLiteral("夜景東京.avi"), QStringLiteral("東京 夜景")));

    EXPECT_TRUE(searchtext::isLatinWord(u"toukyou"));
    EXPECT_FALSE(searchtext::isLatinWord(u"tokyo2019"));
    EXPECT_FALSE(searchtext::isLatinWord(u"とうきょう"));
}

TEST(SearchTextTest, OnlyTheFileNamePartOfAnEntryIsItsName) {
    const auto name = [](const char* entry, BookMode mode) {
        return searchtext::splitEntry(QString::fromUtf8(entry), mode).name.toString();
    };
    EXPECT_EQ(name("/home/me/東京/夜景.mp4", BookMode::Normal), QStringLiteral("夜景.mp4"));
    // Media entries written on Windows separate folders with '\'.
    EXPECT_EQ(name("VIDEO\\旅行\\海.avi", BookMode::Media), QStringLiteral("海.avi"));
    EXPECT_EQ(name("VIDEO/旅行\\海.avi", BookMode::Media), QStringLiteral("海.avi"));
    // On Linux '\' may be part of a name; only a Windows path with its drive is split at it.
    EXPECT_EQ(name("/v/a\\b.mp4", BookMode::Normal), QStringLiteral("a\\b.mp4"));
    EXPECT_EQ(name("x\\y.mp4", BookMode::Normal), QStringLiteral("x\\y.mp4"));
    EXPECT_EQ(name("C:\\v\\c.mp4", BookMode::Normal), QStringLiteral("c.mp4"));
    EXPECT_EQ(name("bare.mp4", BookMode::Media), QStringLiteral("bare.mp4"));
    const QString entry = QStringLiteral("/home/me/東京/夜景.mp4");
    EXPECT_EQ(searchtext::splitEntry(entry, BookMode::Normal).folder,
              QStringLiteral("/home/me/東京/"));
}

TEST(SearchTextTest, MigemoPatternsExpandIntoTheTextsTheyStandFor) {
    const auto expand = [](const char* pattern) {
        return migemopattern::expand(QString::fromUtf8(pattern), 100);
    };
    EXPECT_EQ(expand("(トウキョウ|東[教京]|toukyou)"),
              (QStringList{"トウキョウ", "東教", "東京", "toukyou"}));
    EXPECT_EQ(expand("佐(倉|久良)[ab]"), (QStringList{"佐倉a", "佐倉b", "佐久良a", "佐久良b"}));
    // Escaped operators stand for themselves; a surrogate pair is one character of a choice.
    EXPECT_EQ(expand("a\\.b\\\\[\\]x]"), (QStringList{"a.b\\]", "a.b\\x"}));
    EXPECT_EQ(expand("[𠮷野]家"), (QStringList{"𠮷家", "野家"}));
    EXPECT_EQ(expand(""), QStringList{QString()});

    for (const char* broken : {"(ab", "ab)", "[ab", "a\\", "[]", "(a|b"})
        EXPECT_EQ(expand(broken), std::nullopt) << broken;
    // Too many texts, too deep or too long: refused rather than taking memory.
    EXPECT_EQ(expand("[abcdefghij][abcdefghij][abcdefghij]"), std::nullopt);
    EXPECT_EQ(migemopattern::expand(QString(200, u'(') + u'a' + QString(200, u')'), 100),
              std::nullopt);
    EXPECT_EQ(migemopattern::expand(QString(300, u'a'), 100), std::nullopt);
}
