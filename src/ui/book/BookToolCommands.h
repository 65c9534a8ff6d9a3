#pragma once

#include "ui/WindowNames.h"

#include <QObject>
#include <QString>

namespace tavimo {

struct AppState;
class DialogService;
class DocumentOpener;

// The book window's commands that reach outside the library: the other player
// ("他のプレイヤーの指定"), the capture folder ("保存フォルダーの設定"), the sibling tool
// ("Pelkora") and the help page ("ヘルプの表示").
class BookToolCommands final : public QObject {
    Q_OBJECT
public:
    BookToolCommands(AppState& state, BookWindow& window, DialogService& dialogs,
                     DocumentOpener& documents);

    void chooseOtherPlayer();
    void chooseCaptureFolder();
    // Starts the sibling tool beside the executable; when it runs, this program ends with its
    // normal exit. A failure is shown with the system's error number and the program goes on.
    void startSiblingTool();
    void showHelp();

    // The help page to show: the library folder's copy, else the one installed beside the
    // executable or in the installation's share/tavimo folder; empty when there is none.
    static QString helpPage(const AppState& state);

private:
    AppState& state_;
    BookWindow& window_;
    DialogService& dialogs_;
    DocumentOpener& documents_;
};

} // namespace tavimo
