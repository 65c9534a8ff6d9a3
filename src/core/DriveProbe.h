#pragma once

#include "core/MediumRecord.h"
#include "core/VolumeTable.h"

#include <QStringList>
#include <memory>

namespace tavimo {

class MediaRegistry;

// Finds removable media among the mounted volumes. A "root" is a volume's mount point with a
// trailing '/'; a path stands for the volume that holds it. Every question reads the volume
// table anew, unless the probe is a snapshot.
class DriveProbe {
public:
    explicit DriveProbe(const VolumeTable& volumes) : volumes_(&volumes) {}

    // A probe that answers from the volumes mounted now, read once: one operation (adding a
    // list of files, scanning a medium) takes one, so the mount table is not read per file. It
    // owns what it read and may be handed to another thread.
    DriveProbe snapshot() const;

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
    explicit DriveProbe(std::shared_ptr<const VolumeSnapshot> snapshot)
        : volumes_(snapshot.get()), snapshot_(std::move(snapshot)) {}

    const VolumeTable* volumes_;
    std::shared_ptr<const VolumeSnapshot> snapshot_; // owns volumes_ in a snapshot
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
