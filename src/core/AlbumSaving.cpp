#include "core/AlbumSaving.h"

#include "core/Album.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

namespace tavimo {

namespace {

// Lines of numbers, made and encoded when the unit writes them.
template <class Number> SaveUnit::Pieces numberLines(QList<Number> numbers) {
    return [numbers = std::move(numbers)](const std::function<bool(QByteArrayView)>& put) {
        QStringList lines;
        lines.reserve(numbers.size());
        for (const Number number : numbers)
            lines.append(QString::number(number));
        return put(textfile::encodeLines(lines));
    };
}

} // namespace

bool stageAlbumMarks(const Album& album, SaveUnit& unit) {
    if (!album.isOpen())
        return false;
    QList<int64_t> marks;
    QList<int32_t> counts;
    marks.reserve(album.count());
    counts.reserve(album.count());
    for (const VideoRow& row : album.rows()) {
        marks.append(row.bookmark);
        counts.append(row.count);
    }
    return unit.stage(album.paths().marks, numberLines(std::move(marks))) &&
           unit.stage(album.paths().counts, numberLines(std::move(counts)));
}

bool stageAlbumEntries(const Album& album, SaveUnit& unit) {
    if (!stageAlbumMarks(album, unit))
        return false;
    const QString path = album.paths().album;
    return unit.stage(
        path, [path, entries = album.entries()](const std::function<bool(QByteArrayView)>& put) {
            return put(textfile::encodeLinesFor(path, entries));
        });
}

bool stageAlbumFiles(const Album& album, SaveUnit& unit) {
    return album.isOpen() && album.store().stageTo(unit, album.paths().storeBase) &&
           stageAlbumEntries(album, unit);
}

} // namespace tavimo
