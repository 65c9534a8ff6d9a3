#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavimo {

class Album;
class VideoExtensions;

// What showing an album does to its videos before the window draws them.
namespace albumshow {

// A folder-synchronised album follows the folder of its first video: videos from any other
// folder leave the album, and the folder's videos that are not in it yet join at the end,
// sorted by name. Answers whether any video joined. Nothing happens to an empty album, nor to
// one whose first video is a path of another system. unfit, when given, receives the folder's
// videos that cannot become entries (canBeEntry) and were left out.
bool synchroniseWithFolder(Album& album, const VideoExtensions& extensions,
                           QStringList* unfit = nullptr);

// Drops the videos whose file is gone (GoneFiles): an entry without a file name, and a file
// missing from a folder that still exists and is not empty. A file whose folder (or whole disk)
// cannot be reached stays, with its picture, bookmark and count, until it can be checked; in a
// media book whose medium is not mounted nothing is checked. Answers how many were dropped.
// progress, when given, is told the number of entries checked after every `block` entries and at
// the end.
int dropMissingFiles(Album& album, const std::function<void(int)>& progress = {}, int block = 256);

// The videos that have no usable picture and whose file is there to make one from, in album
// order. A file that cannot be reached (its medium or folder away) is not tried: that would
// only ask whether to leave out a video that is merely absent.
QList<int> videosWithoutPicture(const Album& album);

// Sorts file names (or paths) as the file dialogs and the name sort do: by the user's locale,
// ignoring case. Equal names keep their order.
void sortNames(QStringList& names);

} // namespace albumshow

// The album window's caption: the album's name, in media books its medium, and the number of
// videos.
QString albumWindowCaption(const Album& album);

// The question asked of a file whose thumbnail could not be made: whether to leave it out
// (unless "読み込めないファイルは登録しない" says so already); kept, it has a black picture.
// openedPartly: the file opened but could not be built whole (the question names the full
// path); otherwise it failed outright (the question names the file).
QString exclusionQuestion(const QString& fullPath, bool openedPartly);

} // namespace tavimo
