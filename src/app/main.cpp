#include "app/AppRoot.h"
#include "core/SaveJournal.h"
#include "platform/LibraryLocation.h"
#include "platform/LinuxVolumeTable.h"
#include "platform/SingleInstance.h"
#include "ui/BookWindow.h"
#include "ui/QtDialogService.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // A second copy ends at once, silently, before it opens any window.
    tavimo::platform::SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    tavimo::QtDialogService dialogs;
    tavimo::platform::LinuxVolumeTable volumes;
    const QString library = tavimo::platform::libraryFolder(QCoreApplication::applicationDirPath());
    // A save that was under way when the program last stopped is completed or undone before
    // anything reads the library.
    const tavimo::savejournal::Recovery recovery = tavimo::savejournal::recover(library);
    if (!recovery.problem.isEmpty())
        dialogs.message(recovery.problem, tavimo::DialogService::Buttons::Ok,
                        tavimo::DialogService::Icon::Warning, QString());
    tavimo::AppRoot root(library, dialogs, volumes);
    dialogs.setParent(&root.bookWindow());
    root.startUp();
    return QApplication::exec();
}
