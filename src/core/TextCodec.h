#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace tavimo {

// The library's text files are Windows-31J (CP932). A text that CP932 cannot represent is
// written whole as UTF-8 behind a byte-order mark, so nothing is ever replaced by "?".
// Reading honours that mark and otherwise decodes CP932.
//
// Files written on Windows must come back byte for byte when nothing in them changed, so the
// codec loses nothing in either direction:
// - A byte that is no character (0x80, 0xA0, 0xFD to 0xFF, a lead byte whose second byte does
//   not complete a character, a byte of broken UTF-8) reads as the private-use character
//   U+F700 + byte (U+F780 to U+F7FF) and is written back as that byte. Such a name shows a
//   placeholder glyph where the byte stands; the rest of it reads normally.
// - Some characters have two CP932 codes: the NEC row 13 symbols 0x8790 to 0x879C duplicate
//   symbols of rows 1 and 2 (0x8790 is 0x81E0 "≒"), the NEC-selected IBM extensions 0xED40 to
//   0xEEFC duplicate the IBM extensions 0xFA40 to 0xFC4B, and a few IBM codes duplicate NEC ones
//   (0xFA4A is 0x8754 "Ⅰ"). Both codes read as the same Unicode character, so the name shows
//   and matches file names as it should; encoding writes Windows' preferred code. fromCp932
//   tells when a text held a code that encoding would not choose, and callers that must write
//   it back unchanged keep those bytes (see textfile and mediadat).
namespace textcodec {

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// First of the 128 private-use characters that stand for bytes which are no character.
inline constexpr char16_t kRawByteBase = 0xF700;
inline bool isRawByte(QChar c) {
    return c.unicode() >= kRawByteBase + 0x80 && c.unicode() <= kRawByteBase + 0xFF;
}

// Decodes CP932 bytes (no byte-order-mark handling); never fails. canonical, when given, is
// set to whether toCp932 of the result gives these very bytes (false when a character came
// from its second code).
QString fromCp932(QByteArrayView bytes, bool* canonical = nullptr);

// CP932 bytes of text, or nothing when a character has no CP932 form or the bytes would read
// back as another text (raw-byte characters that join a neighbour into a character).
std::optional<QByteArray> toCp932(QStringView text);

// True when toCp932 can write the text.
bool fitsCp932(QStringView text);

// CP932 bytes of text; characters without a CP932 form become '?'. Only for places whose
// format has no room for the UTF-8 fallback (fixed-size fields); everything else uses encodeFile.
QByteArray toCp932Lossy(QStringView text);

// Decodes UTF-8; every byte that is not part of a well-formed sequence becomes its raw-byte
// character. A byte-order mark is kept as U+FEFF.
QString fromUtf8(QByteArrayView bytes);

// UTF-8 of text with raw-byte characters written as their bytes, so that fromUtf8 of broken
// UTF-8 writes back the same bytes. When those bytes would join into another character the
// raw-byte characters are written as the private-use characters they are instead.
QByteArray toUtf8(QStringView text);

// Appends the UTF-8 form of the code point u (no surrogate) to out, a QByteArray or a
// std::string: the one encoder of the program's own UTF-8 (files and search keys alike).
template <class Bytes> void appendUtf8(Bytes& out, char32_t u) {
    if (u < 0x80) {
        out.push_back(char(u));
    } else if (u < 0x800) {
        out.push_back(char(0xC0 | (u >> 6)));
        out.push_back(char(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        out.push_back(char(0xE0 | (u >> 12)));
        out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(char(0x80 | (u & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (u >> 18)));
        out.push_back(char(0x80 | ((u >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(char(0x80 | (u & 0x3F)));
    }
}

// Bytes for a whole file: CP932 when it fits, else UTF-8 with a byte-order mark.
QByteArray encodeFile(QStringView text);

// Text of a whole file: UTF-8 after a byte-order mark (only that first mark is removed), else
// CP932.
QString decodeFile(QByteArrayView bytes);

} // namespace textcodec
} // namespace tavimo
