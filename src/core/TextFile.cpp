#include "core/TextFile.h"

#include "core/TextCodec.h"

#include <QFile>

namespace tavimo::textfile {

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype end = text.indexOf(QChar(0));
    if (end < 0)
        end = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < end) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < end && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < end)
        lines.append(text.mid(start, end - start));
    return lines;
}

std::optional<QStringList> readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return splitLines(textcodec::decodeFile(file.readAll()));
}

QByteArray encodeLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return textcodec::encodeFile(text);
}

WriteResult writeLines(const QString& path, const QStringList& lines) {
    return writeFileAtomically(path, encodeLines(lines));
}

} // namespace tavimo::textfile
