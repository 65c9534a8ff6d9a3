// Work that runs off the interface thread: the worker that carries it, the albums listed from
// folders and media, and the mount table read once per operation.
#include "core/AlbumSources.h"
#include "core/DriveProbe.h"
#include "core/MediaAddition.h"
#include "core/MediumScan.h"
#include "core/VideoExtensions.h"
#include "core/WorkerThread.h"
#include "support/FakeVolumeTable.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <semaphore>

using namespace tavimo;
using test::writeTestFile;

namespace {

// Counts how often the mount table is read.
class CountingVolumes final : public VolumeTable {
public:
    explicit CountingVolumes(const VolumeTable& real) : real_(real) {}
    QList<VolumeInfo> volumes() const override {
        ++reads;
        return real_.volumes();
    }
    mutable int reads = 0;

private:
    const VolumeTable& real_;
};

// Runs the event loop until the worker is done.
bool waitUntilIdle(const WorkerThread& worker) {
    for (int i = 0; i < 3000 && worker.isRunning(); ++i)
        QTest::qWait(10);
    return !worker.isRunning();
}

} // namespace

TEST(WorkerThreadTest, PostsAndTheResultArriveOnTheOwnersThreadInOrder) {
    WorkerThread worker;
    QList<int> seen;
    Qt::HANDLE workThread = nullptr;
    bool doneOnOwner = false;
    ASSERT_TRUE(worker.start(
        [&](WorkerThread& self) {
            workThread = QThread::currentThreadId();
            for (int i = 0; i < 3; ++i)
                self.post([&seen, i] { seen.append(i); });
            return 42;
        },
        [&](int result) {
            doneOnOwner = QThread::currentThreadId() != workThread;
            seen.append(result);
        }));
    EXPECT_TRUE(worker.isRunning());
    // A second start waits for the first to end.
    EXPECT_FALSE(worker.start([](WorkerThread&) { return 0; }, [](int) {}));
    ASSERT_TRUE(waitUntilIdle(worker));
    EXPECT_EQ(seen, (QList<int>{0, 1, 2, 42}));
    EXPECT_TRUE(doneOnOwner);
}

TEST(WorkerThreadTest, AStopIsSeenByTheWorkAndStopAndWaitDropsWhatItHadNotHandedOver) {
    std::binary_semaphore started{0};
    auto worker = std::make_unique<WorkerThread>();
    bool stoppedSeen = false;
    ASSERT_TRUE(worker->start(
        [&](WorkerThread& self) {
            started.release();
            while (!self.stopRequested())
                QThread::msleep(1);
            stoppedSeen = true;
            return 1;
        },
        [](int) { ADD_FAILURE() << "handed over after the owner stopped waiting for it"; }));
    started.acquire();
    worker->stopAndWait();
    EXPECT_TRUE(stoppedSeen);
    EXPECT_FALSE(worker->isRunning());
    QTest::qWait(20); // anything still queued would arrive now

    // Destroyed while its work runs: the destructor stops and joins it.
    bool ended = false;
    ASSERT_TRUE(worker->start(
        [&](WorkerThread& self) {
            started.release();
            while (!self.stopRequested())
                QThread::msleep(1);
            ended = true;
            return 0;
        },
        [](int) { ADD_FAILURE() << "handed over to a destroyed owner"; }));
    started.acquire();
    worker.reset();
    EXPECT_TRUE(ended);
    QTest::qWait(20);
}

struct AlbumSourcesTest : ::testing::Test {
    test::FakeVolumeTable volumes;
    DriveProbe probe{volumes};
    VideoExtensions extensions;
    QTemporaryDir disk;
};

TEST_F(AlbumSourcesTest, AMediumGivesOneAlbumOrOneAlbumPerFolderAsItsScanLists) {
    const QString root = volumes.mount(kMediumDvd, 0x5150, QStringLiteral("TRIP"));
    for (const char* path : {"root.avi", "day1/a.mp4", "day1/B.mp4", "day1/notes.txt",
                             "day1/later/c.avi", "empty/.keep"})
        ASSERT_TRUE(writeTestFile(root + QString::fromLatin1(path), "video"));

    // One album of the whole medium, named by its label: what the scan lists, in its order.
    const MediumScan scan = scanMedium(root, probe, extensions, true);
    const QList<AlbumSource> whole = albumSourcesOfMedium(root, false, probe, extensions);
    ASSERT_EQ(whole.size(), 1);
    EXPECT_EQ(whole.at(0).name, QStringLiteral("TRIP"));
    EXPECT_EQ(whole.at(0).files, scan.files);
    EXPECT_EQ(whole.at(0).files.size(), 4);
    EXPECT_TRUE(whole.at(0).folder.isEmpty());
    EXPECT_FALSE(whole.at(0).closeAfter);

    // A book: the root's videos, then every folder in the scan's order, also one without
    // videos; each closes after it is made and remembers its folder.
    const QList<AlbumSource> book = albumSourcesOfMedium(root, true, probe, extensions);
    QStringList names;
    for (const AlbumSource& source : book) {
        names.append(source.name);
        EXPECT_TRUE(source.closeAfter);
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("TRIP"), QStringLiteral("day1"),
                                  QStringLiteral("empty"), QStringLiteral("later")}));
    EXPECT_EQ(book.at(0).files, QStringList{root + QStringLiteral("root.avi")});
    EXPECT_EQ(book.at(0).folder, root);
    EXPECT_EQ(book.at(1).files, (QStringList{root + QStringLiteral("day1/a.mp4"),
                                             root + QStringLiteral("day1/B.mp4")}));
    EXPECT_EQ(book.at(1).folder, root + QStringLiteral("day1"));
    EXPECT_TRUE(book.at(2).files.isEmpty());

    // Nothing of a fixed disk, and nothing once stopped.
    const QString fixed = volumes.mount(kMediumNone, 9, QStringLiteral("HDD"));
    ASSERT_TRUE(writeTestFile(fixed + QStringLiteral("x.avi"), "video"));
    EXPECT_TRUE(albumSourcesOfMedium(fixed, false, probe, extensions).isEmpty());
    const std::atomic_bool stop{true};
    const QList<AlbumSource> stopped = albumSourcesOfMedium(root, true, probe, extensions, &stop);
    EXPECT_LE(stopped.size(), 1); // the root's own videos at most
}

TEST_F(AlbumSourcesTest, FoldersBecomeAlbumsInTheOrderGiven) {
    const QString a = disk.filePath(QStringLiteral("Zebra"));
    const QString b = disk.filePath(QStringLiteral("apple"));
    ASSERT_TRUE(writeTestFile(a + QStringLiteral("/2.avi"), "v"));
    ASSERT_TRUE(writeTestFile(a + QStringLiteral("/1.AVI"), "v"));
    ASSERT_TRUE(QDir().mkpath(b));
    const QList<AlbumSource> sources = albumSourcesOfFolders({a, QString(), b}, true, extensions);
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources.at(0).name, QStringLiteral("Zebra"));
    EXPECT_EQ(sources.at(0).files,
              (QStringList{a + QStringLiteral("/1.AVI"), a + QStringLiteral("/2.avi")}));
    EXPECT_EQ(sources.at(0).folder, a);
    EXPECT_TRUE(sources.at(0).closeAfter);
    EXPECT_EQ(sources.at(1).name, QStringLiteral("apple"));
    EXPECT_TRUE(sources.at(1).files.isEmpty());
}

TEST_F(AlbumSourcesTest, AddingManyFilesReadsTheMountTableOnceAndTheSnapshotKeepsWhatItRead) {
    const QString root = volumes.mount(kMediumRemovable, 0xC0DE, QStringLiteral("CAM"));
    QStringList files;
    for (int i = 0; i < 50; ++i) {
        files.append(root + QStringLiteral("clip%1.mp4").arg(i, 2, 10, QChar(u'0')));
        ASSERT_TRUE(writeTestFile(files.last(), "v"));
    }
    const CountingVolumes counting(volumes);
    const DriveProbe live(counting);
    const DriveProbe snapshot = live.snapshot();
    const AdditionPlan plan = planAddition(BookMode::Media, {}, {}, files, snapshot);
    EXPECT_EQ(counting.reads, 1);
    EXPECT_EQ(plan.files, files);
    EXPECT_EQ(plan.medium.root, root);
    EXPECT_EQ(plan.medium.record, (MediumRecord{kMediumRemovable, 0xC0DE, QStringLiteral("CAM")}));

    // The medium taken out afterwards: the snapshot still answers as it was, the live probe
    // as it is now.
    volumes.eject(root);
    EXPECT_EQ(snapshot.rootOf(files.first()), root);
    EXPECT_EQ(live.rootOf(files.first()), QString());
}
