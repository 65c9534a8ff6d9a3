#include "core/AlbumSaving.h"

#include "core/Album.h"
#include "core/SaveUnit.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

namespace tavimo {

bool stageAlbumMarks(const Album& album, SaveUnit& unit) {
    if (!album.isOpen())
        return false;
    QStringList marks, counts;
    marks.reserve(album.count());
    counts.reserve(album.count());
    for (const VideoRow& row : album.rows()) {
        marks.append(QString::number(row.bookmark));
        counts.append(QString::number(row.count));
    }
    return unit.stage(album.paths().marks, textfile::encodeLines(marks)) &&
           unit.stage(album.paths().counts, textfile::encodeLines(counts));
}

bool stageAlbumFiles(const Album& album, SaveUnit& unit) {
    return album.isOpen() && album.store().stageTo(unit, album.paths().storeBase) &&
           stageAlbumMarks(album, unit) &&
           unit.stage(album.paths().album,
                      textfile::encodeLinesFor(album.paths().album, album.entries()));
}

} // namespace tavimo
