#pragma once

// Checks shared by the fuzz targets of the library's text files: whatever bytes a file holds,
// the lines read from it are written so that they read back the same, and a file in the form
// the library writes (CP932 or UTF-8 lines, each ending in CR LF) comes back byte for byte.

#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QHash>
#include <cstdio>
#include <cstdlib>

namespace tavimo::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what) {
    if (!holds)
        fail(what);
}

// Every line ends in CR LF, no other CR or LF stands alone, and there is no NUL.
inline bool isStoredForm(QByteArrayView bytes) {
    if (bytes.contains('\0') || (!bytes.isEmpty() && !bytes.endsWith("\r\n")))
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r' && (i + 1 >= bytes.size() || bytes.at(i + 1) != '\n'))
            return false;
        if (bytes.at(i) == '\n' && (i == 0 || bytes.at(i - 1) != '\r'))
            return false;
    }
    return true;
}

inline bool allFitCp932(const QStringList& lines) {
    for (const QString& line : lines)
        if (!textcodec::fitsCp932(line))
            return false;
    return true;
}

// False when two CP932 lines read as the same text from different bytes: the bytes of a line
// with a second code are kept by its text, so such lines come back in one form.
inline bool eachTextHasOneForm(QByteArrayView bytes, const QStringList& lines) {
    if (bytes.startsWith(textcodec::kUtf8Bom))
        return true;
    QHash<QString, QByteArrayView> forms;
    qsizetype start = 0;
    for (const QString& line : lines) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0)
            return true; // not split as the reader splits: the byte check stays
        const QByteArrayView piece = bytes.sliced(start, end - start);
        if (const auto seen = forms.constFind(line); seen != forms.cend() && *seen != piece)
            return false;
        forms.insert(line, piece);
        start = end + 2;
    }
    return true;
}

// The lines of bytes read as a text file, after checking the round trips.
inline QStringList checkedLines(QByteArrayView bytes) {
    textfile::LineBytes secondCodes;
    const QStringList lines = textfile::decodeLines(bytes, &secondCodes);
    const QByteArray written = textfile::encodeLines(lines, &secondCodes);
    check(textfile::decodeLines(written) == lines, "lines written read back the same");
    check(textfile::decodeLines(textfile::encodeLines(lines)) == lines,
          "lines written without their remembered bytes read back the same");
    if (isStoredForm(bytes)) {
        const bool utf8 = bytes.startsWith(textcodec::kUtf8Bom);
        // UTF-8 that happens to fit CP932 is written as CP932; UTF-8 holding the private-use
        // characters that stand for stray bytes (EF 9E xx, EF 9F xx) is written as those bytes.
        const bool ownUtf8 = utf8 && !allFitCp932(lines) && !bytes.contains("\xEF\x9E") &&
                             !bytes.contains("\xEF\x9F");
        if ((!utf8 || ownUtf8) && eachTextHasOneForm(bytes, lines))
            check(written == bytes, "a file in stored form comes back byte for byte");
    }
    return lines;
}

} // namespace tavimo::fuzz
