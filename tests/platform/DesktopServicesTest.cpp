#include "platform/DesktopServices.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// Points the desktop's folders into a temporary folder for the test's duration.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace

TEST(DesktopTrash, VideosGoToTheTrashOfTheUsersDataFolderAndCanBeRestored) {
    QTemporaryDir home;
    // The data folder does not exist yet, as on a fresh account.
    const QString data = home.filePath(QStringLiteral("data/share"));
    const ScopedEnv homeEnv("HOME", home.path().toLocal8Bit());
    const ScopedEnv dataEnv("XDG_DATA_HOME", data.toLocal8Bit());
    const QString video = home.filePath(QStringLiteral("ビデオ 1.avi"));
    ASSERT_TRUE(test::writeTestFile(video, "frames"));

    platform::DesktopTrash trash;
    EXPECT_EQ(trashVideoFile(video, trash), QString());
    EXPECT_FALSE(QFile::exists(video));
    const QString trashed = data + QStringLiteral("/Trash/files/ビデオ 1.avi");
    ASSERT_TRUE(QFile::exists(trashed));
    QFile restored(trashed);
    ASSERT_TRUE(restored.open(QIODevice::ReadOnly));
    EXPECT_EQ(restored.readAll(), "frames");
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/Trash/info/ビデオ 1.avi.trashinfo")));

    // Gone, read-only (even for root, who could write it) and failed moves each have a message;
    // the file stays where it is.
    EXPECT_EQ(trashVideoFile(video, trash), kTrashMissingMessage);
    const QString locked = home.filePath(QStringLiteral("locked.avi"));
    ASSERT_TRUE(test::writeTestFile(locked, "frames"));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(trashVideoFile(locked, trash), kTrashReadOnlyMessage);
    EXPECT_TRUE(QFile::exists(locked));
}

TEST(DesktopTrash, AFailedMoveIsReported) {
    struct RefusingTrash final : FileTrash {
        bool moveToTrash(const QString&) override { return false; }
    } refusing;
    QTemporaryDir dir;
    const QString video = dir.filePath(QStringLiteral("a.avi"));
    ASSERT_TRUE(test::writeTestFile(video, "x"));
    EXPECT_EQ(trashVideoFile(video, refusing), kTrashFailedMessage);
    EXPECT_EQ(trashVideoFile(dir.path(), refusing), kTrashMissingMessage);
}

TEST(DetachedLauncher, PassesThePathAsOneArgumentWithoutAShell) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("args.txt"));
    const QString player = dir.filePath(QStringLiteral("player"));
    // The "other player" records each argument it receives on its own line.
    const QString script = QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; "
                                          "done > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                               .arg(out);
    ASSERT_TRUE(test::writeTestFile(player, script.toUtf8()));
    QFile::setPermissions(player,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString video = QStringLiteral("/videos/it's $HOME; \"quoted\" `date` ビデオ.avi");

    platform::DetachedLauncher launcher;
    ASSERT_TRUE(launcher.startDetached(player, {video}));
    for (int i = 0; i < 500 && !QFile::exists(out); ++i)
        QThread::msleep(10);
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), video + u'\n');

    EXPECT_FALSE(launcher.startDetached(QString(), {video}));
    EXPECT_FALSE(launcher.startDetached(dir.filePath(QStringLiteral("missing")), {video}));
}
