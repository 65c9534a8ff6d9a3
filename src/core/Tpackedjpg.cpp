#include "core/Tpackedjpg.h"

#include "core/DialogService.h"
#include "core/IntegerList.h"
#include "core/JpegCodec.h"
#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <limits>

namespace tavimo {

namespace {

constexpr char kSignature[] = "PJPG";
constexpr char kSignatureWithSpace[] = "PJPG ";
constexpr QLatin1StringView kExtension(".pjpg");

// A damaged header may claim more entries than its sizes table holds. Those entries are kept,
// empty, so the store stays parallel to its album, but never more than an album can have.
constexpr qint64 kMaxEntriesBeyondFile = TIntegerList::kMaxIndex + 1;

// Loose picture files of the earlier version are a few kilobytes; anything past this is not one.
constexpr qint64 kMaxLooseFileSize = 64LL * 1024 * 1024;

qint32 readInt32(const QByteArray& bytes, qint64 offset) {
    if (offset < 0 || offset + 4 > bytes.size())
        return 0;
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// The name in the text field: at most 122 bytes so that "PJPG " and a NUL fit in 128, cut at a
// character boundary.
QByteArray headerName(const QString& name) {
    constexpr int room = Tpackedjpg::kTextFieldSize - int(sizeof(kSignatureWithSpace) - 1) - 1;
    QString text = name;
    QByteArray bytes = textcodec::toCp932Lossy(text);
    while (bytes.size() > room) {
        text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
        bytes = textcodec::toCp932Lossy(text);
    }
    return bytes;
}

} // namespace

bool Tpackedjpg::isEmpty(int i) const {
    return !isValidIndex(i) || !entries_[size_t(i)].hasPicture;
}

bool Tpackedjpg::isBlank(int i) const {
    return isValidIndex(i) && entries_[size_t(i)].hasPicture && entries_[size_t(i)].jpeg.isEmpty();
}

void Tpackedjpg::clear() {
    entries_.clear();
    loaded_.clear();
}

void Tpackedjpg::reset(int n) {
    if (n < 0)
        return;
    clear();
    entries_.resize(size_t(n));
}

void Tpackedjpg::resize(int n) {
    if (n < 0 || n == count())
        return;
    if (n < count()) {
        entries_.resize(size_t(n));
        return;
    }
    entries_.resize(size_t(n), Entry{true, {}});
}

void Tpackedjpg::addPicture(const QByteArray& jpeg) {
    Entry entry;
    if (!jpeg.isEmpty()) {
        entry.hasPicture = true;
        entry.jpeg = QByteArray(jpeg.constData(), jpeg.size());
    }
    entries_.push_back(std::move(entry));
}

void Tpackedjpg::addBitmap(const QImage& bitmap) {
    Entry entry;
    if (!bitmap.isNull()) {
        QByteArray jpeg = jpeg::encode(bitmap);
        if (!jpeg.isEmpty()) {
            entry.hasPicture = true;
            entry.jpeg = std::move(jpeg);
        }
    }
    entries_.push_back(std::move(entry));
}

void Tpackedjpg::exchange(int i, int j) {
    if (!isValidIndex(i) || !isValidIndex(j) || i == j)
        return;
    std::swap(entries_[size_t(i)], entries_[size_t(j)]);
}

void Tpackedjpg::copyEntry(int d, int s) {
    if (!isValidIndex(d) || !isValidIndex(s) || d == s)
        return;
    entries_[size_t(d)] = entries_[size_t(s)];
}

void Tpackedjpg::remove(int i) {
    if (!isValidIndex(i))
        return;
    entries_.erase(entries_.begin() + i);
}

bool Tpackedjpg::getBitmap(int i, QImage& bitmap) const {
    if (!isValidIndex(i))
        return false;
    const Entry& entry = entries_[size_t(i)];
    if (!entry.hasPicture || entry.jpeg.isEmpty()) {
        bitmap = QImage();
        return false;
    }
    bitmap = jpeg::decode(entry.jpeg);
    return !bitmap.isNull();
}

bool Tpackedjpg::getPicture(int i, QByteArray& jpeg) const {
    if (!isValidIndex(i) || !entries_[size_t(i)].hasPicture)
        return false;
    const QByteArray& held = entries_[size_t(i)].jpeg;
    // A real copy: held may point into the loaded file, which the store may drop.
    jpeg = QByteArray(held.constData(), held.size());
    return true;
}

bool Tpackedjpg::setBitmap(int i, const QImage& bitmap) {
    if (!isValidIndex(i))
        return false;
    QByteArray jpeg = jpeg::encode(bitmap);
    if (jpeg.isEmpty())
        return false;
    entries_[size_t(i)] = Entry{true, std::move(jpeg)};
    return true;
}

bool Tpackedjpg::setPicture(int i, const QByteArray& jpeg) {
    if (!isValidIndex(i))
        return false;
    entries_[size_t(i)] = Entry{true, QByteArray(jpeg.constData(), jpeg.size())};
    return true;
}

bool Tpackedjpg::loadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The format addresses its data with 32-bit offsets; nothing past that belongs to it.
    // (QFile::read(n) allocates n bytes up front, so n is the file's size, never the limit.)
    const qint64 size = qMin<qint64>(file.size(), std::numeric_limits<qint32>::max());
    QByteArray bytes = file.read(size);
    return loadFromBytes(std::move(bytes));
}

bool Tpackedjpg::loadFromBytes(QByteArray bytes) {
    if (bytes.size() < 4 || std::memcmp(bytes.constData(), kSignature, 4) != 0)
        return false;
    // Entries point into these bytes, so they must be ours alone (not raw data of a caller).
    bytes.detach();

    const qint64 length = bytes.size();
    const qint64 dataOffset = readInt32(bytes, kTextFieldSize);
    const qint64 claimed = qMax<qint64>(readInt32(bytes, kTextFieldSize + 4), 0);
    const qint64 heldSizes = qMax<qint64>((length - kHeaderSize) / 4, 0);
    const qint64 entryCount =
        claimed <= heldSizes ? claimed : qMin(claimed, qMax(heldSizes, kMaxEntriesBeyondFile));

    clear();
    entries_.resize(size_t(entryCount));
    if (dataOffset < 0 || length <= dataOffset)
        return true;

    qint64 position = dataOffset;
    for (qint64 i = 0; i < entryCount; ++i) {
        const qint64 size = readInt32(bytes, kHeaderSize + 4 * i);
        if (size <= 0)
            continue;
        if (size > length - position) {
            position = length; // a short read consumes what is left
            continue;
        }
        const char* start = bytes.constData() + position;
        position += size;
        if (!jpeg::looksLikeJpeg(QByteArrayView(start, size)))
            continue;
        entries_[size_t(i)] = Entry{true, QByteArray::fromRawData(start, size)};
    }
    loaded_ = std::move(bytes);
    return true;
}

QByteArray Tpackedjpg::saveToBytes(const QString& name) const {
    qint64 dataSize = 0;
    for (const Entry& entry : entries_)
        dataSize += entry.hasPicture ? entry.jpeg.size() : 0;
    const qint64 dataOffset = kHeaderSize + 4LL * count();

    QByteArray out(dataOffset + dataSize, '\0');
    char* p = out.data();
    std::memcpy(p, kSignatureWithSpace, sizeof(kSignatureWithSpace) - 1);
    const QByteArray nameBytes = headerName(name);
    std::memcpy(p + sizeof(kSignatureWithSpace) - 1, nameBytes.constData(),
                size_t(nameBytes.size()));
    qToLittleEndian<qint32>(qint32(dataOffset), p + kTextFieldSize);
    qToLittleEndian<qint32>(qint32(count()), p + kTextFieldSize + 4);

    char* sizes = p + kHeaderSize;
    char* data = p + dataOffset;
    for (const Entry& entry : entries_) {
        const qint32 size = entry.hasPicture ? qint32(entry.jpeg.size()) : 0;
        qToLittleEndian<qint32>(size, sizes);
        sizes += 4;
        if (size > 0) {
            std::memcpy(data, entry.jpeg.constData(), size_t(size));
            data += size;
        }
    }
    return out;
}

WriteResult Tpackedjpg::saveToFile(const QString& pathWithoutExtension) const {
    const QString name = QFileInfo(pathWithoutExtension).fileName();
    return writeFileAtomically(pathWithoutExtension + kExtension, saveToBytes(name));
}

QStringList Tpackedjpg::loadFromFiles(const QStringList& paths, DialogService& dialogs) {
    QStringList taken;
    if (paths.isEmpty())
        return taken;
    reset(int(paths.size()));
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QByteArray jpeg;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxLooseFileSize) {
            const QByteArray bytes = file.readAll();
            if (jpeg::looksLikeJpeg(bytes)) {
                if (!jpeg::decode(bytes).isNull())
                    jpeg = bytes;
            } else {
                jpeg = jpeg::encode(QImage::fromData(bytes));
            }
        }
        if (jpeg.isEmpty()) {
            dialogs.message(path + QStringLiteral(" は読み込めません"));
            continue;
        }
        entries_[size_t(i)] = Entry{true, std::move(jpeg)};
        taken.append(path);
    }
    return taken;
}

} // namespace tavimo
