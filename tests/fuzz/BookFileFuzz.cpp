// libFuzzer target for the book file: any bytes read as album lines in both modes, and what is
// read writes and reads back to the same albums (see TextChecks.h for the text itself).

#include "TextChecks.h"
#include "core/BookFile.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const QStringList lines = fuzz::checkedLines(bytes);
    for (BookMode mode : {BookMode::Normal, BookMode::Media}) {
        const QList<bookfile::Line> albums = bookfile::parse(lines, mode);
        fuzz::check(albums.size() == lines.size(), "one album per line");
        const QStringList stored = bookfile::format(albums, mode);
        const QList<bookfile::Line> again =
            bookfile::parse(textfile::decodeLines(textfile::encodeLines(stored)), mode);
        fuzz::check(again == albums, "albums written read back the same");
    }
    return 0;
}
