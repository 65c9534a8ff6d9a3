#include "core/AlbumSaving.h"

#include "core/Album.h"
#include "core/DialogService.h"
#include "core/StagedFiles.h"
#include "core/TextFile.h"
#include "core/Tpackedjpg.h"

namespace tavimo {

namespace {

void stageMarks(const Album& album, StagedFiles& files) {
    QStringList marks, counts;
    marks.reserve(album.count());
    counts.reserve(album.count());
    for (const VideoRow& row : album.rows()) {
        marks.append(QString::number(row.bookmark));
        counts.append(QString::number(row.count));
    }
    files.stage(album.paths().marks, textfile::encodeLines(marks)) &&
        files.stage(album.paths().counts, textfile::encodeLines(counts));
}

bool commitOrReport(StagedFiles& files, DialogService& dialogs) {
    if (files.commit())
        return true;
    dialogs.message(files.failure().message(), DialogService::Buttons::Ok,
                    DialogService::Icon::Error);
    return false;
}

} // namespace

bool saveAlbumFiles(const Album& album, DialogService& dialogs) {
    if (!album.isOpen())
        return false;
    StagedFiles files;
    // The album file is renamed last: a crash between the renames leaves it as it was, with
    // companions that hold at least its rows (opening drops their surplus), so videos added
    // since are lost whole rather than joined to the wrong picture or count.
    album.store().stageTo(files, album.paths().storeBase);
    stageMarks(album, files);
    files.stage(album.paths().album, textfile::encodeLines(album.entries()));
    return commitOrReport(files, dialogs);
}

bool saveAlbumMarks(const Album& album, DialogService& dialogs) {
    if (!album.isOpen())
        return false;
    StagedFiles files;
    stageMarks(album, files);
    return commitOrReport(files, dialogs);
}

} // namespace tavimo
