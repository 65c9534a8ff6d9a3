// Start-up and exit of the program's spine: from building the application state and the five
// windows to the book window on screen, and the exit sequence that writes the settings file.
// Runs on the offscreen platform with a temporary library holding a written settings file.
#include "app/AppRoot.h"
#include "core/VolumeTable.h"
#include "ui/QtDialogService.h"
#include "ui/book/BookWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class NoVolumes final : public tavimo::VolumeTable {
public:
    QList<tavimo::VolumeInfo> volumes() const override { return {}; }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir library;
    tavimo::QtDialogService dialogs;
    NoVolumes volumes;
    constexpr int kRuns = 20;
    std::vector<double> startMs, exitMs;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        tavimo::AppRoot root(library.path(), dialogs, volumes);
        root.startUp();
        QCoreApplication::processEvents(); // the first paint of the shown windows
        startMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        root.bookWindow().close(); // the exit sequence: settings file and userex.inf
        exitMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("start-up to book window shown: first %.1f ms, median %.1f ms\n", startMs.front(),
                median(startMs));
    std::printf("exit sequence (Tavimo.ini + userex.inf): median %.2f ms\n", median(exitMs));
    std::printf("startup: book window shown in %.1f ms, exit written in %.2f ms (median of %d)\n",
                median(startMs), median(exitMs), kRuns);
    return 0;
}
