#include "core/AlbumFileCopy.h"

#include "core/EntryFiles.h"
#include "core/FileCopy.h"

#include <QFileInfo>
#include <QSet>

namespace tavimo {

namespace {
struct CopyOutcome {
    QStringList failed;
    bool cancelled = false;
};
} // namespace

AlbumFileCopy::AlbumFileCopy(QObject* parent) : QObject(parent) {}

void AlbumFileCopy::start(const QStringList& files, const QString& folder) {
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    worker_.start(
        [this, files, base](WorkerThread& worker) {
            CopyOutcome outcome;
            QSet<QString> names;
            int done = 0;
            for (const QString& file : files) {
                if (worker.stopRequested())
                    break;
                const QString name = QFileInfo(file).fileName();
                const bool repeated = names.contains(name);
                names.insert(name);
                // A path of another system ("C:\...") would be looked for in the working folder.
                if (repeated || !isPathHere(file) ||
                    !copyFileAtomically(file, base + name, &worker.stopFlag()))
                    if (!worker.stopRequested())
                        outcome.failed.append(file);
                ++done;
                worker.post([this, done] { Q_EMIT progressed(done); });
            }
            outcome.cancelled = worker.stopRequested();
            return outcome;
        },
        [this](const CopyOutcome& outcome) { Q_EMIT finished(outcome.failed, outcome.cancelled); });
}

} // namespace tavimo
