#include "core/AlbumFileCopy.h"

#include "core/Book.h"
#include "core/DriveProbe.h"
#include "core/EntryFiles.h"
#include "core/FileCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSet>

namespace tavimo {

AlbumVideoPaths albumVideoPaths(const Book& book, int index, const DriveProbe& probe) {
    AlbumVideoPaths result;
    if (!book.isValidIndex(index))
        return result;
    const BookAlbum& album = book.album(index);
    QStringList entries;
    for (const QString& entry : album.entries)
        if (!entry.isEmpty())
            entries.append(entry);
    QString root;
    if (book.mode() == BookMode::Media && !entries.isEmpty()) {
        MediumRecord record = album.record;
        root = determineCurrentMedium(record, entries, probe).root;
        if (root.isEmpty()) {
            result.mediumMissing = true;
            return result;
        }
    }
    for (const QString& entry : entries)
        result.paths.append(entryFile(book.mode(), root, entry));
    return result;
}

AlbumFileCopy::AlbumFileCopy(QObject* parent) : QObject(parent) {}

AlbumFileCopy::~AlbumFileCopy() {
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

void AlbumFileCopy::start(const QStringList& files, const QString& folder) {
    if (running_)
        return;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    stop_ = false;
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    // Results are posted to this object: they go with it when it is destroyed first (its
    // destructor stops and joins the worker).
    worker_ = std::thread([this, files, base] {
        QStringList failed;
        QSet<QString> names;
        int done = 0;
        for (const QString& file : files) {
            if (stop_)
                break;
            const QString name = QFileInfo(file).fileName();
            const bool repeated = names.contains(name);
            names.insert(name);
            // A path of another system ("C:\...") would be looked for in the working folder.
            if (repeated || !isPathHere(file) || !copyFileAtomically(file, base + name, &stop_))
                if (!stop_)
                    failed.append(file);
            ++done;
            QMetaObject::invokeMethod(this, [this, done] { Q_EMIT progressed(done); });
        }
        const bool cancelled = stop_;
        QMetaObject::invokeMethod(this, [this, failed, cancelled] {
            running_ = false;
            Q_EMIT finished(failed, cancelled);
        });
    });
}

} // namespace tavimo
