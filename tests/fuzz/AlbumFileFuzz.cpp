// libFuzzer target for the album file: any bytes read as video entries, and the entries write
// and read back the same (see TextChecks.h); blank entries are the ones opening drops.

#include "TextChecks.h"
#include "core/AlbumFiles.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList entries = fuzz::checkedLines(QByteArrayView(data, qsizetype(size)));
    for (const QString& entry : entries)
        fuzz::check(!entry.contains(u'\r') && !entry.contains(u'\n') && !entry.contains(QChar(0)),
                    "an entry is one line");
    return 0;
}
