#pragma once

#include "core/AtomicFile.h"

#include <QStringList>
#include <optional>

namespace tavimo::textfile {

// Splits a file's text into lines. CR LF, LF and CR all end a line; a NUL ends the text;
// a final line break does not start another (empty) line.
QStringList splitLines(const QString& text);

// Reads a whole text file (CP932, or UTF-8 after a byte-order mark) as lines.
// std::nullopt when the file cannot be opened.
std::optional<QStringList> readLines(const QString& path);

// The bytes of lines as the library stores them: every line, the last included, ends in CR LF.
QByteArray encodeLines(const QStringList& lines);

// Writes lines atomically (see writeFileAtomically).
WriteResult writeLines(const QString& path, const QStringList& lines);

} // namespace tavimo::textfile
