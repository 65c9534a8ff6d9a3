#include "core/ThumbnailMigration.h"

#include "core/JpegCodec.h"
#include "core/MessageOnlyDialogs.h"
#include "core/ProgressSink.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"
#include "support/ScriptedDialogService.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

class RecordedProgress final : public ProgressSink {
public:
    QStringList calls;
    bool allOnThisThread = true;
    void BeginProgress(int maximum) override { note(QStringLiteral("begin %1").arg(maximum)); }
    void StepProgress(int position) override { note(QStringLiteral("step %1").arg(position)); }
    void EndProgress() override { note(QStringLiteral("end")); }

private:
    void note(const QString& call) {
        calls.append(call);
        allOnThisThread &= QThread::currentThread() == thread_;
    }
    QThread* thread_ = QThread::currentThread();
};

QImage solid(QColor color) {
    QImage image(120, 90, QImage::Format_RGB888);
    image.fill(color);
    return image;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A library of the earlier version, one book "Movies":
//   albums Action, (empty line), Drama, Gone (no album file), ../outside (not a name)
//   Action: a.avi, (empty), C:\films\b.avi (a Windows path), shared.avi
//   Drama: shared.avi (also in Action), missing.avi
// and a book "Quiet" whose one album has no videos.
struct LegacyLibrary {
    QTemporaryDir dir;
    QString lib;
    QString images;
    QByteArray action, a, b, shared;

    explicit LegacyLibrary(const char* ext) {
        lib = dir.path() + u'/';
        images = lib + QStringLiteral("Movies/images/");
        const bool jpg = QByteArray(ext) == ".jpg";
        QDir().mkpath(images);
        QDir().mkpath(lib + QStringLiteral("Quiet"));
        auto picture = [&](const QString& name, QColor color) {
            const QString path = images + name + QLatin1String(ext);
            QDir().mkpath(images);
            if (jpg)
                writeBytes(path, jpeg::encode(solid(color)));
            else
                solid(color).save(path, "BMP");
            return jpeg::encode(solid(color));
        };
        textfile::writeLines(lib + QStringLiteral("Movies.book"),
                             {QStringLiteral("Action"), QString(), QStringLiteral("Drama"),
                              QStringLiteral("Gone"), QStringLiteral("../outside")});
        textfile::writeLines(lib + QStringLiteral("Movies/Action.alb"),
                             {QStringLiteral("/videos/a.avi"), QString(),
                              QStringLiteral("C:\\films\\b.avi"),
                              QStringLiteral("/videos/shared.avi")});
        textfile::writeLines(lib + QStringLiteral("Movies/Drama.alb"),
                             {QStringLiteral("/x/shared.avi"), QStringLiteral("/x/missing.avi")});
        action = picture(QStringLiteral("Action"), Qt::red);
        a = picture(QStringLiteral("a.avi"), Qt::green);
        b = picture(QStringLiteral("b.avi"), Qt::blue);
        shared = picture(QStringLiteral("shared.avi"), Qt::yellow);
        writeBytes(images + QStringLiteral("Drama") + QLatin1String(ext), "unreadable");
        writeBytes(lib + QStringLiteral("Movies/outside") + QLatin1String(ext),
                   jpeg::encode(solid(Qt::white)));

        textfile::writeLines(lib + QStringLiteral("Quiet.book"), {QStringLiteral("Nothing")});
        textfile::writeLines(lib + QStringLiteral("Quiet/Nothing.alb"), {});
    }

    Tpackedjpg store(const QString& path) const {
        Tpackedjpg s;
        s.loadFromFile(lib + path);
        return s;
    }
};

QColor centre(const Tpackedjpg& store, int i) {
    QImage bitmap;
    if (!store.getBitmap(i, bitmap))
        return {};
    return bitmap.pixelColor(60, 45);
}

bool near(QColor x, QColor y) {
    return x.isValid() && qAbs(x.red() - y.red()) < 8 && qAbs(x.green() - y.green()) < 8 &&
           qAbs(x.blue() - y.blue()) < 8;
}

void expectMigrated(const LegacyLibrary& library, const char* ext) {
    const Tpackedjpg book = library.store(QStringLiteral("Movies/images/Movies.pjpg"));
    ASSERT_EQ(book.count(), 5);
    EXPECT_TRUE(near(centre(book, 0), Qt::red));
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(book.isEmpty(i)) << i;

    const Tpackedjpg action = library.store(QStringLiteral("Movies/images/Action.pjpg"));
    ASSERT_EQ(action.count(), 4);
    EXPECT_TRUE(near(centre(action, 0), Qt::green));
    EXPECT_TRUE(action.isEmpty(1));
    EXPECT_TRUE(near(centre(action, 2), Qt::blue));
    EXPECT_TRUE(near(centre(action, 3), Qt::yellow));

    const Tpackedjpg drama = library.store(QStringLiteral("Movies/images/Drama.pjpg"));
    ASSERT_EQ(drama.count(), 2);
    EXPECT_TRUE(near(centre(drama, 0), Qt::yellow)); // the picture Action holds too
    EXPECT_TRUE(drama.isEmpty(1));

    // An album without videos gets an empty store, not the pictures of the album before it.
    const Tpackedjpg nothing = library.store(QStringLiteral("Quiet/images/Nothing.pjpg"));
    EXPECT_TRUE(QFileInfo::exists(library.lib + QStringLiteral("Quiet/images/Nothing.pjpg")));
    EXPECT_EQ(nothing.count(), 0);

    const QString e = QLatin1String(ext);
    for (const QString& packed : {QStringLiteral("Action"), QStringLiteral("a.avi"),
                                  QStringLiteral("b.avi"), QStringLiteral("shared.avi")})
        EXPECT_FALSE(QFileInfo::exists(library.images + packed + e)) << packed.toStdString();
    // The unreadable picture and anything outside the images folder are left alone.
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("Drama") + e));
    EXPECT_TRUE(QFileInfo::exists(library.lib + QStringLiteral("Movies/outside") + e));
    // Book and album files are untouched.
    EXPECT_EQ(textfile::readLines(library.lib + QStringLiteral("Movies.book"))->size(), 5);
}

const QString kNotice = QStringLiteral("バージョンアップに伴い、縮小画像をパックします。\r\n"
                                       "少々お待ちください。");

} // namespace

TEST(ThumbnailMigration, PacksEveryBookAndAlbumAndReportsUnreadablePictures) {
    LegacyLibrary library(".jpg");
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    migration::migrateThumbnails(library.lib, true, progress, dialogs);

    EXPECT_EQ(
        dialogs.messages(),
        (QStringList{kNotice, library.images + QStringLiteral("Drama.jpg は読み込めません")}));
    EXPECT_EQ(progress.calls, (QStringList{QStringLiteral("begin 1"), QStringLiteral("step 2"),
                                           QStringLiteral("step 3"), QStringLiteral("end")}));
    expectMigrated(library, ".jpg");
    // Stored pictures keep the legacy JPEG bytes as they were.
    QByteArray first;
    ASSERT_TRUE(library.store(QStringLiteral("Movies/images/Action.pjpg")).getPicture(0, first));
    EXPECT_EQ(first, library.a);
}

TEST(ThumbnailMigration, BitmapsOfTheOldestVersionAreConverted) {
    LegacyLibrary library(".bmp");
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    migration::migrateThumbnails(library.lib, false, progress, dialogs);
    expectMigrated(library, ".bmp");
}

TEST(ThumbnailMigration, AStoreThatCannotBeWrittenKeepsItsLooseFiles) {
    LegacyLibrary library(".jpg");
    // A folder where the album store should go: the write fails.
    QDir().mkpath(library.images + QStringLiteral("Action.pjpg"));
    test::ScriptedDialogService dialogs;
    for (int i = 0; i < 3; ++i)
        dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    migration::migrateThumbnails(library.lib, true, progress, dialogs);
    ASSERT_EQ(dialogs.messages().size(), 3);
    EXPECT_TRUE(dialogs.messages().at(2).contains(QStringLiteral("Action.pjpg")));
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("shared.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("Action.jpg")));
}

TEST(ThumbnailMigration, RunsOnAWorkerAndReportsOnTheInterfaceThread) {
    LegacyLibrary library(".jpg");
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    QObject context;
    QEventLoop loop;
    bool finished = false;
    migration::startThumbnailMigration(&context, library.lib, true, progress, dialogs, [&] {
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    EXPECT_TRUE(progress.allOnThisThread);
    EXPECT_EQ(progress.calls.size(), 4);
    EXPECT_EQ(progress.calls.last(), QStringLiteral("end"));
    EXPECT_EQ(dialogs.messages().size(), 2);
    expectMigrated(library, ".jpg");
}

TEST(ThumbnailMigration, ALibraryWithoutBooksOpensAndClosesTheProgress) {
    QTemporaryDir dir;
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    QObject context;
    bool finished = false;
    migration::startThumbnailMigration(&context, dir.path() + u'/', true, progress, dialogs,
                                       [&] { finished = true; });
    EXPECT_TRUE(finished);
    EXPECT_EQ(dialogs.messages(), QStringList{kNotice});
    EXPECT_EQ(progress.calls, (QStringList{QStringLiteral("begin -1"), QStringLiteral("end")}));
}

TEST(ThumbnailMigration, ARunAfterAnUnfinishedOneKeepsTheStoresItWrote) {
    LegacyLibrary library(".jpg");
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    migration::migrateThumbnails(library.lib, true, progress, dialogs);

    // The settings were never written (the program was stopped or killed), so the next start
    // migrates again: the loose files of the packed stores are gone by now.
    dialogs.clear();
    dialogs.answer(DialogService::Answer::Ok);
    migration::migrateThumbnails(library.lib, true, progress, dialogs);
    EXPECT_EQ(dialogs.messages(), QStringList{kNotice});
    expectMigrated(library, ".jpg");
}

TEST(ThumbnailMigration, TheTitleIsTheBookFileNameLessItsOwnExtension) {
    QTemporaryDir dir;
    const QString lib = dir.path() + u'/';
    // "my.book" is a book of its own, and a library copied from Windows may spell the
    // extension in capitals.
    for (const QString& title : {QStringLiteral("my.book"), QStringLiteral("Old")}) {
        const QString images = lib + title + QStringLiteral("/images/");
        const QString bookFile =
            lib + title + (title == u"Old" ? QStringLiteral(".BOOK") : QStringLiteral(".book"));
        writeBytes(images + QStringLiteral("Album.jpg"), jpeg::encode(solid(Qt::red)));
        writeBytes(images + QStringLiteral("a.avi.jpg"), jpeg::encode(solid(Qt::blue)));
        ASSERT_TRUE(textfile::writeLines(bookFile, {QStringLiteral("Album")}));
        ASSERT_TRUE(textfile::writeLines(lib + title + QStringLiteral("/Album.alb"),
                                         {QStringLiteral("/videos/a.avi")}));
    }
    test::ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Answer::Ok);
    RecordedProgress progress;
    migration::migrateThumbnails(lib, true, progress, dialogs);
    EXPECT_EQ(dialogs.messages(), QStringList{kNotice});

    for (const QString& title : {QStringLiteral("my.book"), QStringLiteral("Old")}) {
        const QString images = lib + title + QStringLiteral("/images/");
        Tpackedjpg book;
        ASSERT_TRUE(book.loadFromFile(images + title + QStringLiteral(".pjpg")))
            << title.toStdString();
        EXPECT_TRUE(near(centre(book, 0), Qt::red));
        Tpackedjpg album;
        ASSERT_TRUE(album.loadFromFile(images + QStringLiteral("Album.pjpg")));
        EXPECT_TRUE(near(centre(album, 0), Qt::blue));
        EXPECT_FALSE(QFileInfo::exists(images + QStringLiteral("Album.jpg")));
    }
    EXPECT_FALSE(QFileInfo::exists(lib + QStringLiteral("my")));
    EXPECT_FALSE(QFileInfo::exists(lib + QStringLiteral("Old.BOOK/images")));
}

namespace {

// Answers every message with OK and stops the run at the first message that holds `at`.
class StoppingDialogs final : public MessageOnlyDialogs {
public:
    explicit StoppingDialogs(QString at) : at_(std::move(at)) {}
    migration::ThumbnailMigrationRun* run = nullptr;
    QStringList messages;

    Answer message(const QString& text, Buttons, Icon, const QString&) override {
        messages.append(text);
        if (run != nullptr && text.contains(at_))
            run->stop();
        return Answer::Ok;
    }

private:
    QString at_;
};

} // namespace

TEST(ThumbnailMigrationRun, AStoppedRunFinishesTheBookInHandAndBeginsNoOther) {
    LegacyLibrary library(".jpg");
    // Movies comes first; its unreadable album picture is reported while it is being packed.
    StoppingDialogs dialogs(QStringLiteral("Drama.jpg"));
    RecordedProgress progress;
    migration::ThumbnailMigrationRun run(library.lib, true, progress, dialogs);
    dialogs.run = &run;
    QEventLoop loop;
    QObject::connect(&run, &migration::ThumbnailMigrationRun::finished, &loop, &QEventLoop::quit);
    run.start();
    loop.exec();

    EXPECT_FALSE(run.isRunning());
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(progress.allOnThisThread);
    EXPECT_EQ(progress.calls, (QStringList{QStringLiteral("begin 1"), QStringLiteral("step 2"),
                                           QStringLiteral("end")}));
    const Tpackedjpg action = library.store(QStringLiteral("Movies/images/Action.pjpg"));
    EXPECT_EQ(action.count(), 4);
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.lib + QStringLiteral("Quiet/images")));
}

TEST(ThumbnailMigrationRun, DestroyedWhileItsNoticeWaitsItJoinsAndReportsNothingMore) {
    LegacyLibrary library(".jpg");
    test::ScriptedDialogService dialogs; // nothing may be shown: no answer is scripted
    RecordedProgress progress;
    {
        migration::ThumbnailMigrationRun run(library.lib, true, progress, dialogs);
        run.start();
        EXPECT_TRUE(run.isRunning());
        // Destroyed before the event loop delivered the notice the worker is waiting on.
    }
    // The queued notice and progress calls, delivered now, find the run gone.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_TRUE(progress.calls.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("Movies.pjpg")));
}
