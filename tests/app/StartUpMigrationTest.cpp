#include "app/AppRoot.h"
#include "core/IniFile.h"
#include "core/JpegCodec.h"
#include "core/Tpackedjpg.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/LoadingWindow.h"
#include "ui/SplashWindow.h"
#include "ui/book/BookWindow.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

const QString kNotice = QStringLiteral("バージョンアップに伴い、縮小画像をパックします。\r\n"
                                       "少々お待ちください。");

// Runs the event loop until the condition holds or the time (ten seconds) has passed.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition() && !deadline.hasExpired())
        QEventLoop().processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

} // namespace

TEST(StartUpMigration, PacksTheEarlierVersionsPicturesBeforeTheBookWindowAppears) {
    QTemporaryDir dir;
    const QString lib = dir.path() + u'/';
    QImage red(160, 120, QImage::Format_RGB888);
    red.fill(Qt::red);
    const QByteArray picture = jpeg::encode(red);
    ASSERT_TRUE(test::writeTestFile(lib + QStringLiteral("Tavimo.ini"), "[ex]\r\nversion=1\r\n"));
    ASSERT_TRUE(test::writeTestFile(lib + QStringLiteral("Movies.book"), "Action\r\n\r\n"));
    ASSERT_TRUE(test::writeTestFile(lib + QStringLiteral("Movies/images/Action.jpg"), picture));

    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    test::FakeVolumeTable volumes;
    AppRoot root(lib, dialogs, volumes);
    root.startUp();
    ASSERT_TRUE(waitFor([&] { return root.bookWindow().isVisible(); }));

    EXPECT_EQ(dialogs.messages(), QStringList{kNotice});
    EXPECT_FALSE(root.loadingWindow().isVisible());
    EXPECT_FALSE(root.splashWindow().isVisible());
    EXPECT_EQ(root.loadingWindow().maximum(), 0);
    EXPECT_EQ(root.loadingWindow().position(), 2);
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(lib + QStringLiteral("Movies/images/Movies.pjpg")));
    ASSERT_EQ(store.count(), 2);
    QByteArray held;
    ASSERT_TRUE(store.getPicture(0, held));
    EXPECT_EQ(held, picture);
    EXPECT_TRUE(store.isEmpty(1));
    EXPECT_FALSE(QFileInfo::exists(lib + QStringLiteral("Movies/images/Action.jpg")));

    // Exit marks the library as packed, so the next start does not ask again.
    root.bookWindow().close();
    IniFile written;
    ASSERT_TRUE(written.load(lib + QStringLiteral("Tavimo.ini")));
    EXPECT_EQ(written.readInteger("ex", "packed", 0), 1);
    EXPECT_EQ(written.readInteger("ex", "version", 0), 1);
}

TEST(StartUpMigration, ALibraryWithoutBooksStartsAtOnce) {
    QTemporaryDir dir;
    const QString lib = dir.path() + u'/';
    ASSERT_TRUE(test::writeTestFile(lib + QStringLiteral("Tavimo.ini"), "[ex]\r\npacked=0\r\n"));
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    test::FakeVolumeTable volumes;
    AppRoot root(lib, dialogs, volumes);
    root.startUp();
    EXPECT_TRUE(root.bookWindow().isVisible());
    EXPECT_FALSE(root.loadingWindow().isVisible());
    EXPECT_EQ(dialogs.messages(), QStringList{kNotice});
}

TEST(StartUpMigration, ClosingWhileTheNoticeWaitsStopsTheMigrationBeforeAnyBook) {
    QTemporaryDir dir;
    const QString lib = dir.path() + u'/';
    QImage red(160, 120, QImage::Format_RGB888);
    red.fill(Qt::red);
    ASSERT_TRUE(test::writeTestFile(lib + QStringLiteral("Tavimo.ini"), "[ex]\r\nversion=1\r\n"));
    for (const QString& title : {QStringLiteral("Movies"), QStringLiteral("Trips")}) {
        ASSERT_TRUE(test::writeTestFile(lib + title + QStringLiteral(".book"), "Action\r\n"));
        ASSERT_TRUE(test::writeTestFile(lib + title + QStringLiteral("/images/Action.jpg"),
                                        jpeg::encode(red)));
    }
    test::ScriptedDialogService dialogs; // the notice is never shown: nothing is scripted
    test::FakeVolumeTable volumes;
    {
        AppRoot root(lib, dialogs, volumes);
        root.startUp();
        // The program ends before the event loop ever showed the notice.
    }
    // A worker left running would go on packing (and reporting to windows that are gone).
    const QString firstStore = lib + QStringLiteral("Movies/images/Movies.pjpg");
    EXPECT_FALSE(waitFor([&] { return QFileInfo::exists(firstStore); }, 1000));
    EXPECT_TRUE(dialogs.messages().isEmpty());
    for (const QString& title : {QStringLiteral("Movies"), QStringLiteral("Trips")}) {
        EXPECT_TRUE(QFileInfo::exists(lib + title + QStringLiteral("/images/Action.jpg")));
        EXPECT_FALSE(QFileInfo::exists(lib + title + QStringLiteral("/images/") + title +
                                       QStringLiteral(".pjpg")));
    }
}
