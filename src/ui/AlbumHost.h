#pragma once

#include "core/MediumRecord.h"

#include <QByteArray>
#include <QStringList>

namespace tavimo {

// The book side of the open album: what the album window tells the book window.
class AlbumHost {
public:
    virtual ~AlbumHost() = default;

    // The album file is being written: the book keeps its own copy of the entries.
    virtual void albumEntriesSaved(int albumIndex, const QStringList& entries) = 0;
    // A media album's record changed (an album left empty gets the empty record).
    virtual void albumRecordChanged(int albumIndex, const MediumRecord& record) = 0;
    // "この画像をアルバム画像に設定": the album's cell and picture store entry take the picture.
    // False when the book has no such album.
    virtual bool setAlbumPicture(int albumIndex, const QByteArray& jpeg) = 0;
    // The album window was hidden: the book window comes back with its commands enabled.
    virtual void albumWindowClosed() = 0;
};

} // namespace tavimo
