// A library folder met for the first time starts with a user list of today's containers, which
// the exit writes to its userex.inf; a library that was used before (it has Tavimo.ini or
// userex.inf) is read and never changed.
#include "core/AppState.h"
#include "core/Settings.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// Every file of the folder with its bytes (a link as its target), to compare before and after.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        files.insert(entry.fileName(), entry.isSymLink()
                                           ? QByteArray("-> ") + entry.symLinkTarget().toUtf8()
                                           : test::readTestFile(entry.filePath()));
    }
    return files;
}

QStringList dottedLines(const QByteArray& bytes) {
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class NewLibrary : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST_F(NewLibrary, AnEmptyFolderStartsWithTodaysContainersAndTheExitWritesThem) {
    state.initialise(dir.path());
    EXPECT_TRUE(snapshot(dir.path()).isEmpty()) << "nothing is written before start-up ends";
    for (const char* name :
         {"/v/a.webm", "/v/b.OGV", "/v/c.ts", "/v/d.m2ts", "/v/e.MTS", "/v/f.m2t",
          "/v/VIDEO_TS/VTS_01_1.VOB", "/v/g.mod", "/v/h.tod", "/v/i.f4v", "/v/j.wtv", "/v/k.mxf"})
        EXPECT_TRUE(state.extensions.isVideo(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(state.extensions.isVideo(QStringLiteral("/v/notes.txt")));
    // They are the library's own list: the built-in list alone does not take them, so a
    // library moved to another installation counts exactly the same files.
    const VideoExtensions builtInOnly;
    for (const QString& extension : state.extensions.user()) {
        EXPECT_FALSE(builtInOnly.isVideo(QStringLiteral("/v/x") + extension));
        EXPECT_FALSE(builtInOnly.builtin().contains(extension, Qt::CaseInsensitive));
    }

    // The exit's write: one extension a line, lower case with its dot, CR LF after each.
    ASSERT_TRUE(saveUserExtensions(state));
    const QByteArray written = test::readTestFile(path("userex.inf"));
    EXPECT_TRUE(written.endsWith("\r\n"));
    const QStringList lines = dottedLines(written);
    EXPECT_EQ(lines, state.extensions.user());
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(u'.')) << line.toStdString();
        EXPECT_EQ(line, line.toLower());
    }

    // The folder is no longer new: the next start reads the file and writes nothing.
    const auto before = snapshot(dir.path());
    AppState again;
    again.initialise(dir.path());
    EXPECT_FALSE(again.isNewLibrary());
    EXPECT_EQ(again.extensions.user(), lines);
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(NewLibrary, AnExistingLibraryIsReadAndLeftByteForByte) {
    struct Case {
        const char* what;
        QMap<QString, QByteArray> files;
        QStringList expectedUserList;
    };
    const QList<Case> cases{
        {"settings only", {{"Tavimo.ini", "[form]\r\nwidth=700\r\n"}}, {}},
        {"empty settings file", {{"Tavimo.ini", ""}}, {}},
        {"user list only", {{"userex.inf", "\r\n.vob\r\n\r\n.AVCHD"}}, {".vob", ".AVCHD"}},
        {"empty user list", {{"userex.inf", ""}, {"shelf.book", "trip\r\n"}}, {}},
        {"both", {{"Tavimo.ini", "[ex]\r\npacked=1\r\n"}, {"userex.inf", ".ts\n"}}, {".ts"}},
    };
    for (const Case& c : cases) {
        QTemporaryDir library;
        for (auto it = c.files.begin(); it != c.files.end(); ++it)
            ASSERT_TRUE(test::writeTestFile(library.filePath(it.key()), it.value()));
        const auto before = snapshot(library.path());
        AppState existing;
        existing.initialise(library.path());
        EXPECT_FALSE(existing.isNewLibrary()) << c.what;
        EXPECT_EQ(existing.extensions.user(), c.expectedUserList) << c.what;
        EXPECT_EQ(snapshot(library.path()), before) << c.what;
    }
}

TEST_F(NewLibrary, AUserListThatIsADanglingLinkMakesTheLibraryAnExistingOne) {
    ASSERT_TRUE(QFile::link(path("elsewhere/userex.inf"), path("userex.inf")));
    const auto before = snapshot(dir.path());
    state.initialise(dir.path());
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_TRUE(state.extensions.user().isEmpty());
}
