#include "core/AlbumFiles.h"

#include "core/BookPaths.h"
#include "core/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace tavimo {

namespace albumfile {

std::optional<QStringList> read(const QString& path) {
    return textfile::readLines(path);
}

WriteResult write(const QString& path, const QStringList& entries) {
    return textfile::writeLines(path, entries);
}

} // namespace albumfile

namespace {

template <typename T> QList<T> parseNumbers(const QStringList& lines, int n, int* firstBadLine) {
    QList<T> values;
    values.reserve(std::max<qsizetype>(n, lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bool ok = false;
        const qlonglong value = lines.at(i).trimmed().toLongLong(&ok, 10);
        const bool fits =
            ok && value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
        if (!fits && firstBadLine && *firstBadLine == 0)
            *firstBadLine = int(i) + 1;
        values.append(fits ? T(value) : T(0));
    }
    while (values.size() < n)
        values.append(T(0));
    return values;
}

template <typename T> QStringList numberLines(const QList<T>& values, int n) {
    QStringList lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.append(QString::number(i < values.size() ? values.at(i) : T(0)));
    return lines;
}

// The first bad line of a load, reported once for both files.
struct BadLine {
    QString path;
    QString text;
    int line = 0;
};

template <typename T>
QList<T> readNumbers(const QString& path, int n, std::optional<BadLine>& bad,
                     QStringList& damaged) {
    const auto read = textfile::readLines(path);
    if (!read && QFileInfo::exists(path))
        damaged.append(path);
    const QStringList lines = read.value_or(QStringList());
    int badLine = 0;
    QList<T> values = parseNumbers<T>(lines, n, &badLine);
    if (badLine > 0) {
        damaged.append(path);
        if (!bad)
            bad = BadLine{path, lines.at(badLine - 1), badLine};
    }
    return values;
}

} // namespace

QList<int64_t> AlbumMarks::parseBookmarks(const QStringList& lines, int n, int* firstBadLine) {
    return parseNumbers<int64_t>(lines, n, firstBadLine);
}

QList<int32_t> AlbumMarks::parseCounts(const QStringList& lines, int n, int* firstBadLine) {
    return parseNumbers<int32_t>(lines, n, firstBadLine);
}

QStringList AlbumMarks::bookmarkLines(int n) const {
    return numberLines(bookmarks, n);
}

QStringList AlbumMarks::countLines(int n) const {
    return numberLines(counts, n);
}

AlbumMarks AlbumMarks::load(const AlbumPaths& paths, int n) {
    std::optional<BadLine> bad;
    AlbumMarks marks;
    marks.bookmarks = readNumbers<int64_t>(paths.marks, n, bad, marks.damaged);
    marks.counts = readNumbers<int32_t>(paths.counts, n, bad, marks.damaged);
    if (bad) {
        marks.problems.append({QStringLiteral("'%1' は有効な整数値ではありません。\r\n"
                                              "%2 の %3 行目は 0 として読み込みます。")
                                   .arg(bad->text, QDir::toNativeSeparators(bad->path))
                                   .arg(bad->line),
                               bad->path, QString(), Problem::Icon::Warning});
    }
    return marks;
}

} // namespace tavimo
