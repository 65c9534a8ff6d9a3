#include "ui/search/SearchWindow.h"

#include "core/AppState.h"
#include "core/BookPaths.h"
#include "core/ImageFunc.h"
#include "core/IniFile.h"
#include "core/LibrarySession.h"
#include "core/MediaDat.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "core/search/FakeRomaji.h"
#include "core/search/SearchLibraryFiles.h"
#include "core/search/SearchWindowTexts.h"
#include "support/LibraryOnDisk.h"
#include "support/TestFiles.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/ModeSwitcher.h"
#include "ui/grid/CellTitles.h"
#include "ui/grid/ScrollBox.h"
#include "ui/search/SearchCommand.h"
#include "ui/search/SearchOpener.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

const QString kNotMounted = QString::fromUtf16(searchwindowtexts::kNotMounted);

// A library of two books: "旅行" (normal) with the albums "東京" and "京都" of real videos,
// and the media book "ディスク" whose album "一枚目" is on the DVD "DISC1" (serial 0000-CAFE).
class SearchWindowTest : public ::testing::Test, protected test::LibraryOnDisk {
protected:
    void SetUp() override {
        state.libraryFolder = library();
        state.mediaBooks = {"ディスク"};
        videos = dir.path() + "/videos/";
        writeBook("旅行", {"東京", "京都"});
        writeAlbum("旅行", "東京",
                   {video("東京タワー.mp4"), "", video("夜の東京.mp4"), video("とうきょう.mp4")});
        writeAlbum("旅行", "京都", {video("金閣寺.mp4")});
        writeBook("ディスク", {"一枚目"});
        writeAlbum("ディスク", "一枚目", {"VIDEO\\東京駅.mp4", "VIDEO\\大阪駅.mp4"});
        writeTestFile(BookPaths::of(library(), "ディスク").mediaDat,
                      mediadat::encode({{kMediumDvd, 0xCAFE, "DISC1"}}));
        writeTestFile(library() + "media.inf", textfile::encodeLines({"ディスク"}));
        // The album's second picture (after the blank line) is green.
        Tpackedjpg store;
        store.addBitmap(imagefunc::solidBitmap(120, 90, Qt::red));
        store.addPicture({});
        store.addBitmap(imagefunc::solidBitmap(120, 90, Qt::green));
        ASSERT_TRUE(store.saveToFile(BookPaths::of(library(), "旅行").imagesFolder + "東京"));
        command = makeCommand([] {
            return std::make_unique<test::FakeRomaji>(
                QHash<QString, QStringList>{{"toukyou", {"とうきょう", "東京"}}});
        });
        bookWindow.wire({.search = command.get()});
    }

    // The command as the program makes it, for the library of the state.
    std::unique_ptr<SearchCommand> makeCommand(LibrarySearch::RomajiOpener romaji) {
        return std::make_unique<SearchCommand>(
            SearchOpener::Context{session, state, volumes, bookWindow, albumWindow,
                                  bookFileCommands, modes, opener},
            std::move(romaji));
    }

    QString library() const { return dir.path() + u'/'; }
    QString video(const QString& name) {
        QDir().mkpath(videos);
        QFile::copy(QStringLiteral(TAVIMO_FIXTURE_DIR "/mp4_h264_640x480.mp4"), videos + name);
        return videos + name;
    }
    void writeBook(const QString& title, const QStringList& albums) {
        test::writeSearchBook(library(), title, albums);
    }
    void writeAlbum(const QString& book, const QString& album, const QStringList& entries) {
        test::writeSearchAlbum(library(), book, album, entries);
    }

    // Opens book "旅行", starts the index, waits for it and shows the search window.
    void startWithBook() {
        bookFileCommands.loadBook("旅行");
        bookWindow.show();
        QSignalSpy built(&command->search(), &LibrarySearch::built);
        QSignalSpy romaji(&command->search(), &LibrarySearch::romajiReady);
        command->start();
        ASSERT_TRUE(built.wait(30000));
        ASSERT_TRUE(romaji.count() > 0 || romaji.wait(30000));
        bookWindow.actions().videoSearch->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }
    // Types the text into the cleared field a character at a time, as a user (or an input
    // method) would.
    void type(const QString& text) {
        window().field()->clear();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, window().field(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
    QStringList cellTitles() const { return test::cellTitles(*grid()); }
    void waitForAlbum() {
        QSignalSpy ready(&albumWindow, &AlbumWindow::albumReady);
        ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    }

    SearchWindow& window() { return command->window(); }
    ScrollBox* grid() const { return command->window().grid(); }

    QString videos;
    BookWindow bookWindow{session, state, dialogs};
    BookFileCommands bookFileCommands{session, state, bookWindow};
    ModeSwitcher modes{session, state, bookWindow, bookFileCommands};
    AlbumWindow albumWindow{session, state, dialogs};
    AlbumOpener opener{session, bookWindow, albumWindow};
    std::unique_ptr<SearchCommand> command;
};

} // namespace

TEST_F(SearchWindowTest, TheTitleCountsTheResultsAlbumsFirstThenNamesThatStartWithTheText) {
    EXPECT_EQ(bookWindow.actions().videoSearch->text(), "動画の検索...");
    EXPECT_EQ(bookWindow.actions().videoSearch->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    EXPECT_TRUE(
        bookWindow.actions().toolsMenu->actions().contains(bookWindow.actions().videoSearch));
    startWithBook();
    EXPECT_EQ(window().objectName(), "SearchWindow");
    EXPECT_EQ(window().windowTitle(), "検索");
    EXPECT_EQ(grid()->count(), 0);

    type("東京");
    EXPECT_EQ(window().windowTitle(), "検索 ～ 東京 ～ 4 件");
    EXPECT_EQ(cellTitles(), (QStringList{"東京", "東京駅.mp4", "東京タワー.mp4", "夜の東京.mp4"}));
    // Katakana typed matches hiragana, full width matches half, words are ANDed.
    type("トウキョウ");
    EXPECT_EQ(cellTitles(), (QStringList{"とうきょう.mp4"}));
    type("ＭＰ４ 夜");
    EXPECT_EQ(window().windowTitle(), "検索 ～ ＭＰ４ 夜 ～ 1 件");
    type("   ");
    EXPECT_EQ(window().windowTitle(), "検索");

    // The album's picture is read from its store at the entry's line, blank lines counted.
    type("夜の東京");
    ASSERT_EQ(grid()->count(), 1);
    const QImage picture = grid()->cellAt(0)->picture().image();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.pixelColor(60, 45).green() > 200 && picture.pixelColor(60, 45).red() < 60,
              true);
}

TEST_F(SearchWindowTest, TooltipAndStatusBarSayWhereAResultIsAndWhetherItsMediumIsThere) {
    startWithBook();
    type("駅");
    ASSERT_EQ(cellTitles(), (QStringList{"東京駅.mp4", "大阪駅.mp4"}));
    const QString tip = window().toolTipOf(0);
    EXPECT_EQ(tip, "ブック: ディスク\nアルバム: 一枚目\nフォルダ: VIDEO/\nメディア: DISC1（" +
                       kNotMounted + "）");
    EXPECT_TRUE(window().resultPanel()->text().contains("DISC1（" + kNotMounted + "）"));

    // Once the disc is in, the same result no longer says it is missing.
    volumes.mount(kMediumDvd, 0xCAFE, "DISC1");
    type("大阪");
    EXPECT_EQ(window().toolTipOf(0), "ブック: ディスク\nアルバム: 一枚目\nフォルダ: VIDEO/\n"
                                     "メディア: DISC1");

    type("金閣寺");
    EXPECT_EQ(window().resultPanel()->text(), "ブック: 旅行　アルバム: 京都　フォルダ: " + videos);
}

TEST_F(SearchWindowTest, EnterOpensTheFirstResultInItsAlbumWithThatVideoCurrent) {
    startWithBook();
    type("とうきょう");
    ASSERT_EQ(cellTitles(), (QStringList{"とうきょう.mp4"}));
    QTest::keyClick(window().field(), Qt::Key_Return);
    waitForAlbum();
    EXPECT_TRUE(albumWindow.isVisible());
    EXPECT_FALSE(bookWindow.isVisible());
    EXPECT_EQ(session.albumIndex(), 0);
    EXPECT_EQ(albumWindow.windowTitle(), " アルバム　 ～ 東京 ～　　　3 files");
    // Row 2: the blank line is not a row.
    EXPECT_EQ(albumWindow.currentVideo(), 2);
    EXPECT_EQ(albumWindow.album().entry(2), videos + "とうきょう.mp4");

    // Another album of the same book: the open one is closed first, the new one current.
    type("金閣寺");
    QSignalSpy ready(&albumWindow, &AlbumWindow::albumReady);
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(window().field(), Qt::Key_Down);
    EXPECT_EQ(grid()->currentIndex(), 0);
    EXPECT_EQ(window().focusWidget(), grid());
    QTest::keyClick(grid(), Qt::Key_Return);
    ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
    EXPECT_EQ(session.albumIndex(), 1);
    EXPECT_EQ(albumWindow.currentVideo(), 0);
}

TEST_F(SearchWindowTest, OpeningSwitchesModeAndBookSavingTheBookLeftAndShiftEnterPlays) {
    const QString root = volumes.mount(kMediumDvd, 0xCAFE, "DISC1");
    QDir().mkpath(root + "VIDEO");
    QFile::copy(QStringLiteral(TAVIMO_FIXTURE_DIR "/mp4_h264_640x480.mp4"),
                root + "VIDEO/大阪駅.mp4");
    QFile::copy(QStringLiteral(TAVIMO_FIXTURE_DIR "/mp4_h264_640x480.mp4"),
                root + "VIDEO/東京駅.mp4");
    startWithBook();
    // A change of the book being left, not yet written.
    session.setSaveDelay(60000);
    session.book().renameAlbum(1, "奈良");
    ASSERT_TRUE(session.hasPendingSaves());

    QSignalSpy played(albumWindow.actions().play, &QAction::triggered);
    type("大阪駅");
    QTest::keyClick(window().field(), Qt::Key_Return, Qt::ShiftModifier);
    waitForAlbum();
    EXPECT_EQ(played.count(), 1);
    EXPECT_EQ(session.mode(), BookMode::Media);
    EXPECT_TRUE(bookWindow.actions().mediaMode->isChecked());
    EXPECT_EQ(session.bookPaths().title, "ディスク");
    EXPECT_EQ(state.lastMediaBook, "ディスク");
    EXPECT_EQ(albumWindow.currentVideo(), 1);
    EXPECT_EQ(albumWindow.album().driveRoot(), root);
    EXPECT_EQ(textfile::readLines(library() + "旅行.book"), (QStringList{"東京", "奈良"}));
    // The index followed the rename.
    type("奈良");
    EXPECT_EQ(cellTitles(), (QStringList{"奈良"}));
}

TEST_F(SearchWindowTest, AVideoOnAMediumNotMountedSaysWhichMediumToInsert) {
    startWithBook();
    type("東京駅");
    dialogs.answer(DialogService::Answer::Ok);
    QTest::keyClick(grid(), Qt::Key_Return);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first(),
              "「東京駅.mp4」はメディアが接続されていないため開けません。\r\n"
              "メディア「DISC1」（シリアル番号 0000-CAFE）を挿入してください。");
    EXPECT_FALSE(albumWindow.isVisible());
    EXPECT_EQ(session.bookPaths().title, "旅行"); // nothing was switched
    EXPECT_EQ(session.mode(), BookMode::Normal);
}

TEST_F(SearchWindowTest, KeysMoveBetweenTextAndResultsAndEscCloses) {
    startWithBook();
    type("mp4");
    ASSERT_EQ(grid()->count(), 6);
    QTest::keyClick(window().field(), Qt::Key_Down);
    EXPECT_EQ(grid()->currentIndex(), 0);
    EXPECT_EQ(window().focusWidget(), grid());
    QTest::keyClick(grid(), Qt::Key_Right);
    EXPECT_EQ(grid()->currentIndex(), 1);
    QTest::keyClick(grid(), Qt::Key_Left);
    EXPECT_EQ(grid()->currentIndex(), 0);
    // From the top row, Up goes back to the text.
    QTest::keyClick(grid(), Qt::Key_Up);
    EXPECT_EQ(window().focusWidget(), window().field());

    QTest::keyClick(&window(), Qt::Key_Escape);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(albumWindow.isVisible());
}

TEST_F(SearchWindowTest, ManyResultsAreMadeIntoCellsAPageAtATime) {
    QStringList many;
    for (int i = 0; i < SearchWindow::kPage * 2 + 10; ++i)
        many.append(QStringLiteral("/v/clip %1.avi").arg(i));
    writeBook("大量", {"全部"});
    writeAlbum("大量", "全部", many);
    startWithBook();
    window().resize(400, 300);
    type("clip");
    EXPECT_EQ(window().windowTitle(),
              QStringLiteral("検索 ～ clip ～ %1 件").arg(SearchWindow::kPage * 2 + 10));
    EXPECT_EQ(grid()->count(), SearchWindow::kPage);
    // Scrolled to the end, the next page comes.
    QScrollBar* bar = grid()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(grid()->count(), SearchWindow::kPage * 2);
    // Walking off the end makes the rest.
    grid()->select(grid()->lastIndex());
    QTest::keyClick(grid(), Qt::Key_Right);
    EXPECT_EQ(grid()->count(), SearchWindow::kPage * 2 + 10);
    EXPECT_EQ(grid()->currentIndex(), SearchWindow::kPage * 2);
    EXPECT_EQ(grid()->cellAt(SearchWindow::kPage * 2)->title(),
              QStringLiteral("clip %1.avi").arg(SearchWindow::kPage * 2));
}

TEST_F(SearchWindowTest, TheIndexFollowsSavesAndTheWindowKeepsItsPlace) {
    startWithBook();
    type("京都");
    EXPECT_EQ(cellTitles(), (QStringList{"京都"}));
    grid()->setCurrentIndex(0);
    // An album added and saved is found without a rebuild; the current result stays.
    BookAlbum added;
    added.name = "京都の秋";
    added.entries = {videos + "紅葉.mp4"};
    session.book().appendAlbum(added);
    ASSERT_TRUE(session.flush());
    EXPECT_EQ(cellTitles(), (QStringList{"京都", "京都の秋"}));
    EXPECT_EQ(grid()->currentIndex(), 0);
    EXPECT_EQ(window().windowTitle(), "検索 ～ 京都 ～ 2 件");
    // Romaji matches once the readings are loaded.
    type("toukyou");
    EXPECT_EQ(cellTitles(), (QStringList{"東京", "東京駅.mp4", "東京タワー.mp4", "とうきょう.mp4",
                                         "夜の東京.mp4"}));
}

TEST_F(SearchWindowTest, StatusBarShowsBuildingThenUnreadableAlbums) {
    // An album file that is a folder cannot be read: it is counted, the rest is found.
    QFile::remove(AlbumPaths::of(BookPaths::of(library(), "ディスク"), "一枚目").album);
    QDir().mkpath(AlbumPaths::of(BookPaths::of(library(), "ディスク"), "一枚目").album);
    command->start();
    command->show();
    EXPECT_TRUE(
        window().indexPanel()->text().startsWith(QString::fromUtf16(searchwindowtexts::kBuilding)));
    EXPECT_TRUE(window().progressBar()->isVisible());
    QSignalSpy built(&command->search(), &LibrarySearch::built);
    ASSERT_TRUE(built.wait(30000));
    EXPECT_EQ(window().indexPanel()->text(), "1 件のアルバムを読めませんでした");
    EXPECT_FALSE(window().progressBar()->isVisible());
    type("金閣寺");
    EXPECT_EQ(cellTitles(), (QStringList{"金閣寺.mp4"}));
}

TEST_F(SearchWindowTest, SizeAndPlaceAreKeptInASectionOfTheirOwn) {
    writeTestFile(state.settingsPath(), "[form]\r\nwidth=700\r\n[search]\r\nleft=x\r\n");
    command->storePlace(); // never shown: the section stays as it is
    ASSERT_TRUE(saveSettingsFile(state));
    IniFile file;
    ASSERT_TRUE(file.load(state.settingsPath()));
    EXPECT_EQ(file.value("search", "left"), QStringLiteral("x"));
    EXPECT_FALSE(file.value("search", "width"));
    command->show();
    window().setGeometry(30, 40, 500, 360);
    command->storePlace();
    ASSERT_TRUE(saveSettingsFile(state));
    const QString ini = QString::fromLatin1(readTestFile(state.settingsPath()));
    EXPECT_TRUE(ini.contains("[search]\r\nleft=30\r\ntop=40\r\nwidth=500\r\nheight=360\r\n"));

    // The next start reads it with the other settings.
    state.searchWindow = {};
    ASSERT_TRUE(file.load(state.settingsPath()));
    readSettings(file, state);
    command = makeCommand(nullptr);
    command->show();
    EXPECT_EQ(window().size(), QSize(500, 360));
}

TEST_F(SearchWindowTest, TheCommandWorksInBothModesWithoutABookAndADoubleClickOpens) {
    // Media mode, no book open: the command is there and the window finds every book.
    modes.switchTo(BookMode::Media);
    ASSERT_TRUE(session.switchMode(BookMode::Media)); // closes the book it opened
    bookWindow.show();
    QSignalSpy built(&command->search(), &LibrarySearch::built);
    command->start();
    ASSERT_TRUE(built.wait(30000));
    EXPECT_TRUE(bookWindow.actions().videoSearch->isEnabled());
    bookWindow.actions().videoSearch->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    type("金閣寺");
    ASSERT_EQ(cellTitles(), (QStringList{"金閣寺.mp4"}));

    // A single click only selects; a double click opens, switching to the normal book.
    const QPoint cell = grid()->cellRect(0).center();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_FALSE(albumWindow.isVisible());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell);
    waitForAlbum();
    EXPECT_EQ(session.mode(), BookMode::Normal);
    EXPECT_EQ(session.bookPaths().title, "旅行");
    EXPECT_EQ(albumWindow.album().name(), "京都");
    EXPECT_EQ(albumWindow.currentVideo(), 0);
}
