// What the program saves when the desktop's session ends or a stop signal comes.
#include "app/AppRoot.h"
#include "core/LibrarySession.h"
#include "core/TextFile.h"
#include "support/FakeVolumeTable.h"
#include "support/OneAlbumBook.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/book/BookWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class StopSequence : public ::testing::Test {
protected:
    QString lib() const { return dir.path() + u'/'; }
    QString ini() const { return lib() + QStringLiteral("Tavimo.ini"); }

    QTemporaryDir dir;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
};

} // namespace

TEST_F(StopSequence, TheEndOfTheSessionSavesWhatIsPendingAndTheProgramGoesOn) {
    ASSERT_TRUE(test::writeOneAlbumBook(lib()));
    ASSERT_TRUE(test::writeTestFile(ini(), "[text]\r\nbook=\x96\x7b\r\n[ex]\r\npacked=1\r\n"));
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    LibrarySession& session = root.session();
    ASSERT_TRUE(session.openAlbum(0));
    session.album().append(QStringLiteral("/videos/a.mp4"), {}, 0, 7);
    ASSERT_TRUE(session.hasPendingSaves()); // due in a moment, not yet written
    const QString counts = session.album().paths().counts;

    root.saveAll();
    EXPECT_FALSE(session.hasPendingSaves());
    EXPECT_EQ(textfile::readLines(counts), QStringList{QStringLiteral("7")});
    EXPECT_TRUE(QFile::exists(ini()));
    EXPECT_TRUE(session.albumOpen()) << "the program goes on";
    EXPECT_TRUE(root.bookWindow().isVisible());
    EXPECT_TRUE(root.bookWindow().acceptDrops());

    // A stop afterwards runs the exit sequence, once.
    session.album().setPlayCount(0, 8);
    ASSERT_TRUE(QFile::remove(ini()));
    root.stopSequence();
    EXPECT_EQ(textfile::readLines(counts), QStringList{QStringLiteral("8")});
    EXPECT_TRUE(QFile::exists(ini()));
    ASSERT_TRUE(QFile::remove(ini()));
    root.stopSequence();
    EXPECT_FALSE(QFile::exists(ini()));
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(StopSequence, AStopBeforeStartUpEndedOrAfterTheExitWritesNothing) {
    {
        AppRoot root(lib(), dialogs, volumes);
        root.stopSequence();
        EXPECT_FALSE(QFile::exists(ini()));
        EXPECT_FALSE(QFile::exists(lib() + QStringLiteral("userex.inf")));
    }
    AppRoot root(lib(), dialogs, volumes);
    root.startUp();
    root.bookWindow().close(); // ファイル → 終了 does the same
    ASSERT_TRUE(QFile::exists(ini()));
    ASSERT_TRUE(QFile::remove(ini()));
    root.stopSequence();
    EXPECT_FALSE(QFile::exists(ini()));
}
