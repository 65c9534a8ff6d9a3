#pragma once

#include <QString>

namespace tavimo {

// True when `path` names a regular file, after following symbolic links. A FIFO, socket or
// device named like a video is not one: opening a FIFO for reading blocks until a writer comes,
// and a device may never end, so nothing that lists, probes or plays videos may open them.
bool isRegularFile(const QString& path);

} // namespace tavimo
