#pragma once

namespace tavimo {

class Album;
class DialogService;

// Writing the open album's files. Each call writes its files together: all of them to
// temporary files first, then renamed into place (the store before the album file), so a failed
// write leaves every old file as it was. A failure is shown, naming the file and the reason.

// The store, the album file, the marks and the counts: after any change to the rows.
bool saveAlbumFiles(const Album& album, DialogService& dialogs);
// The marks and counts files alone: after bookmarks or play counts changed.
bool saveAlbumMarks(const Album& album, DialogService& dialogs);

} // namespace tavimo
