#include "core/TextCodec.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <bitset>
#include <memory>

namespace tavimo::textcodec {

namespace {

constexpr char16_t kNoCharacter = 0xFFFF; // a noncharacter: no CP932 code maps to it
constexpr uint16_t kNoCode = 0xFFFF;      // 0xFF is no lead byte: no code is 0xFFFF

bool isLeadByte(uchar b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

constexpr const char* kIcuName = "windows-31j";

// ICU's text of each code. One conversion for all of them, each on a line of its own (a line
// feed is never part of a two-byte code); one by one should that not split as expected.
QStringList decodeEach(const QList<uint16_t>& codes) {
    const auto bytesOf = [](uint16_t c) {
        QByteArray bytes;
        if (c > 0xFF)
            bytes.append(char(c >> 8));
        bytes.append(char(c & 0xFF));
        return bytes;
    };
    QByteArray all;
    for (uint16_t c : codes)
        all += bytesOf(c) + '\n';
    QStringDecoder decoder(kIcuName, QStringConverter::Flag::Stateless);
    QStringList texts = QString(decoder.decode(all)).split(u'\n');
    if (texts.size() == codes.size() + 1) {
        texts.removeLast();
        return texts;
    }
    texts.clear();
    for (uint16_t c : codes) {
        QStringDecoder one(kIcuName, QStringConverter::Flag::Stateless);
        texts.append(one.decode(bytesOf(c)));
    }
    return texts;
}

// ICU's bytes of each character, the same way.
QList<QByteArray> encodeEach(const QString& characters) {
    QString all;
    for (QChar c : characters) {
        all.append(c);
        all.append(u'\n');
    }
    QStringEncoder encoder(kIcuName, QStringConverter::Flag::Stateless);
    QList<QByteArray> bytes = QByteArray(encoder.encode(all)).split('\n');
    if (bytes.size() == characters.size() + 1) {
        bytes.removeLast();
        return bytes;
    }
    bytes.clear();
    for (QChar c : characters) {
        QStringEncoder one(kIcuName, QStringConverter::Flag::Stateless);
        bytes.append(one.encode(QString(c)));
    }
    return bytes;
}

// CP932 as lookup tables, taken once from ICU's Windows-31J converter. ICU itself cannot be
// used for the text: it turns bytes that are no character into U+FFFD and writes the second
// code of a character as its first, both of which lose bytes.
struct Cp932Tables {
    // Character of each code: a single byte at its own value, two bytes at lead * 256 + trail.
    std::array<char16_t, 0x10000> character;
    // Codes that encoding does not choose for their character (the other one is preferred).
    std::bitset<0x10000> secondCode;
    // Preferred code of each BMP character, kNoCode when it has none.
    std::array<uint16_t, 0x10000> code;

    Cp932Tables() {
        character.fill(kNoCharacter);
        code.fill(kNoCode);
        // ASCII is itself (ICU's table swaps the controls 0x1A, 0x1C and 0x7F; Windows does not).
        for (char16_t b = 0; b < 0x80; ++b) {
            character[b] = b;
            code[b] = b;
        }
        QList<uint16_t> codes;
        for (int b = 0x80; b < 0x100; ++b)
            if (!isLeadByte(uchar(b)))
                codes.append(uint16_t(b));
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            if (isLeadByte(uchar(lead)))
                for (int trail = 0x40; trail <= 0xFC; ++trail)
                    if (isTrailByte(uchar(trail)))
                        codes.append(uint16_t(lead << 8 | trail));

        const QStringList decoded = decodeEach(codes);
        QString candidates;
        QList<uint16_t> candidateCodes;
        for (qsizetype i = 0; i < codes.size(); ++i) {
            const uint16_t c = codes.at(i);
            const QString& text = decoded.at(i);
            // U+FFFD and U+001A are what ICU puts for a code that is no character.
            if (text.size() != 1 || text.at(0) == u'\uFFFD' || text.at(0) == u'\x1A' ||
                text.at(0).unicode() < 0x80 || isRawByte(text.at(0)) || text.at(0).isSurrogate())
                continue;
            candidates.append(text.at(0));
            candidateCodes.append(c);
        }
        const QList<QByteArray> encoded = encodeEach(candidates);
        for (qsizetype i = 0; i < candidateCodes.size(); ++i) {
            const QByteArray& bytes = encoded.at(i);
            const uint16_t c = candidateCodes.at(i);
            const char16_t u = candidates.at(i).unicode();
            uint16_t preferred = kNoCode;
            if (bytes.size() == 1)
                preferred = uchar(bytes.at(0));
            else if (bytes.size() == 2)
                preferred = uint16_t(uchar(bytes.at(0)) << 8 | uchar(bytes.at(1)));
            if (preferred == kNoCode)
                continue; // decodes but does not encode: treated as no character
            character[c] = u;
            if (preferred == c)
                code[u] = c;
            else
                secondCode.set(c);
        }
        // A second code whose preferred code did not make it would write nothing: keep it.
        for (uint16_t c : codes) {
            if (secondCode.test(c) && code[character[c]] == kNoCode) {
                secondCode.reset(c);
                code[character[c]] = c;
            }
        }
    }
};

const Cp932Tables& tables() {
    static const auto instance = std::make_unique<Cp932Tables>();
    return *instance;
}

// Length of the well-formed UTF-8 sequence at bytes[i], 0 when there is none (RFC 3629: no
// overlong forms, no surrogates, nothing past U+10FFFF).
int utf8SequenceLength(QByteArrayView bytes, qsizetype i) {
    const uchar b = uchar(bytes.at(i));
    int length = 0;
    uchar low = 0x80, high = 0xBF; // range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - i < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        const uchar next = uchar(bytes.at(i + k));
        if (k == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF))
            return 0;
    }
    return length;
}

} // namespace

QString fromCp932(QByteArrayView bytes, bool* canonical) {
    const Cp932Tables& t = tables();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    bool exact = true;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar b = uchar(bytes.at(i));
        if (isLeadByte(b)) {
            if (i + 1 < bytes.size()) {
                const uint16_t c = uint16_t(b << 8 | uchar(bytes.at(i + 1)));
                if (t.character[c] != kNoCharacter) {
                    *out++ = QChar(t.character[c]);
                    exact = exact && !t.secondCode.test(c);
                    i += 2;
                    continue;
                }
            }
            *out++ = QChar(char16_t(kRawByteBase + b));
        } else {
            const char16_t u = t.character[b];
            *out++ = u != kNoCharacter ? QChar(u) : QChar(char16_t(kRawByteBase + b));
        }
        ++i;
    }
    text.truncate(out - text.constData());
    if (canonical)
        *canonical = exact;
    return text;
}

std::optional<QByteArray> toCp932(QStringView text) {
    const Cp932Tables& t = tables();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    bool raw = false;
    for (QChar c : text) {
        if (isRawByte(c)) {
            bytes.append(char(c.unicode() - kRawByteBase));
            raw = true;
            continue;
        }
        const uint16_t code = t.code[c.unicode()];
        if (code == kNoCode)
            return std::nullopt;
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
    }
    // Characters alone always read back; a raw byte may pair with the byte after it.
    if (raw && fromCp932(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool fitsCp932(QStringView text) {
    return toCp932(text).has_value();
}

QByteArray toCp932Lossy(QStringView text) {
    const Cp932Tables& t = tables();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const uint16_t code =
            isRawByte(c) ? uint16_t(c.unicode() - kRawByteBase) : t.code[c.unicode()];
        if (code == kNoCode) {
            bytes.append('?');
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i; // one '?' for the whole character
            continue;
        }
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
    }
    return bytes;
}

QString fromUtf8(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceLength(bytes, i);
        const uchar b = uchar(bytes.at(i));
        if (length == 0) {
            text.append(QChar(char16_t(kRawByteBase + b)));
            ++i;
            continue;
        }
        char32_t u = length == 1 ? b : b & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k)
            u = (u << 6) | (uchar(bytes.at(i + k)) & 0x3F);
        if (u > 0xFFFF) {
            text.append(QChar::highSurrogate(u));
            text.append(QChar::lowSurrogate(u));
        } else {
            text.append(QChar(char16_t(u)));
        }
        i += length;
    }
    return text;
}

QByteArray toUtf8(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    bool raw = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isRawByte(c)) {
            bytes.append(char(c.unicode() - kRawByteBase));
            raw = true;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            appendUtf8(bytes, 0xFFFD); // a lone surrogate has no UTF-8 form
        } else {
            appendUtf8(bytes, c.unicode());
        }
    }
    if (raw && fromUtf8(bytes) != text) {
        QByteArray plain;
        plain.reserve(bytes.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                appendUtf8(plain, QChar::surrogateToUcs4(c, text.at(i + 1)));
                ++i;
            } else {
                appendUtf8(plain, c.isSurrogate() ? 0xFFFD : c.unicode());
            }
        }
        return plain;
    }
    return bytes;
}

QByteArray encodeFile(QStringView text) {
    // CP932 bytes that begin like the mark would be read as UTF-8.
    if (auto cp932 = toCp932(text); cp932 && !cp932->startsWith(kUtf8Bom))
        return *cp932;
    return QByteArray(kUtf8Bom) + toUtf8(text);
}

QString decodeFile(QByteArrayView bytes) {
    if (bytes.startsWith(kUtf8Bom))
        return fromUtf8(bytes.sliced(3));
    return fromCp932(bytes);
}

} // namespace tavimo::textcodec
