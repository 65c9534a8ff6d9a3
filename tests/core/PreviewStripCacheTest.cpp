#include "core/PreviewStripCache.h"

#include "core/JpegCodec.h"
#include "core/PreviewSteps.h"
#include "core/Tpackedjpg.h"
#include "support/FolderSnapshot.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavimo;
using tavimo::test::readTestFile;
using tavimo::test::writeTestFile;

namespace {

// Ten pictures whose colour says which strip and which frame they are.
QList<QByteArray> stripOf(int shade) {
    QList<QByteArray> frames;
    for (int i = 0; i < PreviewStripCache::kFrames; ++i) {
        QImage picture(120, 67, QImage::Format_RGB888);
        picture.fill(QColor(shade, 20 * i, 100));
        frames.append(jpeg::encode(picture));
    }
    return frames;
}

int shadeOf(const QList<QByteArray>& strip) {
    return jpeg::decode(strip.first()).pixelColor(60, 30).red();
}

void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

class PreviewStripCacheTest : public ::testing::Test {
protected:
    // A file standing in for a video: the cache never reads it, only its size and time.
    QString video(const QString& name, const QByteArray& bytes = "video") {
        const QString path = dir.filePath("videos/" + name);
        writeTestFile(path, bytes);
        return path;
    }
    QString cacheFolder() const { return dir.filePath("cache/Tavimo/previews"); }
    qint64 stripBytes() {
        PreviewStripCache probe(dir.filePath("probe"));
        const PreviewKey key = *PreviewKey::of(video("probe.mp4"));
        probe.store(key, stripOf(0));
        return QFileInfo(dir.filePath("probe/" + key.fileName())).size();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(PreviewStripCacheTest, AKeyIsTheFileAsItIsNow) {
    const QString path = video("a.mp4", "12345");
    const PreviewKey key = *PreviewKey::of(path);
    EXPECT_EQ(key.size, 5);
    EXPECT_EQ(PreviewKey::of(path)->fileName(), key.fileName());
    EXPECT_TRUE(key.fileName().endsWith(".pjpg"));

    // Another file, the same file grown, or the same file touched: another strip.
    EXPECT_NE(PreviewKey::of(video("b.mp4", "12345"))->fileName(), key.fileName());
    setModified(path, QDateTime::currentDateTime().addSecs(-3600));
    const PreviewKey touched = *PreviewKey::of(path);
    EXPECT_NE(touched.fileName(), key.fileName());
    writeTestFile(path, "123456");
    setModified(path, QDateTime::fromMSecsSinceEpoch(touched.modifiedMs));
    EXPECT_NE(PreviewKey::of(path)->fileName(), touched.fileName());

    // Only regular files have one.
    const QString fifo = dir.filePath("videos/pipe.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(PreviewKey::of(fifo));
    EXPECT_FALSE(PreviewKey::of(dir.filePath("videos")));
    EXPECT_FALSE(PreviewKey::of(dir.filePath("videos/missing.mp4")));
    EXPECT_FALSE(PreviewKey::of(QString()));
}

TEST_F(PreviewStripCacheTest, AStripIsStoredAsAPackedStoreOfTenPictures) {
    PreviewStripCache cache(cacheFolder());
    const PreviewKey key = *PreviewKey::of(video("a.mp4"));
    EXPECT_FALSE(cache.load(key));
    ASSERT_TRUE(cache.store(key, stripOf(50)));
    const std::optional<QList<QByteArray>> loaded = cache.load(key);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, stripOf(50));

    // The file is what the library's picture stores are, and their reader reads it.
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(cacheFolder() + u'/' + key.fileName()));
    EXPECT_EQ(store.count(), 10);
    EXPECT_EQ(cache.usedBytes(), QFileInfo(cacheFolder() + u'/' + key.fileName()).size());

    // Anything but ten pictures is not a strip.
    QList<QByteArray> nine = stripOf(60);
    nine.removeLast();
    EXPECT_FALSE(cache.store(key, nine));
    QList<QByteArray> holed = stripOf(60);
    holed[3].clear();
    EXPECT_FALSE(cache.store(key, holed));
    EXPECT_EQ(shadeOf(*cache.load(key)), 50);
}

TEST_F(PreviewStripCacheTest, TheLeastRecentlyUsedStripsGoFirstPastTheBound) {
    const qint64 one = stripBytes();
    PreviewStripCache cache(cacheFolder(), 3 * one + one / 2);
    QList<PreviewKey> keys;
    for (int i = 0; i < 5; ++i)
        keys.append(*PreviewKey::of(video(QString::number(i) + ".mp4", QByteArray(i + 1, 'v'))));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(cache.store(keys[i], stripOf(10 * i)));
    ASSERT_TRUE(cache.load(keys[0])); // 1 is now the least recently used
    ASSERT_TRUE(cache.store(keys[3], stripOf(30)));
    EXPECT_FALSE(cache.load(keys[1]));
    EXPECT_FALSE(QFile::exists(cacheFolder() + u'/' + keys[1].fileName()));
    EXPECT_TRUE(cache.load(keys[0]));
    EXPECT_TRUE(cache.load(keys[2]));
    EXPECT_TRUE(cache.load(keys[3]));
    EXPECT_LE(cache.usedBytes(), cache.maxBytes());

    // A later run knows the order from the files' times: the oldest goes first.
    setModified(cacheFolder() + u'/' + keys[0].fileName(),
                QDateTime::currentDateTime().addDays(-2));
    setModified(cacheFolder() + u'/' + keys[2].fileName(),
                QDateTime::currentDateTime().addDays(-1));
    PreviewStripCache later(cacheFolder(), 3 * one + one / 2);
    qint64 held = 0;
    for (const QFileInfo& file : QDir(cacheFolder()).entryInfoList(QDir::Files))
        held += file.size();
    EXPECT_EQ(later.usedBytes(), held);
    ASSERT_TRUE(later.store(keys[4], stripOf(40)));
    EXPECT_FALSE(later.load(keys[0]));
    EXPECT_TRUE(later.load(keys[2]));
    EXPECT_TRUE(later.load(keys[3]));
    EXPECT_TRUE(later.load(keys[4]));

    // A bound smaller than a strip keeps nothing.
    PreviewStripCache tiny(dir.filePath("tiny"), one / 2);
    EXPECT_TRUE(tiny.store(keys[0], stripOf(0)));
    EXPECT_FALSE(tiny.load(keys[0]));
    EXPECT_EQ(tiny.usedBytes(), 0);
}

// A file that is not a whole strip is deleted, so that the strip is made again; a good strip
// beside it stays.
TEST_F(PreviewStripCacheTest, ADamagedStripFileIsDeleted) {
    PreviewStripCache cache(cacheFolder());
    const PreviewKey good = *PreviewKey::of(video("good.mp4"));
    const PreviewKey key = *PreviewKey::of(video("damaged.mp4", "other"));
    ASSERT_TRUE(cache.store(good, stripOf(10)));
    ASSERT_TRUE(cache.store(key, stripOf(20)));
    const QString path = cacheFolder() + u'/' + key.fileName();
    const QByteArray whole = readTestFile(path);

    Tpackedjpg nine;
    for (const QByteArray& frame : stripOf(20).mid(0, 9))
        nine.addPicture(frame);
    QByteArray undecodable = whole;
    // The last picture keeps its JPEG start but its data is noise.
    undecodable.replace(whole.size() - 200, 150, QByteArray(150, '\x55'));
    const QByteArray damaged[] = {
        whole.left(whole.size() - 10),               // cut short
        whole + "trailing",                          // something after the pictures
        nine.saveToBytes("nine"),                    // nine pictures
        QByteArray("PJPG ") + QByteArray(200, '\0'), // no pictures
        QByteArray(5000, 'x'),                       // not a store
        QByteArray(),                                // empty
        undecodable,
        readTestFile(cacheFolder() + u'/' + good.fileName()), // another video's strip
    };
    for (const QByteArray& bytes : damaged) {
        writeTestFile(path, bytes);
        EXPECT_FALSE(cache.load(key)) << bytes.size();
        EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_EQ(shadeOf(*cache.load(good)), 10);
    EXPECT_EQ(cache.usedBytes(), QFileInfo(cacheFolder() + u'/' + good.fileName()).size());
    // Made again, it is read again.
    ASSERT_TRUE(cache.store(key, stripOf(20)));
    EXPECT_EQ(shadeOf(*cache.load(key)), 20);
}

// A write that never finished leaves a temporary file; the next run deletes it when it is old,
// and leaves a write of this moment alone.
TEST_F(PreviewStripCacheTest, LeftoverTemporariesAreDeleted) {
    const QString old = cacheFolder() + "/0123456789abcdef0123456789abcdef.pjpg.Ab12Cd";
    const QString fresh = cacheFolder() + "/0123456789abcdef0123456789abcdef.pjpg.Ef34Gh";
    writeTestFile(old, QByteArray(100, 'x'));
    writeTestFile(fresh, QByteArray(100, 'x'));
    setModified(old, QDateTime::currentDateTime().addSecs(-3600));
    PreviewStripCache cache(cacheFolder());
    EXPECT_EQ(cache.usedBytes(), 0);
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(fresh));
}

// The cache folder holds what the cache put there and nothing it may not touch: a cache folder
// that is a link to another folder is not used at all, and in its own folder the cache deletes
// only strips and their temporary files, and never reads or writes through a link.
TEST_F(PreviewStripCacheTest, TheCacheTouchesNothingButItsOwnStrips) {
    const QString other = dir.filePath("other/");
    const QString oldTemporary = other + "0123456789abcdef0123456789abcdef.pjpg.Ab12Cd";
    writeTestFile(other + "photo.jpg", "the user's picture");
    writeTestFile(oldTemporary, "named like a strip's temporary file");
    setModified(other + "photo.jpg", QDateTime::currentDateTime().addSecs(-3600));
    setModified(oldTemporary, QDateTime::currentDateTime().addSecs(-3600));
    const auto before = test::folderSnapshot(other);
    const PreviewKey key = *PreviewKey::of(video("a.mp4"));
    {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("cache/Tavimo")));
        ASSERT_TRUE(QFile::link(other, cacheFolder()));
        PreviewStripCache cache(cacheFolder(), 1);
        EXPECT_EQ(cache.usedBytes(), 0);
        EXPECT_FALSE(cache.store(key, stripOf(10)));
        EXPECT_FALSE(cache.load(key));
        EXPECT_EQ(test::folderSnapshot(other), before);
        ASSERT_TRUE(QFile::remove(cacheFolder()));
    }

    // Its own folder: an old file of another name stays; a link named like a strip is never
    // read, and a strip stored in its place replaces the link, not what it points to; a FIFO
    // named like a strip is never waited on.
    const QString notes = cacheFolder() + "/notes.txt";
    writeTestFile(notes, "not a strip");
    setModified(notes, QDateTime::currentDateTime().addSecs(-3600));
    ASSERT_TRUE(QFile::link(other + "photo.jpg", cacheFolder() + u'/' + key.fileName()));
    const PreviewKey piped = *PreviewKey::of(video("b.mp4", "other"));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(cacheFolder() + u'/' + piped.fileName()).constData(), 0600), 0);
    PreviewStripCache cache(cacheFolder());
    EXPECT_EQ(cache.usedBytes(), 0);
    EXPECT_FALSE(cache.load(key));
    EXPECT_FALSE(cache.load(piped));
    ASSERT_TRUE(cache.store(key, stripOf(30)));
    EXPECT_EQ(shadeOf(*cache.load(key)), 30);
    EXPECT_TRUE(QFileInfo(cacheFolder() + u'/' + key.fileName()).isFile());
    EXPECT_FALSE(QFileInfo(cacheFolder() + u'/' + key.fileName()).isSymLink());
    EXPECT_EQ(readTestFile(notes), "not a strip");
    EXPECT_EQ(test::folderSnapshot(other), before);
}

TEST(PreviewSteps, ThePointersPlaceChoosesATenthOfTheVideo) {
    EXPECT_EQ(preview::stepAt(0, 120), 0);
    EXPECT_EQ(preview::stepAt(11, 120), 0);
    EXPECT_EQ(preview::stepAt(12, 120), 1);
    EXPECT_EQ(preview::stepAt(119, 120), 9);
    EXPECT_EQ(preview::stepAt(-5, 120), 0);
    EXPECT_EQ(preview::stepAt(500, 120), 9);
    EXPECT_EQ(preview::stepAt(10, 0), 0);

    const qint64 length = 750'000'000; // 75 s in 100 ns
    EXPECT_EQ(preview::stepPosition(0, length), 0);
    EXPECT_EQ(preview::stepPosition(1, length), 75'000'000);
    EXPECT_EQ(preview::stepPosition(9, length), 675'000'000);
    EXPECT_EQ(preview::stepPosition(12, length), 675'000'000);
    EXPECT_EQ(preview::stepPosition(3, -5), 0);
    // A length no video has, as a damaged header may claim: no overflow.
    const qint64 huge = std::numeric_limits<qint64>::max() - 3;
    EXPECT_EQ(preview::stepPosition(9, huge), huge / 10 * 9 + huge % 10 * 9 / 10);
    EXPECT_GT(preview::stepPosition(9, huge), preview::stepPosition(8, huge));

    // The bar: the step's tenth of the bottom edge.
    EXPECT_EQ(preview::stepBar(QRect(10, 20, 120, 90), 0), QRect(10, 107, 12, 3));
    EXPECT_EQ(preview::stepBar(QRect(10, 20, 120, 90), 9), QRect(118, 107, 12, 3));
    EXPECT_EQ(preview::stepBar(QRect(0, 0, 5, 2), 4), QRect(2, 0, 1, 2));
    EXPECT_TRUE(preview::stepBar(QRect(), 3).isEmpty());
}
