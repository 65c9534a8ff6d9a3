#include "ui/book/BookToolCommands.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/DocumentOpener.h"
#include "platform/ProgramStart.h"
#include "ui/book/BookWindow.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

namespace {
const QString kHelpFile = QStringLiteral("Tavimo_help.html");
const QString kOtherPlayerCaption = QStringLiteral("他のプレイヤーの指定");
// Any executable file will do: Linux programs have no common extension.
const QString kExecutableFilter = QStringLiteral("実行ファイル (*)");
} // namespace

BookToolCommands::BookToolCommands(AppState& state, BookWindow& window, DialogService& dialogs,
                                   DocumentOpener& documents)
    : QObject(&window), state_(state), window_(window), dialogs_(dialogs), documents_(documents) {}

void BookToolCommands::chooseOtherPlayer() {
    const QString folder = state_.otherPlayer.isEmpty()
                               ? state_.libraryFolderPlain()
                               : QFileInfo(state_.otherPlayer).absolutePath();
    const auto chosen = dialogs_.openFile(kOtherPlayerCaption, folder, kExecutableFilter);
    if (!chosen || chosen->isEmpty())
        return;
    const QFileInfo program(*chosen);
    if (!program.isFile() || !program.isExecutable()) {
        dialogs_.message(QDir::toNativeSeparators(*chosen) +
                             QStringLiteral(" は実行できるファイルではありません"),
                         DialogService::Buttons::Ok, DialogService::Icon::Warning);
        return;
    }
    state_.otherPlayer = program.absoluteFilePath();
    dialogs_.message(QStringLiteral("登録完了"));
}

void BookToolCommands::chooseCaptureFolder() {
    const auto folder =
        dialogs_.selectFolder(QStringLiteral("保存フォルダーの設定"), state_.captureFolder);
    if (folder && !folder->isEmpty())
        state_.captureFolder = *folder;
}

void BookToolCommands::startSiblingTool() {
    const int error = platform::startDetachedProgram(state_.siblingToolPath());
    if (error != 0) {
        dialogs_.message(QStringLiteral("Exec Error ") + QString::number(error),
                         DialogService::Buttons::Ok, DialogService::Icon::Error);
        return;
    }
    window_.close();
}

QString BookToolCommands::helpPage(const AppState& state) {
    QStringList candidates{state.libraryFolder + kHelpFile};
    // An installation keeps the executable in bin/ and the page in share/tavimo/; the build
    // tree and a portable copy keep it beside the executable.
    if (!state.executableFolder.isEmpty())
        candidates << state.executableFolder + kHelpFile
                   << QDir::cleanPath(state.executableFolder + QStringLiteral("../share/tavimo/") +
                                      kHelpFile);
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return {};
}

void BookToolCommands::showHelp() {
    const QString page = helpPage(state_);
    if (page.isEmpty()) {
        dialogs_.message(kHelpFile + QStringLiteral(" が見つかりません!"),
                         DialogService::Buttons::Ok, DialogService::Icon::Error);
        return;
    }
    if (!documents_.open(page))
        dialogs_.message(QStringLiteral("ヘルプを表示できませんでした。\r\n") +
                             QDir::toNativeSeparators(page),
                         DialogService::Buttons::Ok, DialogService::Icon::Error);
}

} // namespace tavimo
