#include "core/AtomicFile.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace tavimo {

namespace {

// Qt reports a write that stopped short, or a commit that failed in its final flush, without a
// reason ("Unknown error"); the system's own reason is in errno of the call that failed.
QString reasonOf(const QSaveFile& file, int savedErrno) {
    const QString qtReason = file.errorString();
    if (file.error() != QFileDevice::NoError && !qtReason.isEmpty() &&
        qtReason != QLatin1String("Unknown error"))
        return qtReason;
    if (savedErrno != 0)
        return QString::fromLocal8Bit(std::strerror(savedErrno));
    return qtReason;
}

} // namespace

QString WriteResult::message() const {
    return QStringLiteral("ファイルを保存できませんでした。\r\n%1\r\n%2")
        .arg(QDir::toNativeSeparators(path), error);
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes) {
    return writeFileAtomically(path, QList<QByteArrayView>{bytes});
}

WriteResult writeFileAtomically(const QString& path, const QList<QByteArrayView>& pieces) {
    WriteResult result;
    result.path = path;
    QSaveFile file(path);
    const auto fail = [&](int savedErrno) {
        result.ok = false;
        result.error = reasonOf(file, savedErrno);
    };
    // Unbuffered: a buffered QSaveFile can commit a short file when the disk fills during the
    // final flush; writing directly makes every short write visible here.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail(errno);
        return result;
    }
    for (QByteArrayView piece : pieces) {
        // A full disk first shows as a short write; writing on gives the failing call and its
        // reason (ENOSPC, EFBIG, EIO).
        qsizetype done = 0;
        while (done < piece.size()) {
            errno = 0;
            const qint64 written = file.write(piece.data() + done, piece.size() - done);
            if (written <= 0) {
                fail(errno);
                file.cancelWriting();
                return result;
            }
            done += qsizetype(written);
        }
    }
    errno = 0;
    if (!file.commit())
        fail(errno);
    return result;
}

} // namespace tavimo
