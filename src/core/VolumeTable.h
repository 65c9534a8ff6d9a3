#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace tavimo {

// Medium kinds as the library stores them.
enum MediumKind : int32_t {
    kMediumNone = 0,      // fixed, network, RAM or unknown
    kMediumCd = 1,        // optical, at most 800 MiB
    kMediumDvd = 2,       // optical, larger
    kMediumRemovable = 3, // removable disk (USB stick, card)
};

// A mounted volume as the removable-media rules see it.
struct VolumeInfo {
    QString root; // mount point with a trailing '/'
    int32_t kind = kMediumNone;
    uint32_t serial = 0; // the serial number Windows would show; 0 when unknown
    QString label;       // volume label, may be empty
};

// The mounted volumes of the machine. The program uses the Linux implementation of the
// platform layer; tests use a fake whose mount points are temporary folders.
class VolumeTable {
public:
    virtual ~VolumeTable() = default;

    // Every mounted volume, in a stable order (longest mount point first is not implied).
    // Called from worker threads too (a medium scan reads it there): it changes nothing.
    virtual QList<VolumeInfo> volumes() const = 0;

    // The volume whose mount point holds path (the longest matching mount point), if any.
    virtual std::optional<VolumeInfo> volumeOf(const QString& path) const;
};

// The volumes as one reading of a table found them. Reading the mount table asks every mounted
// file system (a hung network mount holds the reader), so an operation that asks about many
// paths reads it once; a snapshot never changes, so any thread may use it.
class VolumeSnapshot final : public VolumeTable {
public:
    explicit VolumeSnapshot(QList<VolumeInfo> volumes) : volumes_(std::move(volumes)) {}

    QList<VolumeInfo> volumes() const override { return volumes_; }

private:
    QList<VolumeInfo> volumes_;
};

} // namespace tavimo
