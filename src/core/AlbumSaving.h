#pragma once

namespace tavimo {

class Album;
class SaveUnit;

// What of the open album a save writes, added to the save's unit (see SaveUnit): the unit
// writes them together with whatever else of the library the same change touched. The unit
// keeps copies of the rows' texts and numbers (shared, not copied) and makes the files' bytes
// when it writes them, off the interface thread.

// The store, the marks, the counts and the album file: after any change to the rows.
bool stageAlbumFiles(const Album& album, SaveUnit& unit);
// The album file, the marks and the counts, without the store: after rows were added at the
// end whose pictures may follow later (the store on the disk is then shorter than the album).
bool stageAlbumEntries(const Album& album, SaveUnit& unit);
// The marks and counts files alone: after bookmarks or play counts changed.
bool stageAlbumMarks(const Album& album, SaveUnit& unit);

} // namespace tavimo
