#include "app/AppRoot.h"
#include "core/DialogService.h"
#include "core/SaveJournal.h"
#include "core/SaveLeftovers.h"
#include "platform/LibraryLocation.h"
#include "platform/LibraryLock.h"
#include "platform/LinuxVolumeTable.h"
#include "platform/SingleInstance.h"
#include "platform/StopSignals.h"
#include "ui/QtDialogService.h"
#include "ui/book/BookWindow.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>

int main(int argc, char* argv[]) {
    // A second copy ends at once, silently, before it opens any window.
    tavimo::platform::SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    // SIGTERM, SIGHUP and SIGINT end every event loop, an open dialog's too (it answers as if
    // cancelled); what File → 終了 saves is saved below, once no command is half done.
    tavimo::platform::StopSignals stopSignals;
    QObject::connect(&stopSignals, &tavimo::platform::StopSignals::received, &app,
                     [] { QCoreApplication::exit(0); });
    tavimo::QtDialogService dialogs;

    // One program per library, whichever runtime folder or computer it starts from. Nothing
    // reads or writes the library before this.
    const QString library = tavimo::platform::libraryFolder(QCoreApplication::applicationDirPath());
    tavimo::platform::LibraryLock libraryLock(library);
    if (!libraryLock.acquire()) {
        const QString refusal = libraryLock.refusal();
        std::fprintf(stderr, "%s\n", refusal.toLocal8Bit().constData());
        if (!stopSignals.hasReceived())
            dialogs.message(refusal, tavimo::DialogService::Buttons::Ok,
                            tavimo::DialogService::Icon::Error, QString());
        return 1;
    }
    // A save that was under way when the program last stopped is completed or undone, under
    // the lock, before anything reads the library.
    const tavimo::savejournal::Recovery recovery = tavimo::savejournal::recover(library);
    if (!recovery.problem.isEmpty())
        dialogs.message(recovery.problem, tavimo::DialogService::Buttons::Ok,
                        tavimo::DialogService::Icon::Warning, QString());
    // Then the temporary files of saves killed before a journal listed them; none while a
    // journal that could not be completed may still need them.
    if (recovery.problem.isEmpty())
        tavimo::saveleftovers::removeLeftoverTemporaries(library);

    tavimo::platform::LinuxVolumeTable volumes;
    tavimo::AppRoot root(library, dialogs, volumes);
    dialogs.setParent(&root.bookWindow());
    // The desktop's end of session: everything is saved, and the program runs on until it is
    // told to stop.
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &app,
        [&root](QSessionManager&) { root.saveAll(); }, Qt::DirectConnection);
    root.startUp();
    // A signal during start-up (its dialogs run event loops) leaves no loop to enter.
    const int status = stopSignals.hasReceived() ? 0 : QApplication::exec();
    if (stopSignals.hasReceived())
        root.stopSequence();
    return status;
}
