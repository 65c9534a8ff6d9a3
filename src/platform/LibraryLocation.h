#pragma once

#include <QString>

namespace tavimo::platform {

// The library folder, with a trailing '/': the executable's folder when it holds "Tavimo.ini"
// (a portable install), otherwise $XDG_DATA_HOME/Tavimo/ (~/.local/share/Tavimo/), created here.
// The environment variable TAVIMO_LIBRARY, when set, wins: tests and benchmarks use it.
QString libraryFolder(const QString& executableFolder);

} // namespace tavimo::platform
