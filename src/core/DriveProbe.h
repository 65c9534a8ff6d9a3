#pragma once

#include "core/MediumRecord.h"
#include "core/VolumeTable.h"

#include <QStringList>

namespace tavimo {

class MediaRegistry;

// Finds removable media among the mounted volumes. A "root" is a volume's mount point with a
// trailing '/'; a path stands for the volume that holds it.
class DriveProbe {
public:
    explicit DriveProbe(const VolumeTable& volumes) : volumes_(volumes) {}

    // Kind of the volume holding path; kMediumNone when no volume holds it.
    int32_t mediumKind(const QString& path) const;

    // Kind, serial and label of the volume holding root (the empty record when none does).
    MediumRecord fillRecord(const QString& root) const;

    // The first medium volume whose serial is record's; its kind and current label are copied
    // into record. Empty (and record untouched) when the serial is 0 or no volume matches.
    QString findBySerial(MediumRecord& record) const;

    // The first medium volume that holds the file of the media entry (entryFile); record is
    // filled from that volume. Empty (and record untouched) when none holds it.
    QString findByFile(const QString& entry, MediumRecord& record) const;

    // Root of the volume holding path; empty when no volume holds it.
    QString rootOf(const QString& path) const;

    // Roots of every volume that is a medium (kind > 0), in the table's order.
    QStringList mediumRoots() const;

private:
    const VolumeTable& volumes_;
};

// The medium of the album open in media mode and where it is mounted now (empty when absent).
struct CurrentMedium {
    MediumRecord record;
    QString root;
};

// Opening an album of a media book whose lines are albumLines and whose medium is `recorded`:
// finds its medium and, when the medium had to be identified by its files, updates `recorded`
// with what was found. An empty album's record is reset.
CurrentMedium determineCurrentMedium(MediumRecord& recorded, const QStringList& albumLines,
                                     const DriveProbe& probe);

} // namespace tavimo
