#pragma once

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "support/FakeVolumeTable.h"
#include "support/ScriptedDialogService.h"

#include <QTemporaryDir>

namespace tavimo::test {

// A library in a temporary folder, with scripted dialog answers and no removable media: where
// the window tests start. A fixture names it as its first base, so that the windows it holds
// as members are made after the session and gone before it.
struct LibraryOnDisk {
    QTemporaryDir dir;
    AppState state;
    ScriptedDialogService dialogs;
    FakeVolumeTable volumes;
    LibrarySession session{dir.path(), dialogs, volumes};
};

} // namespace tavimo::test
