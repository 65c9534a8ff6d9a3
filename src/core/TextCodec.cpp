#include "core/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavimo::textcodec {

namespace {
constexpr const char* kCodecName = "windows-31j";
}

bool fitsCp932(const QString& text) {
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    // ICU substitutes unmappable characters instead of flagging them: compare the round trip.
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    QString back = decoder.decode(bytes);
    return !decoder.hasError() && back == text;
}

QByteArray toCp932Lossy(const QString& text) {
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString fromCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray encodeFile(const QString& text) {
    if (fitsCp932(text))
        return toCp932Lossy(text);
    return QByteArray(kUtf8Bom) + text.toUtf8();
}

QString decodeFile(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return fromCp932(bytes);
}

} // namespace tavimo::textcodec
