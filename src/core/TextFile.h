#pragma once

#include "core/AtomicFile.h"

#include <QByteArrayView>
#include <QHash>
#include <QStringList>
#include <optional>

namespace tavimo::textfile {

// Lines that held a character in its second CP932 code (see textcodec), with the bytes they
// were read from: writing such a line unchanged writes those bytes again.
using LineBytes = QHash<QString, QByteArray>;

// Splits a file's text into lines. CR LF, LF and CR all end a line; a NUL ends the text;
// a final line break does not start another (empty) line.
QStringList splitLines(const QString& text);

// Lines of a whole file's bytes (CP932, or UTF-8 after a byte-order mark), split as
// splitLines does. Lines holding a second code go to secondCodes when it is given. They are
// kept by their text: where one text stands in a file in two byte forms, its lines are all
// written with the bytes of the last form that held a second code.
QStringList decodeLines(QByteArrayView bytes, LineBytes* secondCodes = nullptr);

// The bytes of lines as the library stores them: every line, the last included, ends in CR LF.
// CP932 when every line fits (a line found in secondCodes is written with its bytes), else
// UTF-8 behind a byte-order mark.
QByteArray encodeLines(const QStringList& lines, const LineBytes* secondCodes = nullptr);

// Reads a whole text file as lines. std::nullopt when the file cannot be opened. The file's
// lines that held a second code are remembered for writeLines of the same path.
std::optional<QStringList> readLines(const QString& path);

// The bytes writeLines would write to path: encodeLines with the second codes read from path.
QByteArray encodeLinesFor(const QString& path, const QStringList& lines);

// Writes lines atomically (see writeFileAtomically). Lines that were read from this path with
// a second code and are written unchanged keep their bytes, so a file written on Windows comes
// back byte for byte when nothing in it changed.
WriteResult writeLines(const QString& path, const QStringList& lines);

} // namespace tavimo::textfile
