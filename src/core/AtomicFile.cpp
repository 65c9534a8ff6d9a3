#include "core/AtomicFile.h"

#include <QDir>
#include <QSaveFile>

namespace tavimo {

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
    // Unbuffered: a buffered QSaveFile can commit a short file when the disk fills during the
    // final flush; writing directly makes every short write visible here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.ok = false;
        result.error = file.errorString();
        return result;
    }
    for (QByteArrayView piece : pieces) {
        if (file.write(piece.data(), piece.size()) != piece.size()) {
            result.ok = false;
            result.error = file.errorString();
            file.cancelWriting();
            return result;
        }
    }
    if (!file.commit()) {
        result.ok = false;
        result.error = file.errorString();
    }
    return result;
}

} // namespace tavimo
