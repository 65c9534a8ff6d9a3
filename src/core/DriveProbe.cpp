#include "core/DriveProbe.h"

#include "core/EntryFiles.h"
#include "core/MediaRegistry.h"

#include <QFileInfo>

namespace tavimo {

DriveProbe DriveProbe::snapshot() const {
    return DriveProbe(std::make_shared<const VolumeSnapshot>(volumes_->volumes()));
}

int32_t DriveProbe::mediumKind(const QString& path) const {
    const auto volume = volumes_->volumeOf(path);
    return volume ? volume->kind : kMediumNone;
}

MediumRecord DriveProbe::fillRecord(const QString& root) const {
    MediumRecord record;
    if (const auto volume = volumes_->volumeOf(root)) {
        record.kind = volume->kind;
        record.serial = volume->serial;
        record.label = cutLabel(volume->label);
    }
    return record;
}

QString DriveProbe::findBySerial(MediumRecord& record) const {
    if (record.serial == 0)
        return {};
    for (const VolumeInfo& volume : volumes_->volumes()) {
        if (volume.kind > kMediumNone && volume.serial == record.serial) {
            record.kind = volume.kind;
            record.label = cutLabel(volume.label);
            return volume.root;
        }
    }
    return {};
}

QString DriveProbe::findByFile(const QString& entry, MediumRecord& record) const {
    if (entry.isEmpty())
        return {};
    for (const VolumeInfo& volume : volumes_->volumes()) {
        const QString file = entryFile(BookMode::Media, volume.root, entry);
        if (volume.kind > kMediumNone && isPathHere(file) && QFileInfo(file).isFile()) {
            record = fillRecord(volume.root);
            return volume.root;
        }
    }
    return {};
}

QString DriveProbe::rootOf(const QString& path) const {
    const auto volume = volumes_->volumeOf(path);
    return volume ? volume->root : QString();
}

QStringList DriveProbe::mediumRoots() const {
    QStringList roots;
    for (const VolumeInfo& volume : volumes_->volumes())
        if (volume.kind > kMediumNone)
            roots.append(volume.root);
    return roots;
}

CurrentMedium determineCurrentMedium(MediumRecord& recorded, const QStringList& albumLines,
                                     const DriveProbe& probe) {
    CurrentMedium current;
    current.record = recorded;
    if (albumLines.isEmpty()) {
        current.record = MediumRecord{};
        recorded = current.record;
    } else if (isUnidentified(current.record)) {
        current.root = probe.findByFile(albumLines.first(), current.record);
        if (!current.root.isEmpty())
            recorded = current.record;
    } else {
        // The refreshed kind and label describe the medium as inserted now; the registry keeps
        // what was recorded.
        current.root = probe.findBySerial(current.record);
    }
    return current;
}

} // namespace tavimo
