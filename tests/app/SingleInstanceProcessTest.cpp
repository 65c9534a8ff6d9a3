#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QProcess* startTavimo(QObject* parent, const QString& runtime, const QString& library) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("TAVIMO_LIBRARY"), library);
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(TAVIMO_BINARY), {});
    return process;
}

// True once another process holds the lock in folder.
bool lockHeldElsewhere(const QString& folder) {
    tavimo::platform::SingleInstance probe(folder);
    return !probe.acquire();
}

} // namespace

TEST(SingleInstance, SecondProgramEndsAtOnceWithStatusZeroWhileTheFirstRuns) {
    QTemporaryDir runtime;
    QTemporaryDir library;
    QObject owner;
    QProcess* first = startTavimo(&owner, runtime.path(), library.path());
    ASSERT_TRUE(first->waitForStarted(10000));
    QDeadlineTimer deadline(30000);
    while (!lockHeldElsewhere(runtime.path()) && !deadline.hasExpired() &&
           first->state() == QProcess::Running)
        QThread::msleep(50);
    ASSERT_TRUE(lockHeldElsewhere(runtime.path()));

    QProcess* second = startTavimo(&owner, runtime.path(), library.path());
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().isEmpty());
    EXPECT_EQ(first->state(), QProcess::Running);

    first->kill();
    first->waitForFinished(10000);
    // The lock died with the process: the lock file left behind does not block a new start.
    EXPECT_FALSE(lockHeldElsewhere(runtime.path()));
    EXPECT_TRUE(QFile::exists(QDir(runtime.path()).filePath(QStringLiteral("tavi_Mutex.lock"))));
}
