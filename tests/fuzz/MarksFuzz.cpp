// libFuzzer target for the bookmarks file (and, with FUZZ_COUNTS, the play counts file): any
// bytes read as values padded to the album's length, a bad line reads as 0 and is named, and
// the values save and load back unchanged.

#include "TextChecks.h"
#include "core/AlbumFiles.h"

using namespace tavimo;

namespace {

template <typename T>
void checkValues(const QStringList& lines, int n, const QList<T>& values, int badLine,
                 const QStringList& saved, const QList<T>& again, int badAgain) {
    fuzz::check(values.size() == std::max<qsizetype>(n, lines.size()), "one value per line");
    fuzz::check(badLine >= 0 && badLine <= lines.size(), "the bad line is a line");
    fuzz::check(saved.size() == n, "save writes the album's length");
    fuzz::check(badAgain == 0, "saved values are all integers");
    fuzz::check(again == values.mid(0, n), "saved values read back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the album's length, the rest is the file.
    const int n = data[0];
    const QStringList lines = fuzz::checkedLines(QByteArrayView(data + 1, qsizetype(size - 1)));
    AlbumMarks marks;
    int badLine = 0;
    int badAgain = 0;
#ifdef FUZZ_COUNTS
    marks.counts = AlbumMarks::parseCounts(lines, n, &badLine);
    const QStringList saved = marks.countLines(n);
    const auto again =
        AlbumMarks::parseCounts(textfile::decodeLines(textfile::encodeLines(saved)), n, &badAgain);
    checkValues(lines, n, marks.counts, badLine, saved, again, badAgain);
#else
    marks.bookmarks = AlbumMarks::parseBookmarks(lines, n, &badLine);
    const QStringList saved = marks.bookmarkLines(n);
    const auto again = AlbumMarks::parseBookmarks(
        textfile::decodeLines(textfile::encodeLines(saved)), n, &badAgain);
    checkValues(lines, n, marks.bookmarks, badLine, saved, again, badAgain);
#endif
    return 0;
}
