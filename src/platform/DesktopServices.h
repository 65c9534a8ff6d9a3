#pragma once

#include "core/DocumentOpener.h"
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

// Opens documents with the desktop's default program for them (the user's browser for HTML).
class DesktopDocumentOpener final : public DocumentOpener {
public:
    bool open(const QString& path) override;
};

} // namespace tavimo::platform
