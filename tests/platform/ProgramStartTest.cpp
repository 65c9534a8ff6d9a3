#include "platform/ProgramStart.h"

#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::writeTestFile;

namespace {

bool makeProgram(const QString& path, const QByteArray& text, bool executable = true) {
    if (!writeTestFile(path, text))
        return false;
    QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        mode |= QFile::ExeOwner;
    return QFile::setPermissions(path, mode);
}

bool waitForFile(const QString& path) {
    for (int i = 0; i < 200 && !QFileInfo::exists(path); ++i)
        QThread::msleep(25);
    return QFileInfo::exists(path);
}

} // namespace

TEST(ProgramStart, TheProgramRunsDetachedOrTheSystemsErrorNumberComesBack) {
    QTemporaryDir dir;
    const QString done = dir.path() + "/done";
    const QString tool = dir.path() + "/tool";
    ASSERT_TRUE(makeProgram(tool, "#!/bin/sh\ntouch '" + QFile::encodeName(done) + "'\n"));
    EXPECT_EQ(platform::startDetachedProgram(tool), 0);
    EXPECT_TRUE(waitForFile(done));

    EXPECT_EQ(platform::startDetachedProgram(dir.path() + "/missing"), ENOENT);
    EXPECT_EQ(platform::startDetachedProgram(QString()), ENOENT);
    EXPECT_EQ(platform::startDetachedProgram(dir.path()), EACCES);
    const QString plain = dir.path() + "/plain";
    ASSERT_TRUE(makeProgram(plain, "#!/bin/sh\n", false));
    EXPECT_EQ(platform::startDetachedProgram(plain), EACCES);
    const QString garbage = dir.path() + "/garbage";
    ASSERT_TRUE(makeProgram(garbage, QByteArray(64, '\x7f')));
    EXPECT_EQ(platform::startDetachedProgram(garbage), ENOEXEC);
}
