#include "app/AppRoot.h"
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
    tavimo::AppRoot root(tavimo::platform::libraryFolder(QCoreApplication::applicationDirPath()),
                         dialogs, volumes);
    dialogs.setParent(&root.bookWindow());
    root.startUp();
    return QApplication::exec();
}
