#include "core/RegularFiles.h"

#include <QFile>
#include <sys/stat.h>

namespace tavimo {

bool isRegularFile(const QString& path) {
    if (path.isEmpty())
        return false;
    // stat() reads the inode only: unlike open() it never waits for a FIFO's writer.
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace tavimo
