#include "core/ThumbnailMigration.h"

#include "core/JpegCodec.h"
#include "core/ProgressSink.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

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

// Every book of the library packed on this thread, one after the other: the messages of the
// problems, in order.
QStringList migrateAll(const QString& lib, bool jpegFiles) {
    QStringList messages;
    for (const QString& book : migration::bookFiles(lib))
        for (const Problem& problem : migration::migrateBook(lib, book, jpegFiles))
            messages.append(problem.message);
    return messages;
}

// A run with what it tells recorded in order: the notice and each problem's message. The run
// stops at the first message that holds stopAt, as a user closing the program would.
struct RecordedRun {
    RecordedProgress progress;
    QStringList told;
    bool finished = false;
    migration::ThumbnailMigrationRun run;

    RecordedRun(const QString& lib, bool jpegFiles, const QString& stopAt = {})
        : run(lib, jpegFiles, progress) {
        QObject::connect(&run, &migration::ThumbnailMigrationRun::noticeDue,
                         [this](const QString& text) { told.append(text); });
        QObject::connect(&run, &migration::ThumbnailMigrationRun::problemsFound,
                         [this, stopAt](const QList<Problem>& problems) {
                             for (const Problem& problem : problems) {
                                 told.append(problem.message);
                                 if (!stopAt.isEmpty() && problem.message.contains(stopAt))
                                     run.stop();
                             }
                         });
        QObject::connect(&run, &migration::ThumbnailMigrationRun::finished,
                         [this] { finished = true; });
    }
    void startAndWait() {
        run.start();
        QEventLoop loop;
        QObject::connect(&run, &migration::ThumbnailMigrationRun::finished, &loop,
                         &QEventLoop::quit);
        if (!finished)
            loop.exec();
    }
};

} // namespace

TEST(ThumbnailMigration, PacksEveryBookAndAlbumAndReportsUnreadablePictures) {
    LegacyLibrary library(".jpg");
    const QString drama = library.images + QStringLiteral("Drama.jpg");
    const QList<Problem> problems = migration::migrateBook(library.lib, "Movies.book", true);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0].message, drama + QStringLiteral(" は読み込めません"));
    EXPECT_EQ(problems[0].path, drama);
    EXPECT_TRUE(migration::migrateBook(library.lib, "Quiet.book", true).isEmpty());
    expectMigrated(library, ".jpg");
    // Stored pictures keep the legacy JPEG bytes as they were.
    QByteArray first;
    ASSERT_TRUE(library.store(QStringLiteral("Movies/images/Action.pjpg")).getPicture(0, first));
    EXPECT_EQ(first, library.a);
}

TEST(ThumbnailMigration, BitmapsOfTheOldestVersionAreConverted) {
    LegacyLibrary library(".bmp");
    migrateAll(library.lib, false);
    expectMigrated(library, ".bmp");
}

TEST(ThumbnailMigration, AStoreThatCannotBeWrittenKeepsItsLooseFiles) {
    LegacyLibrary library(".jpg");
    // A folder where the album store should go: the write fails.
    QDir().mkpath(library.images + QStringLiteral("Action.pjpg"));
    const QList<Problem> problems = migration::migrateBook(library.lib, "Movies.book", true);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[1].message.contains(QStringLiteral("Action.pjpg")));
    EXPECT_EQ(problems[1].icon, Problem::Icon::Error);
    EXPECT_FALSE(problems[1].reason.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("shared.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("Action.jpg")));
}

TEST(ThumbnailMigration, RunsOnAWorkerAndReportsOnTheInterfaceThread) {
    LegacyLibrary library(".jpg");
    RecordedRun recorded(library.lib, true);
    recorded.startAndWait();
    EXPECT_FALSE(recorded.run.isRunning());
    EXPECT_TRUE(recorded.progress.allOnThisThread);
    EXPECT_EQ(recorded.progress.calls,
              (QStringList{QStringLiteral("begin 1"), QStringLiteral("step 2"),
                           QStringLiteral("step 3"), QStringLiteral("end")}));
    EXPECT_EQ(
        recorded.told,
        (QStringList{kNotice, library.images + QStringLiteral("Drama.jpg は読み込めません")}));
    expectMigrated(library, ".jpg");
}

TEST(ThumbnailMigration, ALibraryWithoutBooksOpensAndClosesTheProgress) {
    QTemporaryDir dir;
    RecordedRun recorded(dir.path() + u'/', true);
    recorded.run.start();
    EXPECT_TRUE(recorded.finished);
    EXPECT_EQ(recorded.told, QStringList{kNotice});
    EXPECT_EQ(recorded.progress.calls,
              (QStringList{QStringLiteral("begin -1"), QStringLiteral("end")}));
}

TEST(ThumbnailMigration, ARunAfterAnUnfinishedOneKeepsTheStoresItWrote) {
    LegacyLibrary library(".jpg");
    migrateAll(library.lib, true);

    // The settings were never written (the program was stopped or killed), so the next start
    // migrates again: the loose files of the packed stores are gone by now.
    EXPECT_TRUE(migrateAll(library.lib, true).isEmpty());
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
    EXPECT_TRUE(migrateAll(lib, true).isEmpty());

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

TEST(ThumbnailMigrationRun, AStoppedRunFinishesTheBookInHandAndBeginsNoOther) {
    LegacyLibrary library(".jpg");
    // Movies comes first; its unreadable album picture is told once it is packed.
    RecordedRun recorded(library.lib, true, QStringLiteral("Drama.jpg"));
    recorded.startAndWait();

    EXPECT_FALSE(recorded.run.isRunning());
    EXPECT_EQ(recorded.told.size(), 2);
    EXPECT_TRUE(recorded.progress.allOnThisThread);
    EXPECT_EQ(
        recorded.progress.calls,
        (QStringList{QStringLiteral("begin 1"), QStringLiteral("step 2"), QStringLiteral("end")}));
    const Tpackedjpg action = library.store(QStringLiteral("Movies/images/Action.pjpg"));
    EXPECT_EQ(action.count(), 4);
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.lib + QStringLiteral("Quiet/images")));
}

TEST(ThumbnailMigrationRun, DestroyedBeforeItsNoticeItReportsNothing) {
    LegacyLibrary library(".jpg");
    {
        RecordedRun recorded(library.lib, true);
        recorded.run.start();
        EXPECT_TRUE(recorded.run.isRunning());
        EXPECT_TRUE(recorded.told.isEmpty()); // the notice waits for the event loop
        // Destroyed before the event loop told the notice.
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(library.images + QStringLiteral("a.avi.jpg")));
    EXPECT_FALSE(QFileInfo::exists(library.images + QStringLiteral("Movies.pjpg")));
}

TEST(ThumbnailMigrationRun, DestroyedWhileABookIsPackedItWaitsForThatBookAndBeginsNoOther) {
    LegacyLibrary library(".jpg");
    {
        RecordedRun recorded(library.lib, true);
        recorded.run.start();
        QCoreApplication::sendPostedEvents(&recorded.run); // the notice: the first book begins
        EXPECT_EQ(recorded.told, QStringList{kNotice});
        EXPECT_EQ(recorded.progress.calls, QStringList{QStringLiteral("begin 1")});
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    // The book in hand is whole; the next was never begun.
    EXPECT_EQ(library.store(QStringLiteral("Movies/images/Action.pjpg")).count(), 4);
    EXPECT_FALSE(QFileInfo::exists(library.lib + QStringLiteral("Quiet/images")));
}
