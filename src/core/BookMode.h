#pragma once

namespace tavimo {

// Normal books hold videos on fixed disks by full path; media books hold videos on removable
// media by path relative to the medium's mount point. Stored as 0 and 1.
enum class BookMode : int { Normal = 0, Media = 1 };

} // namespace tavimo
