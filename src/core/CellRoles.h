#pragma once

#include "core/CellPicture.h"

#include <QMetaType>
#include <Qt>

namespace tavimo {

// What a grid asks of a book or an album row to draw its cell. Qt::DisplayRole is the title.
enum CellRole {
    PictureRole = Qt::UserRole + 1, // CellPicture (null: no picture)
    BookmarkRole,                   // qint64, videos only
    PlayCountRole,                  // qint32, videos only
    SyncMarkRole,                   // bool, albums only
};

} // namespace tavimo

Q_DECLARE_METATYPE(tavimo::CellPicture)
