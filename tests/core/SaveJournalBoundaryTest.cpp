// The journal made by hand, as a careless or hostile writer of the library folder would leave
// it: steps through a link to a folder outside, a link in a file's place, a journal that is a
// link, a FIFO, a folder or huge. Start-up's recovery sets each aside and touches nothing: every
// file outside the library stays byte for byte, and the library's own files too.
#include "core/SaveJournal.h"
#include "core/SaveUnit.h"
#include "support/FolderSnapshot.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavimo;
using savejournal::Step;
using savejournal::StepKind;
using test::folderSnapshot;
using test::readTestFile;
using test::writeTestFile;

namespace {

bool makeLink(const QString& target, const QString& link) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) ==
           0;
}

mode_t typeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

class SaveJournalBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Outside: files whose bytes must survive, one named as a temporary file would be.
        ASSERT_TRUE(writeTestFile(outside + "victim.txt", "the user's own file \x01\xff"));
        ASSERT_TRUE(writeTestFile(outside + "victim.txt.abcdef", "another file of the user"));
        ASSERT_TRUE(writeTestFile(outside + "海.alb", "an album of another library"));
        ASSERT_TRUE(writeTestFile(outside + "海.alb.ABCDEF", "its next version"));
        // Inside: a book, an album, a link to the outside folder, a book folder that is such a
        // link, and an album file that is a link to an outside file.
        ASSERT_TRUE(writeTestFile(library + "旅行.book", "trip\r\n"));
        ASSERT_TRUE(writeTestFile(library + "本/海.alb", "sea\r\n"));
        ASSERT_TRUE(QDir().mkpath(library + "本/images"));
        ASSERT_TRUE(makeLink(outside, library + "evil"));
        ASSERT_TRUE(makeLink(outside, library + "写真"));
        ASSERT_TRUE(makeLink(outside + "victim.txt", library + "本/linked.alb"));
        outsideBefore = folderSnapshot(outside);
        libraryBefore = folderSnapshot(library);
    }

    QString journal() const { return library + QString::fromUtf16(savejournal::kFileName); }
    QString kept() const { return journal() + ".damaged"; }

    // A journal of these step lines, committed or cut short before its commit line.
    QByteArray journalOf(const QList<QByteArray>& lines, bool committed) const {
        QByteArray text = savejournal::header();
        for (const QByteArray& line : lines)
            text += line + '\n';
        if (committed)
            text += savejournal::commitLines(text, lines.size());
        return text;
    }
    QByteArray line(StepKind kind, const char* first, const char* second = nullptr) const {
        const Step step{kind, library + QString::fromUtf8(first),
                        second ? library + QString::fromUtf8(second) : QString()};
        return savejournal::stepLine(step, library)->trimmed();
    }

    // Recovery set the journal aside, out of the next save's way, and said where.
    void expectSetAside(const savejournal::Recovery& recovery) {
        EXPECT_TRUE(recovery.found);
        EXPECT_FALSE(recovery.completed);
        EXPECT_TRUE(recovery.problem.contains(QDir::toNativeSeparators(kept())))
            << recovery.problem.toStdString();
        EXPECT_EQ(typeOf(journal()), 0u);
        EXPECT_NE(typeOf(kept()), 0u);
    }
    // Nothing outside changed, nor anything of the library but the journal set aside.
    void expectNothingTouched() {
        EXPECT_EQ(folderSnapshot(outside), outsideBefore);
        auto now = folderSnapshot(library);
        std::erase_if(now, [](const auto& entry) {
            return entry.first.starts_with("Tavimo.journal.damaged");
        });
        EXPECT_EQ(now, libraryBefore);
    }

    QTemporaryDir dir;
    QString library = dir.path() + "/library/";
    QString outside = dir.path() + "/outside/";
    std::map<std::string, std::string> outsideBefore;
    std::map<std::string, std::string> libraryBefore;
};

} // namespace

TEST_F(SaveJournalBoundaryTest, AStepThroughALinkOrOntoOneSetsTheJournalAsideAndTouchesNothing) {
    const struct {
        const char* what;
        QList<QByteArray> lines;
        bool committed;
    } journals[] = {
        {"a deletion through a link, after one inside",
         {line(StepKind::Remove, "本/海.alb"), "remove evil/victim.txt"},
         true},
        {"a new file through a link", {"write evil/victim.txt evil/victim.txt.abcdef"}, true},
        {"an undone save's temporary file through a link",
         {"write evil/victim.txt evil/victim.txt.abcdef"},
         false},
        {"a book moved out of the library",
         {line(StepKind::Move, "旅行.book", "evil/stolen.book")},
         true},
        {"a book folder that is a link",
         {line(StepKind::Write, "写真/海.alb", "写真/海.alb.ABCDEF")},
         true},
        {"a link in an album file's place", {line(StepKind::Remove, "本/linked.alb")}, true},
        {"a new file over a link",
         {line(StepKind::Write, "本/linked.alb", "本/linked.alb.QWERTY")},
         true},
    };
    for (const auto& [what, lines, committed] : journals) {
        SCOPED_TRACE(what);
        const QByteArray text = journalOf(lines, committed);
        ASSERT_TRUE(writeTestFile(journal(), text));
        const QString temporary = library + "本/linked.alb.QWERTY";
        const bool withTemporary = lines.last().contains("QWERTY");
        if (withTemporary) {
            ASSERT_TRUE(writeTestFile(temporary, "new"));
        }
        expectSetAside(savejournal::recover(library));
        EXPECT_EQ(readTestFile(kept()), text);
        QFile::remove(kept());
        if (withTemporary) {
            EXPECT_TRUE(QFile::remove(temporary)) << "kept: nothing of the journal is taken";
        }
        expectNothingTouched();
    }
}

TEST_F(SaveJournalBoundaryTest, AJournalThatIsNoRegularFileOrTooLargeIsSetAsideUnread) {
    // A committed journal outside that would delete an album, reached through a link.
    ASSERT_TRUE(
        writeTestFile(outside + "journal", journalOf({line(StepKind::Remove, "本/海.alb")}, true)));
    outsideBefore = folderSnapshot(outside);

    ASSERT_TRUE(makeLink("/dev/zero", journal())); // endless
    expectSetAside(savejournal::recover(library));
    expectNothingTouched();
    EXPECT_EQ(typeOf(kept()), mode_t(S_IFLNK));
    ASSERT_TRUE(QFile::remove(kept()));

    ASSERT_TRUE(makeLink(outside + "journal", journal()));
    expectSetAside(savejournal::recover(library));
    expectNothingTouched();
    EXPECT_EQ(typeOf(kept()), mode_t(S_IFLNK));
    ASSERT_TRUE(QFile::remove(kept()));

    ASSERT_EQ(::mkfifo(QFile::encodeName(journal()).constData(), 0600), 0); // no writer ever
    expectSetAside(savejournal::recover(library));
    expectNothingTouched();
    EXPECT_EQ(typeOf(kept()), mode_t(S_IFIFO));
    ASSERT_TRUE(QFile::remove(kept()));

    ASSERT_TRUE(writeTestFile(journal() + "/inside", "a file in a folder"));
    expectSetAside(savejournal::recover(library));
    expectNothingTouched();
    EXPECT_EQ(readTestFile(kept() + "/inside"), "a file in a folder");
    ASSERT_TRUE(QDir(kept()).removeRecursively());

    // A journal's start, then more than any journal holds.
    const QByteArray huge = journalOf({line(StepKind::Remove, "本/海.alb")}, false) +
                            QByteArray(savejournal::kMaxJournalBytes, 'x');
    ASSERT_TRUE(writeTestFile(journal(), huge));
    expectSetAside(savejournal::recover(library));
    expectNothingTouched();
    EXPECT_EQ(readTestFile(kept()), huge);
}

TEST_F(SaveJournalBoundaryTest, ADeletionOfAFolderNeverBlocksLaterSaves) {
    ASSERT_TRUE(writeTestFile(library + "本/folder.alb/inside", "kept"));
    libraryBefore = folderSnapshot(library);
    ASSERT_TRUE(
        writeTestFile(journal(), journalOf({line(StepKind::Remove, "本/folder.alb")}, true)));
    // A save finds the journal first; it fails once, saying why, and the journal is set aside.
    {
        SaveUnit unit(library);
        ASSERT_TRUE(unit.stage(library + "旅行.book", QByteArray("first")));
        EXPECT_FALSE(unit.commit());
        EXPECT_TRUE(unit.failure().error.contains(QDir::toNativeSeparators(kept())))
            << unit.failure().error.toStdString();
    }
    EXPECT_EQ(typeOf(journal()), 0u);
    expectNothingTouched();
    // Every later save goes through.
    SaveUnit unit(library);
    ASSERT_TRUE(unit.stage(library + "旅行.book", QByteArray("new trip")));
    ASSERT_TRUE(unit.stage(library + "本/海.alb", QByteArray("new sea")));
    ASSERT_TRUE(unit.commit()) << unit.failure().message().toStdString();
    EXPECT_EQ(readTestFile(library + "旅行.book"), "new trip");
    EXPECT_EQ(readTestFile(library + "本/folder.alb/inside"), "kept");
}

TEST_F(SaveJournalBoundaryTest, ASaveRefusesWhatItsJournalWouldBeRefused) {
    // Through the book folder that is a link, or over the album file that is one: refused
    // before any file is made, so nothing outside changes and no step half happens.
    {
        SaveUnit unit(library);
        unit.stage(library + "旅行.book", QByteArray("new trip"));
        unit.stage(library + "写真/海.alb", QByteArray("x"));
        EXPECT_FALSE(unit.commit());
        EXPECT_EQ(unit.failure().path, library + "写真/海.alb");
    }
    {
        SaveUnit unit(library);
        unit.stage(library + "旅行.book", QByteArray("new trip"));
        unit.remove(library + "本/linked.alb");
        EXPECT_FALSE(unit.commit());
        EXPECT_EQ(unit.failure().path, library + "本/linked.alb");
    }
    {
        SaveUnit unit(library);
        unit.move(library + "本/海.alb", library + "evil/海.alb");
        EXPECT_FALSE(unit.commit());
        EXPECT_EQ(unit.failure().path, library + "evil/海.alb");
    }
    EXPECT_EQ(folderSnapshot(outside), outsideBefore);
    EXPECT_EQ(folderSnapshot(library), libraryBefore);

    // A save of the library's own files goes on as before, and leaves nothing behind.
    SaveUnit unit(library);
    ASSERT_TRUE(unit.move(library + "本/海.alb", library + "本/山.alb"));
    ASSERT_TRUE(unit.stage(library + "旅行.book", QByteArray("new trip")));
    ASSERT_TRUE(unit.commit()) << unit.failure().message().toStdString();
    EXPECT_EQ(readTestFile(library + "本/山.alb"), "sea\r\n");
    EXPECT_EQ(readTestFile(library + "旅行.book"), "new trip");
    EXPECT_EQ(typeOf(journal()), 0u);
    EXPECT_EQ(folderSnapshot(outside), outsideBefore);
}
