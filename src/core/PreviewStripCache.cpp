#include "core/PreviewStripCache.h"

#include "core/AtomicFile.h"
#include "core/JpegCodec.h"
#include "core/RegularFiles.h"
#include "core/Tpackedjpg.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavimo {

namespace {

constexpr QLatin1StringView kExtension(".pjpg");
// A strip of ten 120 x 90 pictures is 30 to 60 KB; a file far larger is not one of ours, and
// is not read into memory to find that out.
constexpr qint64 kMaxStripFileBytes = 4LL * 1024 * 1024;
// Pictures of a strip are thumbnail-sized; a header claiming more is damage.
constexpr qint64 kMaxFramePixels = 1024LL * 1024;
// Temporary files of a write that never finished (the program was killed) are deleted once
// they are this old; a write in progress takes milliseconds.
constexpr qint64 kStaleTemporaryMs = 10LL * 60 * 1000;

// The store's name field says whose strip it is and what it holds: the key's hash and a digest
// of the pictures, so a file damaged inside a picture, or put in another's place, is known.
QByteArray stripName(const QString& fileName, const QList<QByteArray>& frames) {
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QByteArray& frame : frames)
        digest.addData(frame);
    return fileName.chopped(kExtension.size()).toLatin1() + '-' + digest.result().toHex().left(16);
}

// The name in a store's header: the text after "PJPG " up to the first NUL.
QByteArray nameInHeader(const QByteArray& bytes) {
    if (bytes.size() < Tpackedjpg::kTextFieldSize)
        return {};
    const QByteArray field = bytes.mid(5, Tpackedjpg::kTextFieldSize - 5);
    const qsizetype end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

bool isStripName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{32}\\.pjpg$"));
    return pattern.match(name).hasMatch();
}

// The temporary file of a strip's atomic write: the strip's name and six letters or digits.
bool isStripTemporaryName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9a-f]{32}\\.pjpg\\.[A-Za-z0-9]{6}$"));
    return pattern.match(name).hasMatch();
}

struct stat statOf(const QString& path, bool* there) {
    struct stat info {};
    *there = ::lstat(QFile::encodeName(path).constData(), &info) == 0;
    return info;
}

// A folder, and no link to one: a cache folder that is a link is never used, so that nothing
// of where it points is read, replaced or deleted.
bool isOwnFolder(const QString& path) {
    bool there = false;
    const struct stat info = statOf(path, &there);
    return there && S_ISDIR(info.st_mode);
}

// Marks the file used now, so the order of use survives the program's end.
void touch(const QString& path) {
    const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

// A strip file's bytes when it is a regular file of a strip's size: a link is not followed and
// a FIFO is never waited on.
std::optional<QByteArray> readStripFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.emplace(qsizetype(std::min<qint64>(info.st_size, kMaxStripFileBytes + 1)),
                      Qt::Uninitialized);
        qsizetype got = 0;
        while (got < bytes->size()) {
            const ssize_t n = ::read(fd, bytes->data() + got, size_t(bytes->size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes->truncate(got);
    }
    ::close(fd);
    return bytes;
}

} // namespace

std::optional<PreviewKey> PreviewKey::of(const QString& path) {
    if (path.isEmpty() || !isRegularFile(path))
        return std::nullopt;
    const QFileInfo info(path);
    return PreviewKey{path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QString PreviewKey::fileName() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(path.toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray::number(size));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray::number(modifiedMs));
    return QString::fromLatin1(hash.result().toHex().left(32)) + kExtension;
}

PreviewStripCache::PreviewStripCache(QString folder, qint64 maxBytes)
    : folder_(std::move(folder)), maxBytes_(std::max<qint64>(0, maxBytes)) {}

QString PreviewStripCache::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tavimo/previews");
}

qint64 PreviewStripCache::usedBytes() {
    std::lock_guard lock(mutex_);
    index();
    return used_;
}

std::optional<QList<QByteArray>> PreviewStripCache::readStrip(const QByteArray& bytes,
                                                              const QString& fileName) {
    Tpackedjpg store;
    if (!store.loadFromBytes(bytes) || store.count() != kFrames)
        return std::nullopt;
    QList<QByteArray> frames;
    qint64 expected = Tpackedjpg::kHeaderSize + 4LL * kFrames;
    for (int i = 0; i < kFrames; ++i) {
        QByteArray jpeg;
        if (!store.getPicture(i, jpeg) || jpeg.isEmpty())
            return std::nullopt;
        const std::optional<QSize> size = jpeg::readSize(jpeg);
        if (!size || qint64(size->width()) * size->height() > kMaxFramePixels ||
            jpeg::decode(jpeg).isNull())
            return std::nullopt;
        expected += jpeg.size();
        frames.append(std::move(jpeg));
    }
    // The reader loads what a damaged file holds and drops the rest; a strip is all or
    // nothing, so a file with bytes missing or left over is not one.
    if (expected != bytes.size())
        return std::nullopt;
    const QByteArray name = nameInHeader(bytes);
    const QByteArray wanted =
        stripName(fileName.isEmpty() ? QString(name.left(32)) + kExtension : fileName, frames);
    if (name != wanted)
        return std::nullopt;
    return frames;
}

void PreviewStripCache::index() {
    if (indexed_ || !isOwnFolder(folder_))
        return;
    indexed_ = true;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QDirIterator it(folder_, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        bool there = false;
        const struct stat info = statOf(path, &there);
        // Only the cache's own regular files count; anything else there is left alone.
        if (!there || !S_ISREG(info.st_mode))
            continue;
        const qint64 modified = info.st_mtim.tv_sec * 1000LL + info.st_mtim.tv_nsec / 1000000;
        if (isStripName(name)) {
            items_[name] = {qint64(info.st_size), modified};
            used_ += info.st_size;
            clock_ = std::max(clock_, modified);
        } else if (isStripTemporaryName(name) && now - modified > kStaleTemporaryMs) {
            QFile::remove(path);
        }
    }
}

qint64 PreviewStripCache::nextUse() {
    // Uses within one millisecond still keep their order.
    clock_ = std::max(clock_ + 1, QDateTime::currentMSecsSinceEpoch());
    return clock_;
}

void PreviewStripCache::forget(const QString& name) {
    const auto it = items_.find(name);
    if (it != items_.end()) {
        used_ -= it->second.bytes;
        items_.erase(it);
    }
}

std::optional<QList<QByteArray>> PreviewStripCache::load(const PreviewKey& key) {
    std::lock_guard lock(mutex_);
    if (!isOwnFolder(folder_))
        return std::nullopt;
    index();
    const QString name = key.fileName();
    const QString path = folder_ + u'/' + name;
    const std::optional<QByteArray> bytes = readStripFile(path);
    if (!bytes) {
        forget(name);
        return std::nullopt;
    }
    std::optional<QList<QByteArray>> strip;
    if (bytes->size() <= kMaxStripFileBytes)
        strip = readStrip(*bytes, name);
    if (!strip) {
        // Damaged: deleted, so the strip is made again and stored in its place.
        QFile::remove(path);
        forget(name);
        return std::nullopt;
    }
    touch(path);
    Item& item = items_[name];
    if (item.bytes == 0) { // written by an earlier run after this one read the folder
        item.bytes = bytes->size();
        used_ += item.bytes;
    }
    item.lastUsedMs = nextUse();
    return strip;
}

bool PreviewStripCache::store(const PreviewKey& key, const QList<QByteArray>& frames) {
    if (frames.size() != kFrames ||
        std::any_of(frames.begin(), frames.end(), [](const QByteArray& f) { return f.isEmpty(); }))
        return false;
    std::lock_guard lock(mutex_);
    if (!QDir().mkpath(folder_) || !isOwnFolder(folder_))
        return false;
    index();
    const QString name = key.fileName();
    const QString path = folder_ + u'/' + name;
    // An atomic write follows a link in the file's place and replaces what it points to: a
    // link named like the strip is no strip, and goes first.
    bool there = false;
    const struct stat info = statOf(path, &there);
    if (there && S_ISLNK(info.st_mode) && !QFile::remove(path))
        return false;
    Tpackedjpg store;
    for (const QByteArray& frame : frames)
        store.addPicture(frame);
    const QByteArray file = store.saveToBytes(QString::fromLatin1(stripName(name, frames)));
    if (!writeFileAtomically(path, file))
        return false;
    forget(name);
    const qint64 bytes = file.size();
    items_[name] = {bytes, nextUse()};
    used_ += bytes;
    evict();
    return true;
}

void PreviewStripCache::evict() {
    if (used_ <= maxBytes_ || !isOwnFolder(folder_))
        return;
    std::vector<std::pair<qint64, QString>> byAge;
    byAge.reserve(items_.size());
    for (const auto& [name, item] : items_)
        byAge.emplace_back(item.lastUsedMs, name);
    std::sort(byAge.begin(), byAge.end());
    for (const auto& [lastUsed, name] : byAge) {
        if (used_ <= maxBytes_)
            break;
        QFile::remove(folder_ + u'/' + name);
        forget(name);
    }
}

} // namespace tavimo
