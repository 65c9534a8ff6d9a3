#include "core/FileCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tavimo {

namespace {
// Large enough that a video copies at disk speed, small enough to stop within a moment.
constexpr qint64 kBlock = 4 << 20;
} // namespace

WriteResult copyFileAtomically(const QString& source, const QString& destination,
                               const std::atomic_bool* stop,
                               const std::function<void(qint64)>& copied) {
    WriteResult result;
    result.path = destination;
    const auto fail = [&](const QString& reason) {
        result.ok = false;
        result.error = reason;
        return result;
    };
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    // The same file under another name (a link, the folder itself chosen): nothing to do, and
    // writing it would read a file while replacing it.
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(destination).canonicalFilePath())
        return result;
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    QByteArray block;
    qint64 total = 0;
    while (true) {
        if (stop != nullptr && stop->load()) {
            out.cancelWriting();
            return fail(QString());
        }
        block = in.read(kBlock);
        if (block.isEmpty()) {
            if (in.error() != QFileDevice::NoError || !in.atEnd()) {
                out.cancelWriting();
                return fail(in.errorString());
            }
            break;
        }
        if (out.write(block) != block.size()) {
            const QString reason = out.errorString();
            out.cancelWriting();
            return fail(reason);
        }
        total += block.size();
        if (copied)
            copied(total);
    }
    if (!out.commit())
        return fail(out.errorString());
    return result;
}

} // namespace tavimo
