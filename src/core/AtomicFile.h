#pragma once

#include "core/Problem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tavimo {

// Result of a file write. A failed write leaves the previous file untouched.
struct WriteResult {
    bool ok = true;
    QString path;  // the file that was written (or not)
    QString error; // the system's reason when !ok

    explicit operator bool() const { return ok; }
    // The message shown to the user for a failed write, naming the file.
    QString message() const;
    // The failure as core returns it: that message as an error.
    Problem problem() const { return {message(), path, error, Problem::Icon::Error}; }
};

// Writes bytes to path through a temporary file in the same folder and an atomic rename,
// so a crash or a full disk never leaves a half-written file behind.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);

// The same for a file made of pieces, written in order without joining them in memory first
// (large stores are written straight from the pictures they hold).
WriteResult writeFileAtomically(const QString& path, const QList<QByteArrayView>& pieces);

} // namespace tavimo
