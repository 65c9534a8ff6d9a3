#include "platform/LinuxVolumeTable.h"
#include "platform/SingleInstance.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using platform::LinuxVolumeTable;
using platform::SingleInstance;

namespace {

// A block device as sysfs shows it: /sys/class/block/NAME links into the device tree, where a
// partition's folder lies inside its disk's folder.
void addBlock(const QString& sys, const QString& disk, const QString& partition,
              const char* removable) {
    const QString diskFolder = sys + QStringLiteral("/devices/pci0/block/") + disk;
    ASSERT_TRUE(test::writeTestFile(diskFolder + QStringLiteral("/removable"), removable));
    QDir().mkpath(sys + QStringLiteral("/class/block"));
    QDir().mkpath(sys + QStringLiteral("/block"));
    QFile::link(diskFolder, sys + QStringLiteral("/block/") + disk);
    QFile::link(diskFolder, sys + QStringLiteral("/class/block/") + disk);
    if (!partition.isEmpty()) {
        ASSERT_TRUE(
            test::writeTestFile(diskFolder + u'/' + partition + QStringLiteral("/partition"), "1"));
        QFile::link(diskFolder + u'/' + partition,
                    sys + QStringLiteral("/class/block/") + partition);
    }
}

} // namespace

TEST(SingleInstance, OneHolderAtATimeAndTheLockEndsWithItsHolder) {
    QTemporaryDir runtime;
    SingleInstance first(runtime.path());
    SingleInstance second(runtime.path());
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire()); // holding it already
    EXPECT_FALSE(second.acquire());
    first.release();
    EXPECT_TRUE(second.acquire());

    // A folder where no lock file can be made does not stop the program from starting.
    SingleInstance nowhere(runtime.filePath(QStringLiteral("missing/folder")));
    EXPECT_TRUE(nowhere.acquire());
}

TEST(LinuxVolumeTable, KindsComeFromSysfs) {
    QTemporaryDir dir;
    const QString sys = dir.filePath(QStringLiteral("sys"));
    addBlock(sys, QStringLiteral("sda"), QStringLiteral("sda2"), "0");
    addBlock(sys, QStringLiteral("sdb"), QStringLiteral("sdb1"), "1");
    addBlock(sys, QStringLiteral("mmcblk0"), QStringLiteral("mmcblk0p1"), "0");
    addBlock(sys, QStringLiteral("sr0"), QString(), "1");
    const LinuxVolumeTable table(sys, dir.filePath(QStringLiteral("dev")));
    EXPECT_EQ(table.kindOf(QStringLiteral("sda2"), 1 << 30), kMediumNone);
    EXPECT_EQ(table.kindOf(QStringLiteral("sdb1"), 1 << 30), kMediumRemovable);
    EXPECT_EQ(table.kindOf(QStringLiteral("sdb"), 1 << 30), kMediumRemovable);
    EXPECT_EQ(table.kindOf(QStringLiteral("mmcblk0p1"), 1 << 30), kMediumRemovable);
    EXPECT_EQ(table.kindOf(QStringLiteral("sr0"), 700ll << 20), kMediumCd);
    EXPECT_EQ(table.kindOf(QStringLiteral("sr0"), 800ll << 20), kMediumCd);
    EXPECT_EQ(table.kindOf(QStringLiteral("sr0"), (800ll << 20) + 1), kMediumDvd);
    EXPECT_EQ(table.kindOf(QStringLiteral("loop0"), 1 << 30), kMediumNone);
    EXPECT_EQ(table.kindOf(QString(), 0), kMediumNone);
}

TEST(LinuxVolumeTable, SerialsAreTheOnesWindowsShows) {
    EXPECT_EQ(LinuxVolumeTable::serialFromUuid(QStringLiteral("vfat"), QStringLiteral("1A2B-3C4D")),
              0x1A2B3C4Du);
    EXPECT_EQ(
        LinuxVolumeTable::serialFromUuid(QStringLiteral("exfat"), QStringLiteral("FFFF-0001")),
        0xFFFF0001u);
    EXPECT_EQ(LinuxVolumeTable::serialFromUuid(QStringLiteral("ntfs3"),
                                               QStringLiteral("01D9A1B2C3D4E5F6")),
              0xC3D4E5F6u);
    EXPECT_EQ(LinuxVolumeTable::serialFromUuid(QStringLiteral("ext4"), QString()), 0u);
    const uint32_t hashed = LinuxVolumeTable::serialFromUuid(
        QStringLiteral("ext4"), QStringLiteral("0b7f3c1e-9a1d-4a4e-8f55-6d2c1f0a9b3e"));
    EXPECT_NE(hashed, 0u);
    EXPECT_EQ(hashed,
              LinuxVolumeTable::serialFromUuid(
                  QStringLiteral("ext4"), QStringLiteral("0b7f3c1e-9a1d-4a4e-8f55-6d2c1f0a9b3e")));

    // Disc serial: byte-wide sums of the four byte lanes of the descriptor, overflowing.
    QByteArray descriptor(2048, '\0');
    descriptor[0] = 1;
    descriptor[4] = static_cast<char>(255);
    descriptor[1] = 0x12;
    descriptor[6] = 0x34;
    descriptor[3] = 0x56;
    descriptor[7] = 0x01;
    EXPECT_EQ(LinuxVolumeTable::discSerial(descriptor), 0x00123457u);
}

TEST(LinuxVolumeTable, DiscSerialPrefersTheJolietDescriptor) {
    QTemporaryDir dir;
    auto sector = [](uint8_t type, const QByteArray& escape) {
        QByteArray d(2048, 'x');
        d[0] = static_cast<char>(type);
        d.replace(1, 5, "CD001");
        d.replace(88, escape.size(), escape);
        return d;
    };
    const QByteArray primary = sector(1, "   ");
    const QByteArray joliet = sector(2, "%/E");
    const QString image = dir.filePath(QStringLiteral("disc.iso"));
    ASSERT_TRUE(test::writeTestFile(image, QByteArray(16 * 2048, '\0') + primary + joliet +
                                               sector(255, "")));
    EXPECT_EQ(LinuxVolumeTable::discDescriptor(image), joliet);

    const QString plain = dir.filePath(QStringLiteral("plain.iso"));
    ASSERT_TRUE(
        test::writeTestFile(plain, QByteArray(16 * 2048, '\0') + primary + sector(255, "")));
    EXPECT_EQ(LinuxVolumeTable::discDescriptor(plain), primary);
    EXPECT_TRUE(LinuxVolumeTable::discDescriptor(dir.filePath(QStringLiteral("none"))).isEmpty());
    EXPECT_TRUE(LinuxVolumeTable::discDescriptor(image.left(image.size() - 4)).isEmpty());
}

TEST(LinuxVolumeTable, LabelsLoseTheirEscapesInEitherEncoding) {
    EXPECT_EQ(LinuxVolumeTable::decodeLabel(QStringLiteral("MY\\x20DISK")),
              QStringLiteral("MY DISK"));
    EXPECT_EQ(LinuxVolumeTable::decodeLabel(QStringLiteral("\\xe6\\x98\\xa0\\xe7\\x94\\xbb")),
              QStringLiteral("映画"));
    EXPECT_EQ(LinuxVolumeTable::decodeLabel(QStringLiteral("\\x89\\x66\\x89\\xe6")),
              QStringLiteral("映画"));
    EXPECT_EQ(LinuxVolumeTable::decodeLabel(QStringLiteral("a\\xZZ")), QStringLiteral("a\\xZZ"));

    // This machine's own volumes: every root ends in '/'.
    const QList<VolumeInfo> volumes = LinuxVolumeTable().volumes();
    for (const VolumeInfo& volume : volumes)
        EXPECT_TRUE(volume.root.endsWith(u'/')) << volume.root.toStdString();
}
