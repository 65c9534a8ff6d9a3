#pragma once

namespace tavimo {

class Album;
class SaveUnit;

// What of the open album a save writes, added to the save's unit (see SaveUnit): the unit
// writes them together with whatever else of the library the same change touched.

// The store, the marks, the counts and the album file: after any change to the rows.
bool stageAlbumFiles(const Album& album, SaveUnit& unit);
// The marks and counts files alone: after bookmarks or play counts changed.
bool stageAlbumMarks(const Album& album, SaveUnit& unit);

} // namespace tavimo
