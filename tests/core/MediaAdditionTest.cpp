#include "core/MediaAddition.h"

#include "core/EntryFiles.h"
#include "support/FakeVolumeTable.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QString touch(const QString& path) {
    EXPECT_TRUE(test::writeTestFile(path, {}));
    return path;
}

struct MediaAdditionTest : ::testing::Test {
    test::FakeVolumeTable volumes;
    QTemporaryDir disk; // a fixed disk: no volume of the table holds it
    DriveProbe probe{volumes};
    QString hd(const QString& name) { return touch(disk.filePath(name)); }
};

} // namespace

TEST_F(MediaAdditionTest, NormalBooksRefuseAListThatStartsOnRemovableMedia) {
    const QString dvd = volumes.mount(kMediumDvd, 0x1234, QStringLiteral("DISC"));
    const QString onDvd = touch(dvd + QStringLiteral("a.avi"));
    const QString fixed = hd(QStringLiteral("b.avi"));

    AdditionPlan plan = planAddition(BookMode::Normal, {}, {}, {onDvd, fixed}, probe);
    EXPECT_EQ(plan.refusal, kNoRemovableFilesMessage);
    EXPECT_TRUE(plan.files.isEmpty());

    // Only the first file decides; entries are full paths.
    plan = planAddition(BookMode::Normal, {}, {}, {fixed, onDvd}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_EQ(plan.entries, (QStringList{fixed, onDvd}));
    EXPECT_FALSE(plan.mediumFound);
}

TEST_F(MediaAdditionTest, FilesAlreadyInTheAlbumOrTwiceInTheListAreAddedOnce) {
    const QString a = hd(QStringLiteral("a.avi"));
    const QString b = hd(QStringLiteral("b.avi"));
    const QStringList album{disk.filePath(QStringLiteral("A.AVI"))};

    AdditionPlan plan = planAddition(BookMode::Normal, album, {}, {a, b, b}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_EQ(plan.files, QStringList{b});

    // Nothing new: nothing is added and nothing is said, even where a message would be due.
    const QString usb = volumes.mount(kMediumRemovable, 7, QStringLiteral("USB"));
    const QString onUsb = touch(usb + QStringLiteral("c.avi"));
    plan = planAddition(BookMode::Normal, {onUsb}, {}, {onUsb}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_TRUE(plan.files.isEmpty());
    EXPECT_TRUE(planAddition(BookMode::Normal, {}, {}, {}, probe).files.isEmpty());
}

TEST_F(MediaAdditionTest, AMediaAlbumTakesTheMediumOfItsFirstFilesAndRefusesAnother) {
    const QString e = volumes.mount(kMediumRemovable, 0xE, QStringLiteral("DRIVE_E"));
    const QString f = volumes.mount(kMediumRemovable, 0xF, QStringLiteral("DRIVE_F"));
    const QString onE = touch(e + QStringLiteral("動画/a.avi"));
    const QString onF = touch(f + QStringLiteral("b.avi"));

    EXPECT_EQ(
        planAddition(BookMode::Media, {}, {}, {hd(QStringLiteral("x.avi")), onE}, probe).refusal,
        kOnlyRemovableFilesMessage);

    // An empty album records the medium of the first file.
    AdditionPlan plan = planAddition(BookMode::Media, {}, {}, {onE}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_TRUE(plan.mediumFound);
    EXPECT_FALSE(plan.removeMissing);
    EXPECT_EQ(plan.medium.root, e);
    EXPECT_EQ(plan.medium.record, (MediumRecord{kMediumRemovable, 0xE, QStringLiteral("DRIVE_E")}));
    EXPECT_EQ(plan.entries, QStringList{QStringLiteral("動画/a.avi")});

    // Later additions must come from that medium.
    const CurrentMedium onDriveE = plan.medium;
    plan = planAddition(BookMode::Media, plan.entries, onDriveE, {onF}, probe);
    EXPECT_EQ(plan.refusal, kMediumMismatchMessage);
    // The same file again, from the known medium, is already there.
    plan = planAddition(BookMode::Media, {QStringLiteral("動画/a.avi")}, onDriveE, {onE}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_TRUE(plan.files.isEmpty());
    // A file of the list that lies on another volume cannot become an entry of this medium.
    const QString second = touch(e + QStringLiteral("c.avi"));
    plan = planAddition(BookMode::Media, {}, onDriveE, {second, onF}, probe);
    EXPECT_EQ(plan.entries, QStringList{QStringLiteral("c.avi")});
    EXPECT_EQ(plan.files, QStringList{second});

    // The medium is not inserted but was identified: refused.
    CurrentMedium absent{onDriveE.record, QString()};
    EXPECT_EQ(
        planAddition(BookMode::Media, {QStringLiteral("動画/a.avi")}, absent, {onF}, probe).refusal,
        kMediumMismatchMessage);
}

TEST_F(MediaAdditionTest, AnUnidentifiedMediaAlbumIsFoundByItsEntries) {
    const QString e = volumes.mount(kMediumCd, 0x77, QStringLiteral("CD"));
    touch(e + QStringLiteral("old.avi"));
    const QString fresh = touch(e + QStringLiteral("new.avi"));
    const QStringList album{QStringLiteral("gone.avi"), QStringLiteral("old.avi"),
                            QStringLiteral("NEW.avi")};

    AdditionPlan plan = planAddition(BookMode::Media, album, {}, {fresh}, probe);
    EXPECT_EQ(plan.refusal, QString());
    EXPECT_TRUE(plan.mediumFound);
    EXPECT_TRUE(plan.removeMissing);
    EXPECT_EQ(plan.medium.root, e);
    EXPECT_EQ(plan.medium.record.serial, 0x77u);
    EXPECT_EQ(entriesMissingFrom(plan.medium.root, album), (QList<int>{2, 0}));
    // NEW.avi is not on the medium and goes, so new.avi is not taken for it.
    EXPECT_EQ(plan.entries, QStringList{QStringLiteral("new.avi")});
    // Once the medium is known the album's entries are paths: old.avi is there already.
    plan = planAddition(BookMode::Media, album, {}, {e + QStringLiteral("OLD.avi")}, probe);
    EXPECT_TRUE(plan.mediumFound);
    EXPECT_TRUE(plan.files.isEmpty());

    // None of the album's videos on any inserted medium: the new files are refused rather
    // than tying the album to a medium its videos are not on.
    EXPECT_EQ(planAddition(BookMode::Media, {QStringLiteral("elsewhere.avi")}, {}, {fresh}, probe)
                  .refusal,
              kMediumMismatchMessage);
}

TEST_F(MediaAdditionTest, EntriesWrittenOnWindowsAreTheFilesOfTheirMediumAndStay) {
    const QString e = volumes.mount(kMediumRemovable, 0x5A, QStringLiteral("CAM"));
    const QString a = touch(e + QStringLiteral("動画/a.avi"));
    const QString b = touch(e + QStringLiteral("動画/b.avi"));
    touch(e + QStringLiteral("C:/動画/d.avi")); // a folder named like a drive is no drive
    const QStringList album{QStringLiteral("動画\\a.avi"), QStringLiteral("動画\\gone.avi"),
                            QStringLiteral("旅行\\c.avi"), QStringLiteral("C:\\動画\\d.avi")};

    // Only the file missing from a folder that is there goes; a folder the medium lacks, and a
    // path of a Windows drive, cannot tell.
    EXPECT_EQ(entriesMissingFrom(e, album), QList<int>{1});
    MediumRecord record;
    EXPECT_EQ(probe.findByFile(album.at(3), record), QString());

    // Found by its entries, the album takes only the file it does not hold yet.
    AdditionPlan plan = planAddition(BookMode::Media, album, {}, {a, b}, probe);
    EXPECT_TRUE(plan.removeMissing);
    EXPECT_EQ(plan.medium.root, e);
    EXPECT_EQ(plan.files, QStringList{b});
    EXPECT_EQ(plan.entries, QStringList{QStringLiteral("動画/b.avi")});
    // The same once its medium is known.
    plan = planAddition(BookMode::Media, album, plan.medium, {a, b}, probe);
    EXPECT_EQ(plan.files, QStringList{b});
}

TEST_F(MediaAdditionTest, APathWithALineBreakIsLeftOutAndNamed) {
    const QString lf = hd(QStringLiteral("new\nline.avi"));
    const QString cr = hd(QStringLiteral("carriage\r.avi"));
    const QString fine = hd(QStringLiteral("fine.avi"));
    AdditionPlan plan = planAddition(BookMode::Normal, {}, {}, {lf, fine, cr}, probe);
    EXPECT_EQ(plan.files, QStringList{fine});
    EXPECT_EQ(plan.entries, QStringList{fine});
    EXPECT_EQ(plan.unfit, (QStringList{lf, cr}));

    const QString message = unfitPathsMessage({lf, cr});
    EXPECT_TRUE(message.contains(disk.filePath(QStringLiteral("new[改行]line.avi"))));
    EXPECT_TRUE(message.contains(disk.filePath(QStringLiteral("carriage[改行].avi"))));
    // A break shown as it is would cut a name in two on the screen.
    for (const QString& line : message.split(QStringLiteral("\r\n")))
        EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r'));
}
