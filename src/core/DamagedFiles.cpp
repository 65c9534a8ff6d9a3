#include "core/DamagedFiles.h"

#include <QFile>

namespace tavimo {

bool keepDamagedCopy(const QString& path) {
    if (!QFile::exists(path))
        return true;
    QString copy = path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(copy); ++n)
        copy = path + QStringLiteral(".damaged.%1").arg(n);
    return QFile::copy(path, copy);
}

} // namespace tavimo
