#include "app/AppRoot.h"
#include "core/IniFile.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "support/BookGrid.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/LoadingWindow.h"
#include "ui/SplashWindow.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"
#include "ui/player/PlayerWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tavimo;
using tavimo::test::ScriptedDialogService;

namespace {

int screenWidth() {
    return QGuiApplication::primaryScreen()->geometry().width();
}

class StartUpAndExit : public ::testing::Test {
protected:
    QString lib() const { return dir.path() + u'/'; }
    QString ini() const { return lib() + QStringLiteral("Tavimo.ini"); }
    QString userex() const { return lib() + QStringLiteral("userex.inf"); }

    QTemporaryDir dir;
    ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
};

} // namespace

TEST_F(StartUpAndExit, FirstRunShowsTheBookWindowAtTheRightEdgeWithNoBook) {
    volumes.mount(kMediumRemovable, 0x1234, QStringLiteral("USB"));
    volumes.mount(kMediumNone, 0, QString());
    AppRoot root(lib(), dialogs, volumes);
    EXPECT_TRUE(root.splashWindow().isVisible());
    EXPECT_FALSE(root.bookWindow().isVisible());
    root.startUp();

    BookWindow& form = root.bookWindow();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(root.splashWindow().isVisible());
    EXPECT_FALSE(root.loadingWindow().isVisible());
    EXPECT_FALSE(root.albumWindow().isVisible());
    EXPECT_FALSE(root.playerWindow().isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tavimo"));
    EXPECT_EQ(form.size(), QSize(640, 480));
    EXPECT_EQ(form.pos(), QPoint(screenWidth() - 644, 0));
    EXPECT_EQ(root.state().drives.size(), 2);
    EXPECT_EQ(root.state().selectedDrive, 1);

    // No-book menu state: album commands and saving off; creating a book and exiting on.
    const BookActions& a = form.actions();
    for (QAction* off : {a.openAlbum, a.deleteAlbum, a.saveBook, a.save, a.selectNext,
                         a.favouritesMenu->menuAction()})
        EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
    for (QAction* on : {a.newBook, a.exit, a.addAlbum, a.importInBackground})
        EXPECT_TRUE(on->isEnabled()) << on->text().toStdString();
    for (QAction* item : a.albumMenu->actions())
        EXPECT_FALSE(item->isEnabled());
    EXPECT_FALSE(a.mediumInAlbumMenu->isVisible());
    EXPECT_TRUE(a.normalMode->isChecked());

    a.exit->trigger();
    EXPECT_FALSE(form.isVisible());
    const QStringList lines = textfile::readLines(ini()).value_or(QStringList());
    EXPECT_EQ(lines.size(), 50);
    IniFile written(lines);
    EXPECT_EQ(written.readInteger("form", "left", 0), screenWidth() - 644);
    EXPECT_EQ(written.readString("capture", "dir", {}), dir.path());
    EXPECT_EQ(written.readInteger("ex", "packed", 0), 1);
    // A new library: its user list of today's containers, written when it started, kept at exit.
    EXPECT_EQ(textfile::readLines(userex()), root.state().extensions.user());
    EXPECT_TRUE(root.state().extensions.isVideo(QStringLiteral("/v/clip.webm")));
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(StartUpAndExit, TheEmptyGridSaysWhatToDoFirstUntilTheFirstAlbum) {
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    ScrollBox& grid = test::bookGrid(root.bookWindow());
    EXPECT_TRUE(grid.emptyHint().contains(QStringLiteral("ブックの新規作成")));
    EXPECT_TRUE(root.albumWindow().grid()->emptyHint().contains(QStringLiteral("ドロップ")));

    dialogs.answer(QStringLiteral("棚"));
    root.bookWindow().actions().newBook->trigger();
    ASSERT_TRUE(root.session().bookOpen());
    EXPECT_TRUE(grid.emptyHint().contains(QStringLiteral("アルバムを追加")));

    // The font colour is the hint's colour; the first album's cell takes the hint away.
    grid.setBackgroundColor(Qt::white);
    grid.setFontColor(Qt::blue);
    auto bluePixelsBelowTheFirstRow = [&] {
        const QImage image = grid.viewport()->grab().toImage();
        int n = 0;
        for (int y = image.height() / 3; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                n += qBlue(p) - std::max(qRed(p), qGreen(p)) > 100;
            }
        return n;
    };
    EXPECT_GT(bluePixelsBelowTheFirstRow(), 50);
    dialogs.answer(QStringLiteral("海"));
    root.bookWindow().actions().addAlbum->trigger();
    ASSERT_EQ(grid.count(), 1);
    EXPECT_EQ(bluePixelsBelowTheFirstRow(), 0);

    // Closing the book (the mode switch) brings back the first hint.
    root.bookWindow().actions().mediaMode->trigger();
    EXPECT_FALSE(root.session().bookOpen());
    EXPECT_TRUE(grid.emptyHint().contains(QStringLiteral("ブックの新規作成")));
    EXPECT_GT(bluePixelsBelowTheFirstRow(), 50);
}

TEST_F(StartUpAndExit, SettingsAreAppliedAsReadAndWrittenBackWithForeignKeys) {
    ASSERT_TRUE(test::writeTestFile(
        ini(), "[form]\r\nwidth=700\r\nheight=300\r\nautosize=1\r\nmode=1\r\n"
               "[text]\r\nbook=Gone\r\nvideodir=/no/such/folder\r\nplname=/usr/bin/mpv\r\n"
               "[form2]\r\nwidth=500\r\n"
               "[form4]\r\nwidth=320\r\nheight=200\r\nleft=10\r\ntop=20\r\n"
               "[value]\r\naspect=9\r\n[ex]\r\npacked=1\r\nmixer=1\r\n"
               "[capture]\r\nsilent=0\r\n[plugin]\r\nx=1\r\n"));
    dialogs.answer(DialogService::Answer::Ok);
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();

    EXPECT_EQ(dialogs.messages(),
              QStringList{lib() + QStringLiteral("Gone.book が見つかりません!")});
    EXPECT_FALSE(root.session().bookOpen());
    BookWindow& form = root.bookWindow();
    EXPECT_EQ(form.pos(), QPoint(screenWidth() - 704, 0));
    EXPECT_EQ(form.size(), QSize(700, 300));
    EXPECT_TRUE(form.actions().autoHeight->isChecked());
    EXPECT_TRUE(form.actions().smallCells->isChecked());
    EXPECT_FALSE(form.actions().largeCells->isChecked());
    EXPECT_TRUE(form.actions().fixVideoDisplay->isChecked());
    EXPECT_FALSE(form.actions().captureSilent->isChecked());
    EXPECT_EQ(root.albumWindow().x(), screenWidth() - 504);
    EXPECT_EQ(root.albumWindow().size(), QSize(500, 640));
    EXPECT_EQ(root.playerWindow().geometry(), QRect(10, 20, 320, 200));
    EXPECT_TRUE(root.state().videoFolder.isEmpty());

    form.close();
    IniFile written;
    ASSERT_TRUE(written.load(ini()));
    EXPECT_EQ(written.readString("text", "book", QStringLiteral("x")), QString());
    EXPECT_EQ(written.readString("text", "videodir", QStringLiteral("x")), QString());
    EXPECT_EQ(written.readString("text", "plname", {}), QStringLiteral("/usr/bin/mpv"));
    EXPECT_EQ(written.readInteger("value", "aspect", 0), 9);
    EXPECT_EQ(written.readInteger("form4", "left", 0), 10);
    EXPECT_EQ(written.readInteger("form4", "height", 0), 200);
    EXPECT_EQ(written.readInteger("form", "mode", 0), 1);
    EXPECT_EQ(written.readInteger("capture", "silent", 1), 0);
    EXPECT_EQ(written.readString("plugin", "x", {}), QStringLiteral("1"));
}

TEST_F(StartUpAndExit, AddedExtensionsAreListedAndSavedAtExit) {
    ASSERT_TRUE(test::writeTestFile(userex(), "\r\n.vob\r\n\r\n"));
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    BookWindow& form = root.bookWindow();
    EXPECT_EQ(form.actions().addExtension->statusTip(),
              QStringLiteral("再生可能な動画なのにアルバムに追加できない場合、その拡張子を登録す"
                             "れば追加可能になります"));

    dialogs.answer(QStringLiteral("TS"));
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(QStringLiteral(".M2ts"));
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(QStringLiteral("ts"));
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(std::monostate{}); // cancelled: nothing added, nothing said
    dialogs.answer(QString());        // empty: the same
    for (int i = 0; i < 5; ++i)
        form.actions().addExtension->trigger();
    EXPECT_TRUE(dialogs.allAnswersUsed());
    EXPECT_EQ(dialogs.messages(), QStringList(3, QStringLiteral("登録完了(^。^)")));
    EXPECT_EQ(dialogs.asked().first().text, QStringLiteral("対応拡張子の追加"));
    EXPECT_TRUE(root.state().extensions.isVideo(QStringLiteral("/v/a.M2TS")));

    form.close();
    EXPECT_EQ(test::readTestFile(userex()), QByteArray(".vob\r\n.ts\r\n.m2ts\r\n.ts\r\n"));
}

TEST_F(StartUpAndExit, FailedSettingsWriteIsShownKeepsTheOldFileAndStillExits) {
    const QByteArray old = "[form]\r\nwidth=640\r\n[ex]\r\npacked=1\r\n";
    ASSERT_TRUE(test::writeTestFile(ini(), old));
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    dialogs.answer(DialogService::Answer::Ok);

    {
        test::FileSizeLimit fullDisk(64);
        root.bookWindow().close();
    }

    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().contains(QStringLiteral("Tavimo.ini")));
    EXPECT_EQ(test::readTestFile(ini()), old);
    EXPECT_FALSE(root.bookWindow().isVisible());
    EXPECT_EQ(test::readTestFile(userex()), QByteArray()); // the rest of the exit went on
}

TEST_F(StartUpAndExit, MaximisedPlayerIsStoredWithItsRestoredBounds) {
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    PlayerWindow& player = root.playerWindow();
    player.move(30, 40);
    player.resize(400, 300);
    player.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    const QRect restored = player.restoredBounds();
    player.showMaximized();
    QTest::qWait(50);
    ASSERT_NE(player.size(), QSize(400, 300));
    EXPECT_EQ(player.restoredBounds(), restored);

    root.bookWindow().close();
    IniFile written;
    ASSERT_TRUE(written.load(ini()));
    EXPECT_EQ(written.readInteger("form4", "width", 0), 400);
    EXPECT_EQ(written.readInteger("form4", "height", 0), 300);
    EXPECT_EQ(written.readInteger("form4", "left", 0), restored.x());
    EXPECT_EQ(written.readInteger("form4", "top", 0), restored.y());
}

TEST_F(StartUpAndExit, ReadOnlyLibraryFolderKeepsTheOldFilesAndSaysSo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the full-disk test covers root";
    const QByteArray old = "[form]\r\nwidth=640\r\n[ex]\r\npacked=1\r\n";
    ASSERT_TRUE(test::writeTestFile(ini(), old));
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    root.bookWindow().close();
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_TRUE(dialogs.messages().at(0).contains(QStringLiteral("Tavimo.ini")));
    EXPECT_TRUE(dialogs.messages().at(1).contains(QStringLiteral("userex.inf")));
    EXPECT_EQ(test::readTestFile(ini()), old);
}
