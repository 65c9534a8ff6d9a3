#include "platform/LinuxVolumeTable.h"

#include "core/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringDecoder>

namespace tavimo::platform {

namespace {
constexpr qint64 kCdLimit = 838860800; // 800 MiB
constexpr qint64 kSector = 2048;

QString readSysFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

uint32_t fnv1a(const QByteArray& bytes) {
    uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}
} // namespace

LinuxVolumeTable::LinuxVolumeTable(QString sysRoot, QString devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

int32_t LinuxVolumeTable::kindOf(const QString& blockName, qint64 totalBytes) const {
    if (blockName.isEmpty())
        return kMediumNone;
    // A partition's sysfs folder sits inside its disk's folder.
    QString disk = blockName;
    const QString classPath = sysRoot_ + QStringLiteral("/class/block/") + blockName;
    if (QFileInfo::exists(classPath + QStringLiteral("/partition")))
        disk = QFileInfo(QFileInfo(classPath).canonicalFilePath()).dir().dirName();
    if (disk.startsWith(QLatin1String("sr")))
        return totalBytes <= kCdLimit ? kMediumCd : kMediumDvd;
    if (disk.startsWith(QLatin1String("mmcblk")) ||
        readSysFile(sysRoot_ + QStringLiteral("/block/") + disk + QStringLiteral("/removable")) ==
            QLatin1String("1"))
        return kMediumRemovable;
    return kMediumNone;
}

uint32_t LinuxVolumeTable::serialFromUuid(const QString& fileSystem, const QString& uuid) {
    if (uuid.isEmpty())
        return 0;
    const QString fs = fileSystem.toLower();
    bool ok = false;
    if ((fs == QLatin1String("vfat") || fs == QLatin1String("exfat") ||
         fs == QLatin1String("msdos") || fs == QLatin1String("fat")) &&
        uuid.size() == 9 && uuid.at(4) == u'-') {
        const uint32_t serial = QString(uuid).remove(u'-').toUInt(&ok, 16);
        if (ok)
            return serial;
    }
    if ((fs.startsWith(QLatin1String("ntfs")) || fs == QLatin1String("fuseblk")) &&
        uuid.size() == 16) {
        const uint32_t serial = uuid.right(8).toUInt(&ok, 16);
        if (ok)
            return serial;
    }
    return fnv1a(uuid.toUtf8());
}

uint32_t LinuxVolumeTable::discSerial(const QByteArray& descriptor) {
    // Byte-wide sums over each of the four byte lanes, as Windows computes it.
    uint8_t sum[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i + 3 < descriptor.size() && i < kSector; i += 4)
        for (int lane = 0; lane < 4; ++lane)
            sum[lane] =
                static_cast<uint8_t>(sum[lane] + static_cast<uint8_t>(descriptor[i + lane]));
    return (uint32_t(sum[0]) << 24) | (uint32_t(sum[1]) << 16) | (uint32_t(sum[2]) << 8) |
           uint32_t(sum[3]);
}

QByteArray LinuxVolumeTable::discDescriptor(const QString& device) {
    QFile file(device);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray primary;
    // Volume descriptors start at sector 16 and end with type 255; a few dozen at most.
    for (int sector = 16; sector < 64; ++sector) {
        if (!file.seek(sector * kSector))
            break;
        const QByteArray d = file.read(kSector);
        if (d.size() != kSector || d.mid(1, 5) != "CD001")
            break;
        const auto type = static_cast<uint8_t>(d[0]);
        if (type == 255)
            break;
        if (type == 1 && primary.isEmpty())
            primary = d;
        if (type == 2) {
            const QByteArray escape = d.mid(88, 3);
            if (escape == "%/@" || escape == "%/C" || escape == "%/E")
                return d; // Joliet
        }
    }
    return primary;
}

QString LinuxVolumeTable::decodeLabel(const QString& escaped) {
    QByteArray bytes;
    const QByteArray raw = escaped.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int value = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                bytes.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        bytes.append(raw[i]);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return textcodec::fromCp932(bytes);
}

// The entry of /dev/disk/<folder> that points at device, or empty.
QString LinuxVolumeTable::linkNameFor(const QString& folder, const QString& device) const {
    const QDir dir(devRoot_ + QStringLiteral("/disk/") + folder);
    const QFileInfoList links =
        dir.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links)
        if (link.canonicalFilePath() == device)
            return link.fileName();
    return {};
}

QList<VolumeInfo> LinuxVolumeTable::volumes() const {
    QList<VolumeInfo> result;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        VolumeInfo volume;
        volume.root = storage.rootPath();
        if (!volume.root.endsWith(u'/'))
            volume.root += u'/';
        const QString device =
            QFileInfo(QString::fromLocal8Bit(storage.device())).canonicalFilePath();
        if (device.startsWith(devRoot_ + u'/')) {
            const QString blockName = QFileInfo(device).fileName();
            volume.kind = kindOf(blockName, storage.bytesTotal());
            const QString fs = QString::fromLatin1(storage.fileSystemType());
            const QString uuid = linkNameFor(QStringLiteral("by-uuid"), device);
            QByteArray descriptor;
            if (fs == QLatin1String("iso9660") || fs == QLatin1String("udf"))
                descriptor = discDescriptor(device);
            volume.serial =
                descriptor.isEmpty() ? serialFromUuid(fs, uuid) : discSerial(descriptor);
            volume.label = decodeLabel(linkNameFor(QStringLiteral("by-label"), device));
        }
        result.append(volume);
    }
    return result;
}

} // namespace tavimo::platform
