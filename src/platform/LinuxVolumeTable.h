#pragma once

#include "core/VolumeTable.h"

#include <QByteArray>

namespace tavimo::platform {

// Mounted volumes of this machine, classified from sysfs: a removable medium (sysfs
// "removable" flag, or an SD/MMC card) is kind 3; an optical disc ("sr" devices) kind 1 up to
// 800 MiB and kind 2 above; everything else 0. Serials are those Windows shows for the medium.
class LinuxVolumeTable final : public VolumeTable {
public:
    // sysRoot and devRoot are "/sys" and "/dev" except in tests.
    explicit LinuxVolumeTable(QString sysRoot = QStringLiteral("/sys"),
                              QString devRoot = QStringLiteral("/dev"));

    QList<VolumeInfo> volumes() const override;

    // Kind of a block device by its name ("sdb1", "sr0", "mmcblk0p1") and the volume's size.
    int32_t kindOf(const QString& blockName, qint64 totalBytes) const;

    // The serial Windows shows: FAT and exFAT take it from their "XXXX-XXXX" id, NTFS from the
    // low 32 bits of its 64-bit id; anything else gets a stable nonzero hash of the id (0 when
    // there is no id).
    static uint32_t serialFromUuid(const QString& fileSystem, const QString& uuid);
    // Windows' serial of an ISO 9660 disc: a checksum of the 2048-byte volume descriptor.
    static uint32_t discSerial(const QByteArray& descriptor);
    // The descriptor the disc serial is taken from: the Joliet one when present, else the
    // primary one; empty when the device cannot be read.
    static QByteArray discDescriptor(const QString& device);
    // A label as udev spells it in /dev/disk/by-label ("\x20" escapes), decoded as UTF-8, or
    // as CP932 when it is not valid UTF-8.
    static QString decodeLabel(const QString& escaped);

private:
    QString linkNameFor(const QString& folder, const QString& device) const;

    QString sysRoot_;
    QString devRoot_;
};

} // namespace tavimo::platform
