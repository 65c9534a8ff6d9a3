#include "core/NameRules.h"

#include "core/AtomicFile.h"
#include "core/BookPaths.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// The longest name of count repeated characters that the rules accept.
QString longestAccepted(QChar c, NameKind kind) {
    QString name(1, c);
    while (!nameProblem(name + c, kind))
        name += c;
    return name;
}

// Writes the file twice: the second write replaces it through a temporary file beside it.
::testing::AssertionResult savedTwice(const QString& path) {
    for (int i = 0; i < 2; ++i) {
        const WriteResult result = writeFileAtomically(path, QByteArray("x"));
        if (!result)
            return ::testing::AssertionFailure() << result.message().toStdString();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult storeSavedTwice(const QString& base) {
    Tpackedjpg store;
    store.resize(1);
    for (int i = 0; i < 2; ++i) {
        const WriteResult result = store.saveToFile(base);
        if (!result)
            return ::testing::AssertionFailure() << result.message().toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(NameRules, NamesThatCannotStayInsideTheirFolderAreRefused) {
    for (const QString& bad :
         {QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("../x"),
          QStringLiteral("a") + QChar(0), QStringLiteral("two\r\nlines"),
          QStringLiteral("new\nline"), QStringLiteral("car\rriage"), QStringLiteral("tab\t"),
          QString(240, u'x'), QString(80, u'映')}) {
        EXPECT_TRUE(nameProblem(bad, NameKind::BookTitle)) << bad.toStdString();
        EXPECT_TRUE(nameProblem(bad, NameKind::Album)) << bad.toStdString();
    }
    for (const QString& good :
         {QStringLiteral("夏休み"), QStringLiteral("...."), QStringLiteral("a.b"),
          QStringLiteral("a\\b"), QString(239, u'x'), QString(79, u'映'), QString()})
        EXPECT_FALSE(nameProblem(good, NameKind::Album)) << good.toStdString();

    // The book file cuts "-->" out of album names; titles never pass through it.
    EXPECT_TRUE(nameProblem(QStringLiteral("a-->b"), NameKind::Album));
    EXPECT_FALSE(nameProblem(QStringLiteral("a-->b"), NameKind::BookTitle));

    const std::optional<Problem> refused = refusedName(QStringLiteral("a/b"), NameKind::Album);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message, nameProblem(QStringLiteral("a/b"), NameKind::Album));
    EXPECT_EQ(refused->icon, Problem::Icon::Warning);
    EXPECT_FALSE(refusedName(QStringLiteral("ab"), NameKind::Album));
}

TEST(NameRules, EveryFileMadeFromTheLongestNameIsSavedAgainAndAgain) {
    QTemporaryDir dir;
    const QString lib = dir.path() + u'/';
    for (QChar c : {QChar(u'x'), QChar(u'映')}) {
        const QString title = longestAccepted(c, NameKind::BookTitle);
        const BookPaths book = BookPaths::of(lib, title);
        ASSERT_TRUE(QDir().mkpath(book.imagesFolder)) << title.size();
        EXPECT_TRUE(savedTwice(book.bookFile));
        EXPECT_TRUE(savedTwice(book.mediaDat));
        EXPECT_TRUE(storeSavedTwice(book.pictureStoreBase()));

        const AlbumPaths album = AlbumPaths::of(book, longestAccepted(c, NameKind::Album));
        for (const QString& path : {album.album, album.marks, album.counts})
            EXPECT_TRUE(savedTwice(path));
        EXPECT_TRUE(storeSavedTwice(album.storeBase));
    }
}

TEST(NameRules, NamesThatWouldReadBackDifferentlyAreRefused) {
    const QString bom(QChar(0xFEFF));
    const QString high(QChar(0xD83D));
    const QString low(QChar(0xDE00));
    const QString a = QStringLiteral("a");
    const QString trip = QStringLiteral("旅行");
    for (const QString& bad :
         {bom + trip, bom, high, a + high, high + a, low + a, a + low + high + a}) {
        EXPECT_TRUE(nameProblem(bad, NameKind::BookTitle)) << bad.size();
        EXPECT_TRUE(nameProblem(bad, NameKind::Album)) << bad.size();
    }
    // A mark inside a name is no mark, and a pair of surrogates is one character.
    for (const QString& good : {trip + bom, high + low, a + high + low + a}) {
        EXPECT_FALSE(nameProblem(good, NameKind::BookTitle)) << good.size();
        EXPECT_FALSE(nameProblem(good, NameKind::Album)) << good.size();
    }
}

TEST(NameRules, TitlesNamingTheLibrarysOtherFilesAreRefused) {
    for (const QString& bad :
         {QStringLiteral("x.book"), QStringLiteral("X.BOOK"), QStringLiteral("旅行.Book"),
          QStringLiteral(".book"), QStringLiteral("Tavimo.ini"), QStringLiteral("TAVIMO.INI"),
          QStringLiteral("media.inf"), QStringLiteral("Media.Inf"), QStringLiteral("userex.inf"),
          QStringLiteral("Tavimo.lock"), QStringLiteral("tavimo.LOCK"),
          QStringLiteral("Tavimo.journal"), QStringLiteral("TAVIMO.Journal")})
        EXPECT_TRUE(nameProblem(bad, NameKind::BookTitle)) << bad.toStdString();
    // Albums live in the book's folder, where none of these collide.
    for (const QString& album : {QStringLiteral("x.book"), QStringLiteral("Tavimo.ini")})
        EXPECT_FALSE(nameProblem(album, NameKind::Album)) << album.toStdString();
    for (const QString& good :
         {QStringLiteral("book"), QStringLiteral("x.books"), QStringLiteral("a.book.b"),
          QStringLiteral("Tavimo.ini2"), QStringLiteral("media"), QStringLiteral("Tavimo"),
          QStringLiteral("Tavimo.locks"), QStringLiteral("Tavimo.journal.old")})
        EXPECT_FALSE(nameProblem(good, NameKind::BookTitle)) << good.toStdString();

    QStringList messages;
    for (const QString& title : {QStringLiteral("x.book"), QStringLiteral("media.INF")})
        if (const auto refused = refusedName(title, NameKind::BookTitle))
            messages.append(refused->message);
    EXPECT_EQ(messages,
              (QStringList{QStringLiteral("「x.book」は名前に使えません。\r\n"
                                          "「.book」で終わるタイトルは、ほかのブックのファイルと"
                                          "重なるため使えません。"),
                           QStringLiteral("「media.INF」は名前に使えません。\r\n"
                                          "ライブラリのファイル「media.inf」と重なるため、"
                                          "タイトルに使えません。")}));

    // A title that is not refused reads back from its book file as itself.
    EXPECT_EQ(bookTitleFromFile(BookPaths::of("/lib/", "a.book.b").bookFile), "a.book.b");
    EXPECT_EQ(bookTitleFromFile(QStringLiteral("/lib/Old.BOOK")), QStringLiteral("Old"));
}

TEST(NameRules, AnAlbumNamedLikeItsBookInAnyLetterCaseIsRefused) {
    EXPECT_TRUE(albumNamedLikeBook(QStringLiteral("movies"), QStringLiteral("Movies")));
    EXPECT_TRUE(albumNamedLikeBook(QStringLiteral("ÉTÉ"), QStringLiteral("été")));
    EXPECT_FALSE(albumNamedLikeBook(QStringLiteral("Movies 2"), QStringLiteral("Movies")));
    EXPECT_FALSE(albumNamedLikeBook(QStringLiteral("Movies"), QString()));

    EXPECT_FALSE(albumNameProblem(QStringLiteral("Action"), QStringLiteral("Movies")));
    EXPECT_TRUE(albumNameProblem(QStringLiteral("a/b"), QStringLiteral("Movies")));
    const auto refused = refusedAlbumName(QStringLiteral("MOVIES"), QStringLiteral("Movies"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message, QStringLiteral("「MOVIES」は名前に使えません。\r\n"
                                               "ブックと同じ名前はアルバム名に使えません。"));
    EXPECT_FALSE(refusedAlbumName(QStringLiteral("Action"), QStringLiteral("Movies")));
    EXPECT_TRUE(albumNamedLikeBookReport(QStringLiteral("Movies")).contains(u"Movies"));
}
