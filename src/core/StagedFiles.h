#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tavimo {

// Several files that must change together: each is written whole to a temporary file beside
// it first, and only when every one of them was written are they renamed over their targets,
// in the order staged. A failure before that leaves every old file as it was; only a crash
// during the renames themselves can leave some files new and some old.
class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    // Temporary files that were not committed are removed.
    ~StagedFiles();

    // Writes the pieces, in order, to a temporary file for path. False after the first failure
    // (this and every later stage; failure() tells which file and why).
    bool stage(const QString& path, const QList<QByteArrayView>& pieces);
    bool stage(const QString& path, const QByteArray& bytes) {
        return stage(path, QList<QByteArrayView>{bytes});
    }
    // Renames every staged file over its target. False when anything failed.
    bool commit();

    const WriteResult& failure() const { return failure_; }

private:
    struct Staged {
        QString path;
        QByteArray temporary; // the temporary file's name, in the file system's encoding
    };
    void fail(const QString& path, int error);

    QList<Staged> staged_;
    WriteResult failure_;
};

} // namespace tavimo
