#include "core/TextFile.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace tavimo::textfile {

namespace {

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}
bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}
bool isCrLf(QChar first, QChar second) {
    return first == u'\r' && second == u'\n';
}
bool isCrLf(char first, char second) {
    return first == '\r' && second == '\n';
}

// Calls piece(start, length) for every line of a text or byte sequence.
template <typename Sequence, typename Piece>
void forEachLine(const Sequence& text, qsizetype end, Piece piece) {
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < end) {
        if (isLineBreak(text.at(i))) {
            piece(start, i - start);
            if (i + 1 < end && isCrLf(text.at(i), text.at(i + 1)))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < end)
        piece(start, end - start);
}

// The second-code lines of every file read, by path. Books and albums keep their lines as
// plain strings between a load and a save; this is where the bytes of those few lines wait.
class RememberedLines {
public:
    void set(const QString& path, LineBytes lines) {
        QMutexLocker lock(&mutex_);
        if (lines.isEmpty())
            byPath_.remove(key(path));
        else
            byPath_.insert(key(path), std::move(lines));
    }

    LineBytes get(const QString& path) const {
        QMutexLocker lock(&mutex_);
        return byPath_.value(key(path));
    }

private:
    static QString key(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

    mutable QMutex mutex_;
    QHash<QString, LineBytes> byPath_;
};

RememberedLines& remembered() {
    static RememberedLines instance;
    return instance;
}

} // namespace

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype end = text.indexOf(QChar(0));
    forEachLine(text, end < 0 ? text.size() : end,
                [&](qsizetype start, qsizetype length) { lines.append(text.mid(start, length)); });
    return lines;
}

QStringList decodeLines(QByteArrayView bytes, LineBytes* secondCodes) {
    if (bytes.startsWith(textcodec::kUtf8Bom))
        return splitLines(textcodec::fromUtf8(bytes.sliced(3)));
    // Line breaks and NUL are single bytes that are never part of a two-byte code, so the
    // bytes split into lines before decoding exactly as the decoded text would.
    QStringList lines;
    qsizetype end = bytes.indexOf('\0');
    forEachLine(bytes, end < 0 ? bytes.size() : end, [&](qsizetype start, qsizetype length) {
        const QByteArrayView piece = bytes.sliced(start, length);
        bool canonical = true;
        lines.append(textcodec::fromCp932(piece, &canonical));
        if (!canonical && secondCodes)
            secondCodes->insert(lines.last(), piece.toByteArray());
    });
    return lines;
}

QByteArray encodeLines(const QStringList& lines, const LineBytes* secondCodes) {
    QByteArray bytes;
    bool cp932 = true;
    for (const QString& line : lines) {
        if (secondCodes) {
            if (const auto kept = secondCodes->constFind(line); kept != secondCodes->cend()) {
                bytes += *kept;
                bytes += "\r\n";
                continue;
            }
        }
        const std::optional<QByteArray> encoded = textcodec::toCp932(line);
        if (!encoded) {
            cp932 = false;
            break;
        }
        bytes += *encoded;
        bytes += "\r\n";
    }
    // CP932 bytes that begin like the byte-order mark would be read as UTF-8.
    if (cp932 && !bytes.startsWith(textcodec::kUtf8Bom))
        return bytes;
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return QByteArray(textcodec::kUtf8Bom) + textcodec::toUtf8(text);
}

std::optional<QStringList> readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    LineBytes secondCodes;
    QStringList lines = decodeLines(file.readAll(), &secondCodes);
    remembered().set(path, std::move(secondCodes));
    return lines;
}

QByteArray encodeLinesFor(const QString& path, const QStringList& lines) {
    const LineBytes secondCodes = remembered().get(path);
    return encodeLines(lines, &secondCodes);
}

WriteResult writeLines(const QString& path, const QStringList& lines) {
    LineBytes secondCodes = remembered().get(path);
    WriteResult result = writeFileAtomically(path, encodeLines(lines, &secondCodes));
    if (result && !secondCodes.isEmpty()) {
        // Forget the lines the file no longer holds.
        const QSet<QString> written(lines.cbegin(), lines.cend());
        secondCodes.removeIf([&](const auto& entry) { return !written.contains(entry.key()); });
        remembered().set(path, std::move(secondCodes));
    }
    return result;
}

} // namespace tavimo::textfile
