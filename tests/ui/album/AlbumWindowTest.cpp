#include "ui/album/AlbumWindow.h"

#include "core/AppState.h"
#include "core/CellGeometry.h"
#include "core/Colors.h"
#include "core/ImageFunc.h"
#include "core/JpegCodec.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "media/Fixtures.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/grid/ScrollBox.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::media::test::fixture;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

class AlbumWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.wire({});
        state.libraryFolder = dir.path() + u'/';
        book = BookPaths::of(state.libraryFolder, QStringLiteral("本"));
        QDir().mkpath(book.imagesFolder);
        videos = dir.path() + QStringLiteral("/videos/");
        QDir().mkpath(videos);
        paths = AlbumPaths::of(book, QStringLiteral("旅"));
    }

    // A copy of a fixture under a name of the test's own.
    QString video(const QString& name, const QString& from = "mp4_h264_640x480.mp4") {
        QFile::copy(fixture(from), videos + name);
        return videos + name;
    }

    // A book "本" whose one album "旅" holds these entries, opened by the session as the book
    // window's open does.
    void prepare(const QStringList& entries) {
        ASSERT_TRUE(textfile::writeLines(book.bookFile, {QStringLiteral("旅")}));
        ASSERT_TRUE(textfile::writeLines(paths.album, entries));
        ASSERT_EQ(session.loadBook(QStringLiteral("本")), Book::LoadResult::Loaded);
        ASSERT_TRUE(session.openAlbum(0));
    }

    // Shows the album and waits until its pictures are complete.
    void show(const QStringList& entries, bool folderSync = false) {
        prepare(entries);
        QSignalSpy ready(&form, &AlbumWindow::albumReady);
        form.showAlbum(folderSync);
        EXPECT_FALSE(form.isBusy()); // pictures made at show time leave the album usable
        ASSERT_TRUE(ready.count() > 0 || ready.wait(30000));
        EXPECT_FALSE(form.isBusy());
    }

    void add(const QStringList& files) {
        QSignalSpy added(&form, &AlbumWindow::filesAdded);
        form.addFiles(files);
        EXPECT_TRUE(form.isBusy());
        ASSERT_TRUE(added.wait(30000));
        EXPECT_FALSE(form.isBusy());
    }

    void storePictures(const QList<QImage>& pictures) {
        Tpackedjpg store;
        for (const QImage& picture : pictures)
            store.addBitmap(picture);
        ASSERT_TRUE(store.saveToFile(paths.storeBase));
    }

    // The saved files, once the session wrote what is pending.
    QByteArray saved(const QString& path) {
        session.flush();
        return readTestFile(path);
    }

    Tpackedjpg savedStore() {
        session.flush();
        Tpackedjpg store;
        EXPECT_TRUE(store.loadFromFile(paths.store));
        return store;
    }

    QStringList titles() const {
        QStringList result;
        for (int i = 0; form.cellAt(i) != nullptr; ++i)
            result.append(form.cellAt(i)->title());
        return result;
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
    AlbumWindow form{session, state, dialogs};
    BookPaths book;
    QString videos;
    AlbumPaths paths;
    const QImage redPicture = imagefunc::solidBitmap(120, 90, Qt::red);
    const QImage greenPicture = imagefunc::solidBitmap(120, 90, Qt::green);
    const QImage bluePicture = imagefunc::solidBitmap(120, 90, Qt::blue);
    const QString question =
        QStringLiteral("は縮小画像を作成できませんでした。このファイルを除外しますか？");
};

QColor centre(const QByteArray& jpeg) {
    return jpeg::decode(jpeg).pixelColor(60, 45);
}

bool nearColour(const QColor& got, const QColor& want) {
    return std::abs(got.red() - want.red()) < 40 && std::abs(got.green() - want.green()) < 40 &&
           std::abs(got.blue() - want.blue()) < 40;
}

} // namespace

TEST_F(AlbumWindowTest, StoredPicturesAreShownAndMissingOnesAreMadeAtShowTime) {
    const QStringList entries{video("a.mp4"), video("b.mp4"), video("c.mp4")};
    writeTestFile(paths.album, entries.join("\r\n").toUtf8() + "\r\n");
    storePictures({redPicture, QImage(), bluePicture}); // b has no picture yet
    writeTestFile(paths.marks, "5\r\n6\r\n7\r\n");
    writeTestFile(paths.counts, "1\r\n2\r\n3\r\n");

    show(entries);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" アルバム　 ～ 旅 ～　　　3 files"));
    EXPECT_EQ(form.currentVideo(), 0);
    EXPECT_EQ(form.cellAt(2)->bookmark(), 7);
    EXPECT_EQ(form.cellAt(2)->playCount(), 3);
    EXPECT_TRUE(nearColour(form.cellAt(0)->picture().image().pixelColor(60, 45), Qt::red));
    EXPECT_FALSE(form.cellAt(1)->picture().isNull());

    // The made picture is in the saved store; the stored ones are untouched.
    Tpackedjpg store = savedStore();
    ASSERT_EQ(store.count(), 3);
    QByteArray made;
    ASSERT_TRUE(store.getPicture(1, made));
    EXPECT_EQ(jpeg::decode(made).size(), QSize(120, 90));
    QByteArray kept;
    ASSERT_TRUE(store.getPicture(2, kept));
    EXPECT_TRUE(nearColour(centre(kept), Qt::blue));
    EXPECT_EQ(saved(paths.marks), "5\r\n6\r\n7\r\n");
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(AlbumWindowTest, ADeletedFileIsDroppedButAnUnreachableFolderIsKept) {
    const QString away = dir.path() + "/unplugged/movie.mp4";
    const QStringList entries{video("a.mp4"), videos + "deleted.mp4", video("c.mp4"), away};
    writeTestFile(paths.album, entries.join("\r\n").toUtf8() + "\r\n");
    storePictures({redPicture, greenPicture, bluePicture, redPicture});
    writeTestFile(paths.marks, "1\r\n2\r\n3\r\n4\r\n");

    show(entries);
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "c.mp4", "movie.mp4"}));
    const QStringList left{entries.at(0), entries.at(2), away};
    EXPECT_EQ(saved(paths.album), left.join("\r\n").toUtf8() + "\r\n");
    EXPECT_EQ(saved(paths.marks), "1\r\n3\r\n4\r\n");
    EXPECT_EQ(saved(paths.counts), "0\r\n0\r\n0\r\n");
    EXPECT_EQ(session.entriesOf(0), left);
    Tpackedjpg store = savedStore();
    ASSERT_EQ(store.count(), 3);
    QByteArray picture;
    ASSERT_TRUE(store.getPicture(1, picture));
    EXPECT_TRUE(nearColour(centre(picture), Qt::blue)); // c kept its own picture
}

TEST_F(AlbumWindowTest, AFolderAlbumFollowsItsFolderOnShow) {
    const QStringList entries{video("a.mp4"), videos + "b.mp4", video("c.mp4")};
    storePictures({redPicture, greenPicture, bluePicture});
    video("e.mp4");
    video("D.mkv", "mkv_h264_720x480_16x9.mkv");
    show(entries, true);
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "c.mp4", "D.mkv", "e.mp4"}));
    EXPECT_EQ(form.cellAt(3)->bookmark(), 0);
    Tpackedjpg store = savedStore();
    ASSERT_EQ(store.count(), 4);
    QByteArray picture;
    ASSERT_TRUE(store.getPicture(1, picture));
    EXPECT_TRUE(nearColour(centre(picture), Qt::blue));
    ASSERT_TRUE(store.getPicture(3, picture)); // made for the newcomer
    EXPECT_FALSE(jpeg::decode(picture).isNull());
}

TEST_F(AlbumWindowTest, TheExclusionQuestionDecidesWhetherAnUnreadableFileIsAdded) {
    show({});
    const QString broken = video("broken.mpg", "text.mpg");
    const QString partial = video("odd.avi", "no_decoder.avi");

    dialogs.answer(DialogService::Answer::Yes); // leave it out
    add({video("a.mp4"), broken});
    EXPECT_EQ(titles(), QStringList{"a.mp4"});
    EXPECT_EQ(dialogs.messages(), QStringList{"broken.mpg" + question});

    dialogs.answer(DialogService::Answer::No); // keep it, black
    add({partial, video("b.mp4")});
    EXPECT_EQ(titles(), (QStringList{"a.mp4", "odd.avi", "b.mp4"}));
    EXPECT_EQ(dialogs.messages().last(), partial + question); // a partial build names the path
    EXPECT_EQ(centre(form.album().pictureBytes(1)), QColor(Qt::black));
    EXPECT_EQ(form.currentVideo(), 2);
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" アルバム　 ～ 旅 ～　　　3 files"));

    state.skipUnreadable = true; // "読み込めないファイルは登録しない"
    dialogs.clear();
    add({video("broken2.mpg", "text.mpg")});
    EXPECT_EQ(form.album().count(), 3);
    EXPECT_TRUE(dialogs.asked().isEmpty());

    EXPECT_EQ(saved(paths.counts), "0\r\n0\r\n0\r\n");
    EXPECT_EQ(savedStore().count(), 3);
    EXPECT_FALSE(form.progressBar()->isVisible());
}

TEST_F(AlbumWindowTest, ARefreshOfAnUnreadableFileKeepsTheOldPictureAndAsksNothing) {
    const QString path = video("a.mp4");
    storePictures({redPicture});
    show({path});
    QFile::remove(path);
    QFile::copy(fixture("text.mpg"), path);

    QSignalSpy refreshed(&form, &AlbumWindow::pictureRefreshed);
    form.actions().refreshPicture->trigger();
    EXPECT_TRUE(form.isRefreshing());
    EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral(" 縮小画像作成中・・・・・・"));
    ASSERT_TRUE(refreshed.wait(30000));
    EXPECT_FALSE(form.isRefreshing());
    EXPECT_TRUE(dialogs.asked().isEmpty());
    EXPECT_TRUE(nearColour(centre(form.album().pictureBytes(0)), Qt::red));
    EXPECT_TRUE(form.statusPanel(1)->text().isEmpty());

    // Readable again: the refresh takes the frame.
    QFile::remove(path);
    QFile::copy(fixture("mp4_h264_640x480.mp4"), path);
    form.actions().refreshPicture->trigger();
    ASSERT_TRUE(refreshed.wait(30000));
    QByteArray stored;
    ASSERT_TRUE(savedStore().getPicture(0, stored));
    EXPECT_TRUE(nearColour(jpeg::decode(stored).pixelColor(30, 67), Qt::blue));
}

TEST_F(AlbumWindowTest, PicturesComeFromFilesTheClipboardAndGoToTheBook) {
    storePictures({redPicture});
    show({video("a.mp4")});

    const QString notJpeg = dir.path() + "/not.jpg";
    writeTestFile(notJpeg, "plain text");
    dialogs.answer(notJpeg);
    dialogs.answer(DialogService::Answer::Ok);
    form.actions().pictureFromFile->trigger();
    EXPECT_EQ(dialogs.messages().last(), notJpeg + QStringLiteral(" は読み込めません"));
    EXPECT_TRUE(nearColour(centre(form.album().pictureBytes(0)), Qt::red));

    const QString wide = dir.path() + "/wide.jpg";
    writeTestFile(wide, jpeg::encode(imagefunc::solidBitmap(720, 480, Qt::green)));
    dialogs.answer(wide);
    form.actions().pictureFromFile->trigger();
    const QImage fitted = jpeg::decode(form.album().pictureBytes(0));
    EXPECT_TRUE(nearColour(fitted.pixelColor(60, 45), Qt::green));
    EXPECT_TRUE(nearColour(fitted.pixelColor(60, 1), Qt::black)); // bands above and below
    QByteArray stored;
    ASSERT_TRUE(savedStore().getPicture(0, stored));
    EXPECT_TRUE(nearColour(centre(stored), Qt::green));

    QGuiApplication::clipboard()->setImage(imagefunc::solidBitmap(64, 48, Qt::blue));
    form.actions().pictureFromClipboard->trigger();
    EXPECT_TRUE(nearColour(centre(form.album().pictureBytes(0)), Qt::blue));

    form.actions().setAlbumPicture->trigger();
    EXPECT_EQ(session.book().album(0).jpeg, form.album().pictureBytes(0));
}

TEST_F(AlbumWindowTest, TheProgressBarStopsAt127AndClosingWaitsForTheWork) {
    show({video("a.mp4")});
    form.startProgress(199);
    EXPECT_TRUE(form.progressBar()->isVisible());
    form.stepProgress(120);
    EXPECT_EQ(form.progressBar()->value(), 120);
    form.stepProgress(127);
    form.stepProgress(150);
    EXPECT_EQ(form.progressBar()->value(), 127);
    form.startProgress(3);
    form.stepProgress(5); // never past the maximum
    EXPECT_EQ(form.progressBar()->value(), 3);
    form.endProgress();

    QSignalSpy added(&form, &AlbumWindow::filesAdded);
    QSignalSpy closed(&form, &AlbumWindow::closed);
    form.addFiles({video("b.mp4")});
    EXPECT_FALSE(form.close()); // busy: refused
    EXPECT_TRUE(form.isVisible());
    ASSERT_TRUE(added.wait(30000));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(session.albumOpen());
    EXPECT_EQ(form.grid()->count(), 0);
    EXPECT_EQ(form.album().count(), 0);
}

TEST_F(AlbumWindowTest, AWheelNotchOverTheFocusedGridScrollsOneLine) {
    prepare({});
    for (int i = 0; i < 60; ++i)
        form.album().append(videos + QStringLiteral("%1.mp4").arg(i), {});
    form.resize(500, 400);
    form.show();
    form.layOutGrid();
    ASSERT_GT(form.grid()->verticalScrollBar()->maximum(), 0);
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.grid()->setFocus();
    ASSERT_TRUE(form.grid()->hasFocus());
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.grid()->viewport(), &wheel);
    EXPECT_EQ(form.grid()->verticalScrollBar()->value(),
              form.grid()->verticalScrollBar()->singleStep());
}

TEST_F(AlbumWindowTest, TheCellMenuShowsTheKeysThatTheWindowStillAnswers) {
    show({video("a.mp4")});
    EXPECT_EQ(form.actions().deleteFileEntry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(form.actions().openFolderEntry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QSignalSpy deleted(form.actions().deleteFile, &QAction::triggered);
    QSignalSpy opened(form.actions().openFolder, &QAction::triggered);
    QTest::keyClick(form.grid(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(form.grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(AlbumWindowTest, WithTheAutomaticHeightTheWholeAlbumShowsWithoutEmptyRowsBelow) {
    state.bookWindow.autoHeight = true;
    show({video("a.mp4"), video("b.mp4"), video("c.mp4")});
    const ScrollBox& grid = *form.grid();
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 0);
    EXPECT_LT(grid.viewport()->height() - grid.contentBottom(), gridPitch(kLargeCells).height());
}

TEST_F(AlbumWindowTest, EditingCommandsSwitchTogetherAndSettingsApply) {
    form.disableEditing();
    const AlbumActions& a = form.actions();
    for (QAction* action :
         {a.deleteVideo, a.moveBack, a.moveForward, a.pictureFromFile, a.openFiles,
          a.pictureFromClipboard, a.sortByPlayCount, a.sortByName, a.deleteFile, a.setAlbumPicture,
          a.refreshPicture, a.openFolderEntry, a.moveToFront, a.moveToEnd, a.deleteFileEntry})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_FALSE(form.toolBar()->folderButton->isEnabled());
    EXPECT_TRUE(form.actions().play->isEnabled());
    form.enableEditing();
    EXPECT_TRUE(form.actions().deleteVideo->isEnabled());

    state.albumWindow.sizeMode = 1;
    state.albumWindow.toolbarImage = 14;
    state.albumWindow.color = colors::toStored(QColor(10, 20, 30));
    form.applySetting(SettingKey::Form2Mode);
    form.applySetting(SettingKey::Form2Toolbar);
    form.applySetting(SettingKey::Form2Color);
    EXPECT_EQ(form.grid()->sizeMode(), kSmallCells);
    EXPECT_EQ(form.toolBarArea(form.toolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(form.grid()->backgroundColor(), QColor(10, 20, 30));
    form.storeGeometry();
    EXPECT_EQ(state.albumWindow.toolbarImage, 14);
    EXPECT_EQ(state.albumWindow.sizeMode, 1);
    EXPECT_TRUE(form.openDialogFilter().startsWith(QStringLiteral("ビデオファイル (*.avi *.mpg")));
}
