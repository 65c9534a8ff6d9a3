#pragma once

#include <QString>

namespace tavimo::platform {

// Starts the executable at path with no arguments, in this process's environment and current
// folder, detached: it outlives this program and is never waited for. Answers 0 when it runs,
// otherwise the system's error number of the failure (ENOENT for a missing file, EACCES for
// one that may not be executed, ENOEXEC for one that is no program, ...).
int startDetachedProgram(const QString& path);

} // namespace tavimo::platform
