#include "ui/book/BookToolCommands.h"

#include "core/AppState.h"
#include "core/DocumentOpener.h"
#include "core/LibrarySession.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"
#include "support/TestFiles.h"
#include "ui/book/BookWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tavimo;
using tavimo::test::writeTestFile;

namespace {

using Answer = DialogService::Answer;

// The desktop's browser cannot be started in a test: the page it would show is recorded.
class RecordingOpener final : public DocumentOpener {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return true;
    }
    QStringList opened;
};

class BookToolCommandsTest : public ::testing::Test {
protected:
    BookToolCommandsTest() {
        state.initialise(dir.path() + "/lib");
        QDir().mkpath(state.libraryFolder);
        state.executableFolder = dir.path() + "/prefix/bin/";
        QDir().mkpath(state.executableFolder);
        form.wire({.tools = &commands});
    }

    bool makeExecutable(const QString& path, const QByteArray& script) {
        return writeTestFile(path, script) &&
               QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir dir;
    AppState state;
    test::ScriptedDialogService dialogs;
    test::FakeVolumeTable volumes;
    RecordingOpener opener;
    LibrarySession session{dir.path() + "/lib", dialogs, volumes};
    BookWindow form{session, state, dialogs};
    BookToolCommands commands{state, form, dialogs, opener};
};

} // namespace

TEST_F(BookToolCommandsTest, TheOtherPlayerMustBeAnExecutableFile) {
    const QString player = dir.path() + "/player";
    ASSERT_TRUE(makeExecutable(player, "#!/bin/sh\n"));
    const QString text = dir.path() + "/notes.txt";
    ASSERT_TRUE(writeTestFile(text, "x"));

    dialogs.answer(text);
    dialogs.answer(Answer::Ok);
    dialogs.answer(dir.path());
    dialogs.answer(Answer::Ok);
    dialogs.answer(player);
    dialogs.answer(Answer::Ok);
    dialogs.answer(std::monostate{});
    for (int i = 0; i < 4; ++i)
        form.actions().otherPlayer->trigger();
    EXPECT_EQ(state.otherPlayer, player);
    const QStringList messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].startsWith(text));
    EXPECT_TRUE(messages[1].startsWith(dir.path()));
    EXPECT_EQ(messages[2], "登録完了");
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(BookToolCommandsTest, TheCaptureFolderIsReplacedOnlyByAChosenFolder) {
    const QString start = state.captureFolder;
    dialogs.answer(std::monostate{});
    form.actions().captureFolder->trigger();
    EXPECT_EQ(state.captureFolder, start);
    dialogs.answer(dir.path());
    form.actions().captureFolder->trigger();
    EXPECT_EQ(state.captureFolder, dir.path());
}

TEST_F(BookToolCommandsTest, TheSiblingToolEndsThisProgramOnlyWhenItStarted) {
    int exits = 0;
    form.setExitSequence([&exits] { ++exits; });
    form.show();

    dialogs.answer(Answer::Ok);
    form.actions().siblingTool->trigger();
    EXPECT_EQ(dialogs.messages(), QStringList{"Exec Error 2"});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(exits, 0);

    const QString ran = dir.path() + "/ran";
    ASSERT_TRUE(makeExecutable(state.executableFolder + "Pelkora",
                               "#!/bin/sh\ntouch '" + QFile::encodeName(ran) + "'\n"));
    form.actions().siblingTool->trigger();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(form.isVisible());
    for (int i = 0; i < 200 && !QFileInfo::exists(ran); ++i)
        QThread::msleep(25);
    EXPECT_TRUE(QFileInfo::exists(ran));
}

TEST_F(BookToolCommandsTest, HelpShowsTheLibrarysCopyElseTheInstalledPage) {
    dialogs.answer(Answer::Ok);
    form.actions().help->trigger();
    EXPECT_EQ(dialogs.messages(), QStringList{"Tavimo_help.html が見つかりません!"});
    EXPECT_TRUE(opener.opened.isEmpty());

    const QString installed = dir.path() + "/prefix/share/tavimo/Tavimo_help.html";
    const QString beside = state.executableFolder + "Tavimo_help.html";
    const QString own = state.libraryFolder + "Tavimo_help.html";
    ASSERT_TRUE(writeTestFile(installed, "<html></html>"));
    form.actions().help->trigger();
    ASSERT_TRUE(writeTestFile(beside, "<html></html>"));
    form.actions().help->trigger();
    ASSERT_TRUE(writeTestFile(own, "<html></html>"));
    form.actions().help->trigger();
    EXPECT_EQ(opener.opened, (QStringList{installed, beside, own}));
    EXPECT_EQ(dialogs.messages().size(), 1);
}
