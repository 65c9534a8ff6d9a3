#include "core/BookFile.h"

#include "core/TextFile.h"

namespace tavimo::bookfile {

QList<Line> parse(const QStringList& lines, BookMode mode) {
    const QString marker = QString::fromUtf16(kSyncMarker);
    QList<Line> result;
    result.reserve(lines.size());
    for (const QString& text : lines) {
        Line line;
        line.name = text;
        line.name.remove(marker);
        line.folderSync = mode == BookMode::Normal && text.contains(marker);
        result.append(line);
    }
    return result;
}

QStringList format(const QList<Line>& lines, BookMode mode) {
    const QString marker = QString::fromUtf16(kSyncMarker);
    QStringList result;
    result.reserve(lines.size());
    for (const Line& line : lines)
        result.append(mode == BookMode::Normal && line.folderSync ? line.name + marker : line.name);
    return result;
}

std::optional<QList<Line>> read(const QString& path, BookMode mode) {
    const auto lines = textfile::readLines(path);
    if (!lines)
        return std::nullopt;
    return parse(*lines, mode);
}

WriteResult write(const QString& path, const QList<Line>& lines, BookMode mode) {
    return textfile::writeLines(path, format(lines, mode));
}

} // namespace tavimo::bookfile
