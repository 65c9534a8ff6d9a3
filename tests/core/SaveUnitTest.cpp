#include "core/SaveUnit.h"

#include "core/SaveJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;
using savejournal::Step;
using savejournal::StepKind;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class SaveUnitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(library + QStringLiteral("本/images"))); }

    QString path(const char* name) const { return library + QString::fromUtf8(name); }
    QString journal() const { return library + QString::fromUtf16(savejournal::kFileName); }
    // Every file of the library folder, below it, sorted.
    QStringList files() const {
        QStringList all;
        for (const QString& name :
             QDir(library + QStringLiteral("本")).entryList(QDir::Files, QDir::Name))
            all.append(name);
        for (const QString& name : QDir(library).entryList(QDir::Files, QDir::Name))
            all.append(QStringLiteral("/") + name);
        return all;
    }

    QTemporaryDir dir;
    QString library = dir.path() + u'/';
};

} // namespace

TEST_F(SaveUnitTest, ACommittedUnitWritesRenamesAndDeletesTogetherAndLeavesNothingElse) {
    ASSERT_TRUE(write(path("本/海.alb"), "old sea"));
    ASSERT_TRUE(write(path("本/海.mrk"), "1\r\n"));
    ASSERT_TRUE(write(path("本/川.alb"), "river"));
    ASSERT_TRUE(write(path("本.book"), "old book"));
    {
        SaveUnit unit(library);
        ASSERT_TRUE(unit.move(path("本/海.alb"), path("本/山.alb")));
        ASSERT_TRUE(unit.move(path("本/海.mrk"), path("本/山.mrk")));
        ASSERT_TRUE(unit.remove(path("本/川.alb")));
        ASSERT_TRUE(unit.stage(path("本.book"), QByteArray("new book")));
        EXPECT_EQ(contents(path("本.book")), "old book") << "nothing changes before the commit";
        EXPECT_EQ(files(), (QStringList{"川.alb", "海.alb", "海.mrk", "/本.book"}))
            << "putting a unit together touches no file";
        ASSERT_TRUE(unit.commit());
    }
    EXPECT_EQ(contents(path("本/山.alb")), "old sea");
    EXPECT_EQ(contents(path("本/山.mrk")), "1\r\n");
    EXPECT_EQ(contents(path("本.book")), "new book");
    EXPECT_EQ(files(), (QStringList{"山.alb", "山.mrk", "/本.book"}));
}

TEST_F(SaveUnitTest, AUnitThatFailsOrIsDroppedChangesNothing) {
    ASSERT_TRUE(write(path("本/海.alb"), "sea"));
    ASSERT_TRUE(write(path("本/山.alb"), "a file of no album"));
    ASSERT_TRUE(write(path("本.book"), "old book"));
    {
        // The new name is taken: the unit fails before anything changes.
        SaveUnit unit(library);
        unit.stage(path("本.book"), QByteArray("new book"));
        unit.move(path("本/海.alb"), path("本/山.alb"));
        EXPECT_FALSE(unit.commit());
        EXPECT_EQ(unit.failure().path, path("本/山.alb"));
    }
    {
        // A file that cannot be written (its folder is gone) fails the unit before its commit
        // point: the files written before it go again.
        SaveUnit unit(library);
        EXPECT_TRUE(unit.stage(path("本.book"), QByteArray("new book")));
        EXPECT_TRUE(unit.stage(path("消えた/x.alb"), QByteArray("x")));
        EXPECT_FALSE(unit.commit());
        EXPECT_EQ(unit.failure().path, path("消えた/x.alb"));
    }
    {
        // Nor can a unit name a file outside the library.
        SaveUnit unit(library);
        EXPECT_FALSE(unit.stage(library + QStringLiteral("../外.book"), QByteArray("x")));
        EXPECT_FALSE(unit.commit());
    }
    {
        SaveUnit unit(library);
        unit.stage(path("本.book"), QByteArray("new book"));
        unit.remove(path("本/海.alb"));
    } // never committed
    EXPECT_EQ(contents(path("本.book")), "old book");
    EXPECT_EQ(contents(path("本/海.alb")), "sea");
    EXPECT_EQ(files(), (QStringList{"山.alb", "海.alb", "/本.book"}));
}

TEST_F(SaveUnitTest, OpeningTheLibraryCompletesACommittedSaveAndUndoesAnUncommittedOne) {
    const auto stopAfterCommitPoint = [&](bool committed) {
        ASSERT_TRUE(write(path("本/海.alb"), "sea"));
        ASSERT_TRUE(write(path("本/川.alb"), "river"));
        ASSERT_TRUE(write(path("本.book"), "old book"));
        ASSERT_TRUE(write(path("本.book.AAAAAA"), "new book"));
        const QList<Step> steps = {{StepKind::Move, path("本/海.alb"), path("本/山.alb")},
                                   {StepKind::Write, path("本.book"), path("本.book.AAAAAA")},
                                   {StepKind::Remove, path("本/川.alb"), {}}};
        QByteArray text = savejournal::header();
        for (const Step& step : steps)
            text += *savejournal::stepLine(step, library);
        if (committed)
            text += savejournal::commitLines(text, steps.size());
        ASSERT_TRUE(write(journal(), text));
        // A committed save stopped after its first step.
        if (committed) {
            ASSERT_TRUE(QFile::rename(path("本/海.alb"), path("本/山.alb")));
        }
    };

    stopAfterCommitPoint(true);
    savejournal::Recovery recovery = savejournal::recover(library);
    EXPECT_TRUE(recovery.found && recovery.completed) << recovery.problem.toStdString();
    EXPECT_EQ(files(), (QStringList{"山.alb", "/本.book"}));
    EXPECT_EQ(contents(path("本.book")), "new book");

    QFile::remove(path("本/山.alb"));
    stopAfterCommitPoint(false);
    recovery = savejournal::recover(library);
    EXPECT_TRUE(recovery.found && !recovery.completed && recovery.problem.isEmpty());
    EXPECT_EQ(files(), (QStringList{"川.alb", "海.alb", "/本.book"}))
        << "the temporary file goes, nothing else is touched";
    EXPECT_EQ(contents(path("本.book")), "old book");
    EXPECT_FALSE(savejournal::recover(library).found);
}

TEST_F(SaveUnitTest, AJournalThatIsDamagedOrPointsOutsideTheLibraryTouchesNothing) {
    ASSERT_TRUE(write(path("本/海.alb"), "sea"));
    const Step remove{StepKind::Remove, path("本/海.alb"), {}};
    QByteArray good = savejournal::header() + *savejournal::stepLine(remove, library);
    good += savejournal::commitLines(good, 1);

    QByteArray flipped = good;
    flipped[flipped.indexOf("remove ") + 8] = '0'; // another file than the checksum covers
    const QList<QByteArray> hostile = {
        flipped,
        savejournal::header() + "remove ../outside\nsteps 1\n",
        savejournal::header() + "write 本.book 本/海.alb\n", // a temporary that is no temporary
        "not a journal at all\n",
    };
    for (const QByteArray& text : hostile) {
        ASSERT_TRUE(write(journal(), text));
        const savejournal::Recovery recovery = savejournal::recover(library);
        EXPECT_FALSE(recovery.completed) << text.toStdString();
        EXPECT_EQ(contents(path("本/海.alb")), "sea") << text.toStdString();
        QFile::remove(journal() + QStringLiteral(".damaged"));
        QFile::remove(journal());
    }
    // Cut short anywhere, a journal never completes; whole, it does.
    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(savejournal::decode(good.left(size), library).journal.committed) << size;
    EXPECT_TRUE(savejournal::decode(good, library).journal.committed);
    EXPECT_EQ(savejournal::decode(good, library).journal.steps, QList<Step>{remove});
}
