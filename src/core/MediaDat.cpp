#include "core/MediaDat.h"

#include "core/TextCodec.h"

#include <QtEndian>
#include <limits>
#include <optional>

namespace tavimo::mediadat {

namespace {

enum Tag : uint8_t {
    kInt8 = 0x02,
    kInt16 = 0x03,
    kInt32 = 0x04,
    kInt64 = 0x13,
    kShortText = 0x06,
    kLongText = 0x0C,
    kUtf8Text = 0x14,
    kUtf16Text = 0x12,
};

template <typename T> void appendLittleEndian(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

void writeInteger(QByteArray& out, int64_t value) {
    if (value >= std::numeric_limits<int8_t>::min() &&
        value <= std::numeric_limits<int8_t>::max()) {
        out.append(char(kInt8));
        out.append(char(int8_t(value)));
    } else if (value >= std::numeric_limits<int16_t>::min() &&
               value <= std::numeric_limits<int16_t>::max()) {
        out.append(char(kInt16));
        appendLittleEndian(out, int16_t(value));
    } else if (value >= std::numeric_limits<int32_t>::min() &&
               value <= std::numeric_limits<int32_t>::max()) {
        out.append(char(kInt32));
        appendLittleEndian(out, int32_t(value));
    } else {
        out.append(char(kInt64));
        appendLittleEndian(out, value);
    }
}

// Text as the original writer stores it: the code-page forms when the text is plain ASCII (its
// code-page bytes are then its UTF-8 bytes), else UTF-8.
QByteArray textValue(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = textcodec::toUtf8(text);
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii && utf8.size() <= 255) {
        out.append(char(kShortText));
        out.append(char(uchar(utf8.size())));
    } else {
        out.append(char(ascii ? kLongText : kUtf8Text));
        appendLittleEndian(out, int32_t(utf8.size()));
    }
    out.append(utf8);
    return out;
}

// Reads values from a byte array without ever going past its end.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    qsizetype offset() const { return pos_; }

    std::optional<int64_t> integer(bool allow64) {
        const auto tag = byte();
        if (!tag)
            return std::nullopt;
        switch (*tag) {
        case kInt8:
            return fixed<int8_t>();
        case kInt16:
            return fixed<int16_t>();
        case kInt32:
            return fixed<int32_t>();
        case kInt64:
            if (allow64)
                return fixed<int64_t>();
            [[fallthrough]];
        default:
            return std::nullopt;
        }
    }

    // The text of a text value; raw, when given, receives the whole value as it stands.
    std::optional<QString> text(QByteArray* raw = nullptr) {
        const qsizetype start = pos_;
        const auto tag = byte();
        if (!tag)
            return std::nullopt;
        int64_t length = 0;
        if (*tag == kShortText) {
            const auto n = byte();
            if (!n)
                return std::nullopt;
            length = *n;
        } else if (*tag == kLongText || *tag == kUtf8Text || *tag == kUtf16Text) {
            const auto n = fixed<int32_t>();
            if (!n || *n < 0)
                return std::nullopt;
            length = *n;
        } else {
            return std::nullopt;
        }
        const int64_t byteLength = *tag == kUtf16Text ? length * 2 : length;
        if (byteLength > bytes_.size() - pos_)
            return std::nullopt;
        const char* data = bytes_.constData() + pos_;
        pos_ += byteLength;
        if (raw)
            *raw = bytes_.sliced(start, pos_ - start);
        const QByteArrayView payload(data, qsizetype(byteLength));
        if (*tag == kUtf8Text)
            return textcodec::fromUtf8(payload);
        if (*tag == kUtf16Text)
            return utf16Text(payload);
        // The short and long forms carry the text in the Japanese code page: plain ASCII from
        // this program, Japanese too from the writers of older versions.
        return textcodec::fromCp932(payload);
    }

private:
    // UTF-16 code units; a lone surrogate, which no text of ours holds, becomes U+FFFD.
    static QString utf16Text(QByteArrayView payload) {
        const qsizetype length = payload.size() / 2;
        QString text(length, Qt::Uninitialized);
        for (qsizetype i = 0; i < length; ++i)
            text[i] = QChar(qFromLittleEndian<char16_t>(payload.data() + 2 * i));
        for (qsizetype i = 0; i < length; ++i) {
            const bool pair =
                i + 1 < length && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate();
            if (pair)
                ++i;
            else if (text.at(i).isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }

    std::optional<uchar> byte() {
        if (pos_ >= bytes_.size())
            return std::nullopt;
        return uchar(bytes_.at(pos_++));
    }

    template <typename T> std::optional<T> fixed() {
        if (qsizetype(sizeof(T)) > bytes_.size() - pos_)
            return std::nullopt;
        const T value = qFromLittleEndian<T>(bytes_.constData() + pos_);
        pos_ += sizeof(T);
        return value;
    }

    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

std::optional<MediumRecord> readRecord(Reader& in, LabelForms& forms) {
    const auto kind = in.integer(false);
    if (!kind)
        return std::nullopt;
    const auto serial = in.integer(true);
    if (!serial || *serial < 0 || *serial > int64_t(std::numeric_limits<uint32_t>::max()))
        return std::nullopt;
    QByteArray raw;
    const auto label = in.text(&raw);
    if (!label)
        return std::nullopt;
    MediumRecord record;
    record.kind = int32_t(*kind);
    record.serial = uint32_t(*serial);
    // The original field is zero-terminated: anything after a NUL was never part of the label.
    // Every character takes at least one byte in either stored form, so a label is cut to at
    // most kMaxLabelBytes + 1 characters before the byte-exact cut, which then has little to do.
    record.label = cutLabel(label->left(label->indexOf(QChar(0))).left(kMaxLabelBytes + 1));
    if (record.label == *label && raw != textValue(record.label))
        forms.insert(record.label, raw);
    return record;
}

} // namespace

QByteArray encode(const QList<MediumRecord>& records, const LabelForms* forms) {
    QByteArray out;
    writeInteger(out, records.size());
    for (const MediumRecord& record : records) {
        writeInteger(out, record.kind);
        writeInteger(out, int64_t(record.serial));
        const QString label = cutLabel(record.label);
        const auto kept = forms ? forms->constFind(label) : LabelForms::const_iterator();
        out.append(forms && kept != forms->cend() ? *kept : textValue(label));
    }
    return out;
}

Decoded decode(const QByteArray& bytes) {
    Decoded result;
    Reader in(bytes);
    const auto count = in.integer(false);
    if (!count || *count < 0) {
        result.complete = false;
        result.badOffset = 0;
        return result;
    }
    for (int64_t i = 0; i < *count; ++i) {
        const qsizetype start = in.offset();
        auto record = readRecord(in, result.labelForms);
        if (!record) {
            result.complete = false;
            result.badOffset = start;
            break;
        }
        result.records.append(std::move(*record));
    }
    return result;
}

} // namespace tavimo::mediadat
