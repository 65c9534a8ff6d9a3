#pragma once

#include <QString>

namespace tavimo::media {

// Versions of the media libraries in use, for the about box and bug reports.
QString libraryVersions();

} // namespace tavimo::media
