#include "core/Tpackedjpg.h"

#include "core/JpegCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// A real picture whose colour tells it apart after a round trip through JPEG.
QImage picture(QColor color, int w = 120, int h = 90) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(color);
    return image;
}

QByteArray jpegOf(QColor color) {
    return jpeg::encode(picture(color));
}

qint32 intAt(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

QColor centreOf(const Tpackedjpg& store, int i) {
    QImage bitmap;
    if (!store.getBitmap(i, bitmap))
        return {};
    return bitmap.pixelColor(bitmap.width() / 2, bitmap.height() / 2);
}

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 &&
           qAbs(a.blue() - b.blue()) < 8;
}

QByteArray pictureAt(const Tpackedjpg& store, int i) {
    QByteArray bytes;
    store.getPicture(i, bytes);
    return bytes;
}

// A store file built by hand: count, the sizes table and the data, with a free data offset.
QByteArray storeFile(qint32 dataOffset, qint32 count, const QList<qint32>& sizes,
                     const QByteArray& data) {
    QByteArray bytes(136, '\0');
    bytes.replace(0, 5, "PJPG ");
    qToLittleEndian<qint32>(dataOffset, bytes.data() + 128);
    qToLittleEndian<qint32>(count, bytes.data() + 132);
    for (qint32 size : sizes) {
        char le[4];
        qToLittleEndian<qint32>(size, le);
        bytes.append(le, 4);
    }
    return bytes + data;
}

} // namespace

TEST(Tpackedjpg, FileLayoutIsHeaderSizesThenTheJpegBytesAsHeld) {
    const QByteArray a = jpegOf(Qt::red);
    const QByteArray b = jpegOf(Qt::blue);
    Tpackedjpg store;
    store.addPicture(a);
    store.addPicture({});
    store.addPicture(b);

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Holiday"));
    ASSERT_TRUE(store.saveToFile(base));
    QFile file(base + QStringLiteral(".pjpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    ASSERT_EQ(bytes.size(), 148 + a.size() + b.size());
    EXPECT_EQ(bytes.left(13), QByteArray("PJPG Holiday\0", 13));
    EXPECT_EQ(bytes.mid(13, 128 - 13), QByteArray(128 - 13, '\0'));
    EXPECT_EQ(intAt(bytes, 128), 148);
    EXPECT_EQ(intAt(bytes, 132), 3);
    EXPECT_EQ(intAt(bytes, 136), a.size());
    EXPECT_EQ(intAt(bytes, 140), 0);
    EXPECT_EQ(intAt(bytes, 144), b.size());
    EXPECT_EQ(bytes.mid(148), a + b); // not re-encoded

    Tpackedjpg loaded;
    ASSERT_TRUE(loaded.loadFromFile(base + QStringLiteral(".pjpg")));
    ASSERT_EQ(loaded.count(), 3);
    EXPECT_EQ(pictureAt(loaded, 0), a);
    EXPECT_TRUE(loaded.isEmpty(1));
    EXPECT_EQ(pictureAt(loaded, 2), b);
    EXPECT_TRUE(near(centreOf(loaded, 2), Qt::blue));
    // Saving again writes the very same bytes.
    EXPECT_EQ(loaded.saveToBytes(QStringLiteral("Holiday")), bytes);
}

TEST(Tpackedjpg, NamesAreCp932AndCutToFitTheTextField) {
    Tpackedjpg store;
    QByteArray bytes = store.saveToBytes(QStringLiteral("夏休み"));
    EXPECT_EQ(bytes.left(12), QByteArray("PJPG \x89\xc4\x8b\x78\x82\xdd\0", 12));
    EXPECT_EQ(bytes.size(), 136);
    EXPECT_EQ(intAt(bytes, 128), 136);
    EXPECT_EQ(intAt(bytes, 132), 0);

    // 70 two-byte characters: 140 bytes do not fit; whole characters are kept and a NUL ends them.
    bytes = store.saveToBytes(QString(70, QChar(0x3042)));
    EXPECT_EQ(bytes.mid(5, 122), QByteArray(61, '\x82').replace('\x82', "\x82\xa0"));
    EXPECT_EQ(bytes.at(127), '\0');
}

TEST(Tpackedjpg, ResizeAppendsBlankPicturesThatSaveAsEmpty) {
    Tpackedjpg store;
    store.addBitmap(picture(Qt::red));
    store.addBitmap(picture(Qt::green));
    store.resize(4);
    ASSERT_EQ(store.count(), 4);
    EXPECT_TRUE(store.isBlank(3));

    QImage bitmap = picture(Qt::white);
    EXPECT_FALSE(store.getBitmap(3, bitmap));
    EXPECT_TRUE(bitmap.isNull());
    QByteArray blank = "x";
    EXPECT_TRUE(store.getPicture(3, blank));
    EXPECT_TRUE(blank.isEmpty());

    const QByteArray bytes = store.saveToBytes(QStringLiteral("a"));
    EXPECT_GT(intAt(bytes, 136), 0);
    EXPECT_GT(intAt(bytes, 140), 0);
    EXPECT_EQ(intAt(bytes, 144), 0);
    EXPECT_EQ(intAt(bytes, 148), 0);

    Tpackedjpg loaded;
    ASSERT_TRUE(loaded.loadFromBytes(bytes));
    EXPECT_TRUE(loaded.isEmpty(3)); // blank reads back as empty

    store.resize(1);
    EXPECT_EQ(store.count(), 1);
    EXPECT_TRUE(near(centreOf(store, 0), Qt::red));
    store.resize(-1);
    EXPECT_EQ(store.count(), 1);
}

TEST(Tpackedjpg, DeleteExchangeAndCopyKeepEmptyEntriesInPlace) {
    const QByteArray a = jpegOf(Qt::red), b = jpegOf(Qt::blue);
    Tpackedjpg store;
    store.addPicture(a);
    store.addPicture({});
    store.addPicture(b);

    store.remove(0);
    ASSERT_EQ(store.count(), 2);
    EXPECT_TRUE(store.isEmpty(0));
    EXPECT_EQ(pictureAt(store, 1), b);
    store.remove(2);
    store.remove(-1);
    EXPECT_EQ(store.count(), 2);

    store.exchange(0, 1); // (B, empty)
    EXPECT_EQ(pictureAt(store, 0), b);
    EXPECT_TRUE(store.isEmpty(1));
    store.exchange(0, 1);
    EXPECT_TRUE(store.isEmpty(0));
    EXPECT_EQ(pictureAt(store, 1), b);
    store.exchange(1, 1);
    store.exchange(0, 5);
    EXPECT_EQ(pictureAt(store, 1), b);

    store.addPicture(a); // (empty, B, A)
    store.copyEntry(0, 2);
    EXPECT_EQ(pictureAt(store, 0), a);
    store.copyEntry(2, 0);
    EXPECT_EQ(pictureAt(store, 2), a);
    store.copyEntry(1, 3);
    EXPECT_EQ(pictureAt(store, 1), b);
    store.addPicture({});
    store.copyEntry(0, 3); // copying an empty entry empties the destination
    EXPECT_TRUE(store.isEmpty(0));
}

TEST(Tpackedjpg, GetAndSetCheckTheirIndex) {
    Tpackedjpg store;
    store.reset(2);
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.lastIndex(), 1);

    QImage bitmap = picture(Qt::white);
    EXPECT_FALSE(store.getBitmap(2, bitmap));
    EXPECT_FALSE(bitmap.isNull()); // untouched for an invalid index
    EXPECT_FALSE(store.getBitmap(0, bitmap));
    EXPECT_TRUE(bitmap.isNull()); // 0 x 0 for an empty entry
    QByteArray bytes;
    EXPECT_FALSE(store.getPicture(0, bytes));

    EXPECT_FALSE(store.setBitmap(-1, picture(Qt::red)));
    EXPECT_FALSE(store.setBitmap(2, picture(Qt::red)));
    EXPECT_FALSE(store.setBitmap(0, QImage())); // nothing to encode
    EXPECT_TRUE(store.isEmpty(0));
    EXPECT_TRUE(store.setBitmap(0, picture(Qt::red)));
    EXPECT_TRUE(near(centreOf(store, 0), Qt::red));
    EXPECT_FALSE(store.setPicture(2, jpegOf(Qt::blue)));
    EXPECT_TRUE(store.setPicture(1, jpegOf(Qt::blue)));
    EXPECT_TRUE(near(centreOf(store, 1), Qt::blue));

    store.reset(-3);
    EXPECT_EQ(store.count(), 2);
    store.reset(0);
    EXPECT_EQ(store.lastIndex(), -1);
}

TEST(Tpackedjpg, PicturesHandedOutAreCopiesThatOutliveTheStore) {
    QTemporaryDir dir;
    Tpackedjpg store;
    store.addPicture(jpegOf(Qt::green));
    ASSERT_TRUE(store.saveToFile(dir.filePath(QStringLiteral("s"))));
    Tpackedjpg loaded;
    ASSERT_TRUE(loaded.loadFromFile(dir.filePath(QStringLiteral("s.pjpg"))));
    QByteArray held;
    ASSERT_TRUE(loaded.getPicture(0, held));
    Tpackedjpg other;
    other.addPicture(held);
    loaded.clear();
    loaded.loadFromBytes(Tpackedjpg().saveToBytes({}));
    EXPECT_TRUE(near(centreOf(other, 0), Qt::green));
    EXPECT_FALSE(jpeg::decode(held).isNull());
}

TEST(Tpackedjpg, FilesWithoutTheSignatureLeaveTheStoreAlone) {
    Tpackedjpg store;
    store.addPicture(jpegOf(Qt::red));
    const QByteArray good = store.saveToBytes(QStringLiteral("x"));

    for (int i = 0; i < 4; ++i) {
        QByteArray bad = good;
        bad[i] = 'p';
        Tpackedjpg target;
        target.reset(5);
        EXPECT_FALSE(target.loadFromBytes(bad));
        EXPECT_EQ(target.count(), 5);
    }
    QByteArray otherFifth = good;
    otherFifth[4] = 'X';
    Tpackedjpg target;
    EXPECT_TRUE(target.loadFromBytes(otherFifth));
    EXPECT_EQ(target.count(), 1);

    QTemporaryDir dir;
    target.reset(2);
    EXPECT_FALSE(target.loadFromFile(dir.filePath(QStringLiteral("missing.pjpg"))));
    EXPECT_FALSE(target.loadFromBytes("PJP"));
    EXPECT_EQ(target.count(), 2);
}

TEST(Tpackedjpg, DamagedFilesLoadWhatIsThere) {
    const QByteArray a = jpegOf(Qt::red), b = jpegOf(Qt::blue), c = jpegOf(Qt::green);
    const qint32 sa = qint32(a.size()), sb = qint32(b.size()), sc = qint32(c.size());

    // Truncated inside the last entry: the earlier ones load.
    Tpackedjpg store;
    QByteArray file = storeFile(148, 3, {sa, sb, sc}, a + b + c);
    ASSERT_TRUE(store.loadFromBytes(file.left(file.size() - 10)));
    ASSERT_EQ(store.count(), 3);
    EXPECT_EQ(pictureAt(store, 1), b);
    EXPECT_TRUE(store.isEmpty(2));

    // Bytes that are not JPEG, a negative size (consumes nothing) and an oversized one.
    const QByteArray junk(100, 'j');
    ASSERT_TRUE(store.loadFromBytes(storeFile(152, 4, {100, -5, sb, 0x7fffffff}, junk + b + c)));
    ASSERT_EQ(store.count(), 4);
    EXPECT_TRUE(store.isEmpty(0));
    EXPECT_TRUE(store.isEmpty(1));
    EXPECT_EQ(pictureAt(store, 2), b);
    EXPECT_TRUE(store.isEmpty(3));

    // A data offset at or past the end: all entries empty.
    ASSERT_TRUE(store.loadFromBytes(storeFile(int(file.size()), 3, {sa, sb, sc}, a + b + c)));
    EXPECT_EQ(store.count(), 3);
    EXPECT_TRUE(store.isEmpty(0) && store.isEmpty(1) && store.isEmpty(2));
    ASSERT_TRUE(store.loadFromBytes(storeFile(-40, 1, {sa}, a)));
    EXPECT_TRUE(store.isEmpty(0));

    // A huge count: no more entries than the file has room for sizes, without a huge allocation.
    const QByteArray huge = storeFile(148, 0x7fffffff, {sa}, a);
    ASSERT_TRUE(store.loadFromBytes(huge));
    EXPECT_EQ(store.count(), (huge.size() - 136) / 4);
    EXPECT_TRUE(store.isEmpty(store.lastIndex()));
    ASSERT_TRUE(store.loadFromBytes(storeFile(148, -7, {}, {})));
    EXPECT_EQ(store.count(), 0);

    // A header cut short after the signature.
    ASSERT_TRUE(store.loadFromBytes(QByteArray("PJPG Holiday")));
    EXPECT_EQ(store.count(), 0);

    // A JPEG start marker followed by garbage loads but does not decode.
    const QByteArray fake = QByteArray("\xff\xd8\xff", 3) + QByteArray(40, 'z');
    ASSERT_TRUE(store.loadFromBytes(storeFile(140, 1, {qint32(fake.size())}, fake)));
    QImage bitmap = picture(Qt::white);
    EXPECT_FALSE(store.getBitmap(0, bitmap));
    EXPECT_TRUE(bitmap.isNull());
    // The decoder that refused it still decodes the next good picture.
    EXPECT_TRUE(near(jpeg::decode(c).pixelColor(5, 5), Qt::green));
}

TEST(Tpackedjpg, LoadFromFilesKeepsJpegsConvertsBitmapsAndReportsUnreadableOnes) {
    QTemporaryDir dir;
    const QString jpgPath = dir.filePath(QStringLiteral("a.jpg"));
    const QByteArray a = jpegOf(Qt::red);
    QFile jpg(jpgPath);
    ASSERT_TRUE(jpg.open(QIODevice::WriteOnly));
    jpg.write(a);
    jpg.close();
    const QString bmpPath = dir.filePath(QStringLiteral("b.bmp"));
    ASSERT_TRUE(picture(Qt::blue).save(bmpPath, "BMP"));
    const QString badPath = dir.filePath(QStringLiteral("c.jpg"));
    QFile bad(badPath);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();

    Tpackedjpg store;
    store.addPicture(a);
    const Tpackedjpg::FilesRead read = store.loadFromFiles(
        {jpgPath, QString(), dir.filePath(QStringLiteral("gone.jpg")), bmpPath, badPath});
    EXPECT_EQ(read.taken, (QStringList{jpgPath, bmpPath}));
    ASSERT_EQ(store.count(), 5);
    EXPECT_EQ(pictureAt(store, 0), a);
    EXPECT_TRUE(store.isEmpty(1));
    EXPECT_TRUE(store.isEmpty(2));
    EXPECT_TRUE(near(centreOf(store, 3), Qt::blue));
    EXPECT_TRUE(store.isEmpty(4));
    ASSERT_EQ(read.problems.size(), 1);
    EXPECT_EQ(read.problems[0].message, badPath + QStringLiteral(" は読み込めません"));
    EXPECT_EQ(read.problems[0].path, badPath);

    store.loadFromFiles({});
    EXPECT_EQ(store.count(), 5);
}

TEST(Tpackedjpg, ALoadedStoreChangedAndSavedOverItsOwnFileKeepsEveryPicture) {
    QList<QByteArray> pictures;
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    for (QColor color : colors)
        pictures.append(jpegOf(color));
    Tpackedjpg original;
    for (const QByteArray& p : pictures)
        original.addPicture(p);
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Album"));
    const QString path = base + QStringLiteral(".pjpg");
    ASSERT_TRUE(original.saveToFile(base));

    // Mixed runs: loaded pictures moved, replaced, copied and deleted between untouched ones.
    Tpackedjpg store;
    ASSERT_TRUE(store.loadFromFile(path));
    const QByteArray fresh = jpegOf(Qt::white);
    store.exchange(0, 5);
    store.setPicture(2, fresh);
    store.copyEntry(3, 4);
    store.remove(1);
    store.addPicture(fresh);
    const QList<QByteArray> expected{pictures[5], fresh,       pictures[4],
                                     pictures[4], pictures[0], fresh};
    ASSERT_TRUE(store.saveToFile(base)); // replaces the file the store was loaded from
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pictureAt(store, i), expected[i]) << i;

    Tpackedjpg reloaded;
    ASSERT_TRUE(reloaded.loadFromFile(path));
    ASSERT_EQ(reloaded.count(), int(expected.size()));
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pictureAt(reloaded, i), expected[i]) << i;
    // A store built in memory from the same pictures gives the same file.
    Tpackedjpg built;
    for (const QByteArray& p : expected)
        built.addPicture(p);
    EXPECT_EQ(built.saveToBytes(QStringLiteral("Album")),
              reloaded.saveToBytes(QStringLiteral("Album")));
}
