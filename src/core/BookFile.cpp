#include "core/BookFile.h"

#include "core/TextFile.h"

namespace tavimo::bookfile {

namespace {

// The line without any marker, also those that cutting one out makes ("-->" out of "---->>"
// leaves "-->"): a name that kept one would lose it at the next save and load.
QString withoutMarkers(const QString& text, bool& found) {
    const QStringView marker(kSyncMarker);
    QString name;
    name.reserve(text.size());
    for (QChar c : text) {
        name.append(c);
        if (name.endsWith(marker)) {
            name.chop(marker.size());
            found = true;
        }
    }
    return name;
}

} // namespace

QList<Line> parse(const QStringList& lines, BookMode mode) {
    QList<Line> result;
    result.reserve(lines.size());
    for (const QString& text : lines) {
        Line line;
        bool marked = false;
        line.name = withoutMarkers(text, marked);
        line.folderSync = mode == BookMode::Normal && marked;
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
