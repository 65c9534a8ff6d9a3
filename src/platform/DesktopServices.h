#pragma once

#include "core/FileTrash.h"

namespace tavimo::platform {

// The desktop's trash as Qt finds it (the freedesktop.org trash of the user's data folder, or
// the volume's own trash folder).
class DesktopTrash final : public FileTrash {
public:
    bool moveToTrash(const QString& path) override;
};

// Starts programs with QProcess, never through a shell.
class DetachedLauncher final : public ProgramLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
};

} // namespace tavimo::platform
