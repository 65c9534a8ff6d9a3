#include "core/DriveProbe.h"

#include "core/MediaRegistry.h"
#include "support/FakeVolumeTable.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {
void touch(const QString& path) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}
} // namespace

TEST(DriveProbe, FindsMediaBySerialOrByTheirFilesAndSkipsFixedDisks) {
    test::FakeVolumeTable volumes;
    const QString fixed = volumes.mount(kMediumNone, 0x1111, QStringLiteral("SYSTEM"));
    const QString dvd = volumes.mount(kMediumDvd, 0x2222, QStringLiteral("映画"));
    const QString usb = volumes.mount(kMediumRemovable, 0x90000001, QStringLiteral("STICK"));
    touch(fixed + QStringLiteral("動画/a.avi"));
    touch(usb + QStringLiteral("動画/a.avi"));
    DriveProbe probe(volumes);

    EXPECT_EQ(probe.mediumKind(dvd + QStringLiteral("x/y.avi")), kMediumDvd);
    EXPECT_EQ(probe.mediumKind(QStringLiteral("/nowhere/at/all")), kMediumNone);
    EXPECT_EQ(probe.mediumRoots(), (QStringList{dvd, usb}));

    MediumRecord found;
    EXPECT_EQ(probe.findByFile(QStringLiteral("動画/a.avi"), found), usb);
    EXPECT_EQ(found, (MediumRecord{kMediumRemovable, 0x90000001, QStringLiteral("STICK")}));
    MediumRecord untouched{1, 5, QStringLiteral("keep")};
    EXPECT_EQ(probe.findByFile(QStringLiteral("動画/none.avi"), untouched), QString());
    EXPECT_EQ(probe.findByFile(QStringLiteral("動画"), untouched), QString()); // a folder
    EXPECT_EQ(untouched, (MediumRecord{1, 5, QStringLiteral("keep")}));

    // The serial finds the medium and refreshes kind and label; a fixed disk never matches.
    MediumRecord recorded{kMediumCd, 0x2222, QStringLiteral("old label")};
    EXPECT_EQ(probe.findBySerial(recorded), dvd);
    EXPECT_EQ(recorded, (MediumRecord{kMediumDvd, 0x2222, QStringLiteral("映画")}));
    MediumRecord onFixed{kMediumCd, 0x1111, QStringLiteral("SYSTEM")};
    EXPECT_EQ(probe.findBySerial(onFixed), QString());
    MediumRecord noSerial{kMediumCd, 0, QStringLiteral("x")};
    EXPECT_EQ(probe.findBySerial(noSerial), QString());
}

TEST(DriveProbe, OpeningAnAlbumIdentifiesItsMediumOnceAndFollowsItToAnotherDrive) {
    test::FakeVolumeTable volumes;
    const QString first = volumes.mount(kMediumRemovable, 0xABCD0001, QStringLiteral("CAM"));
    touch(first + QStringLiteral("動画/a.avi"));
    DriveProbe probe(volumes);
    MediumRecord recorded, other;
    const QStringList lines{QStringLiteral("動画/a.avi")};

    // Unidentified: found by the first entry, and the registry learns the medium.
    CurrentMedium current = determineCurrentMedium(recorded, lines, probe);
    EXPECT_EQ(current.root, first);
    const MediumRecord cam{kMediumRemovable, 0xABCD0001, QStringLiteral("CAM")};
    EXPECT_EQ(recorded, cam);
    EXPECT_EQ(current.record, cam);

    // The medium comes back in another drive under a new label: found by its serial, entries
    // resolve against the new root, and only the current medium sees the new label.
    volumes.eject(first);
    const QString second = volumes.mount(kMediumRemovable, 0xABCD0001, QStringLiteral("CAM2"));
    touch(second + QStringLiteral("動画/a.avi"));
    current = determineCurrentMedium(recorded, lines, probe);
    EXPECT_EQ(current.root, second);
    EXPECT_TRUE(QFile::exists(current.root + lines.first()));
    EXPECT_EQ(current.record.label, QStringLiteral("CAM2"));
    EXPECT_EQ(recorded, cam);

    // Not inserted: no root.
    volumes.eject(second);
    EXPECT_EQ(determineCurrentMedium(recorded, lines, probe).root, QString());

    // An empty album forgets its medium.
    EXPECT_EQ(determineCurrentMedium(recorded, {}, probe).record, MediumRecord{});
    EXPECT_EQ(recorded, MediumRecord{});

    // An entry written on Windows finds its medium by the same reading as the album does.
    MediumRecord windows;
    EXPECT_EQ(determineCurrentMedium(windows, {QStringLiteral("動画\\a.avi")}, probe).root,
              QString()); // nothing mounted yet

    // A volume without a label stays unidentified and is found by its files every time.
    const QString unlabelled = volumes.mount(kMediumCd, 0x5, QString());
    touch(unlabelled + QStringLiteral("動画/a.avi"));
    EXPECT_EQ(determineCurrentMedium(other, lines, probe).root, unlabelled);
    EXPECT_TRUE(isUnidentified(other));
    EXPECT_EQ(determineCurrentMedium(windows, {QStringLiteral("動画\\a.avi")}, probe).root,
              unlabelled);
}
