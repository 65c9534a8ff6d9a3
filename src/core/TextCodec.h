#pragma once

#include <QByteArray>
#include <QString>

namespace tavimo {

// The library's text files are Windows-31J (CP932). A text that CP932 cannot represent is
// written whole as UTF-8 behind a byte-order mark, so nothing is ever replaced by "?".
// Reading honours that mark and otherwise decodes CP932.
namespace textcodec {

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// True when every character of the text has a CP932 form.
bool fitsCp932(const QString& text);

// CP932 bytes of text; characters without a CP932 form become '?'. Only for places whose
// format has no room for the UTF-8 fallback (fixed-size fields); everything else uses encodeFile.
QByteArray toCp932Lossy(const QString& text);

// Decodes CP932 bytes (no byte-order-mark handling).
QString fromCp932(const QByteArray& bytes);

// Bytes for a whole file: CP932 when it fits, else UTF-8 with a byte-order mark.
QByteArray encodeFile(const QString& text);

// Text of a whole file: UTF-8 after a byte-order mark, else CP932.
QString decodeFile(const QByteArray& bytes);

} // namespace textcodec
} // namespace tavimo
