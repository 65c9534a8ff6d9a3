#include "core/Tpackedjpg.h"

#include "core/JpegCodec.h"
#include "core/SaveUnit.h"
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
    mapped_.reset();
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

void Tpackedjpg::addSharedPicture(const QByteArray& jpeg) {
    Entry entry;
    entry.hasPicture = !jpeg.isEmpty();
    entry.jpeg = jpeg;
    entries_.push_back(std::move(entry));
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

QByteArray Tpackedjpg::sharedPicture(int i) const {
    if (!isValidIndex(i) || !entries_[size_t(i)].hasPicture)
        return {};
    return entries_[size_t(i)].jpeg;
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
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    // The format addresses its data with 32-bit offsets; nothing past that belongs to it.
    const qint64 size = qMin<qint64>(file->size(), std::numeric_limits<qint32>::max());
    uchar* map = size > 0 ? file->map(0, size) : nullptr;
    if (map == nullptr) {
        // Not mappable (an empty or special file): read it. QFile::read(n) allocates n bytes
        // up front, so n is the file's size, never the limit.
        return loadFromBytes(file->read(size));
    }
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(map), size);
    if (!parse(bytes))
        return false;
    loaded_ = bytes;
    mapped_ = std::move(file);
    return true;
}

bool Tpackedjpg::loadFromBytes(QByteArray bytes) {
    // Entries point into these bytes, so they must be ours alone (not raw data of a caller).
    bytes.detach();
    if (!parse(bytes))
        return false;
    loaded_ = std::move(bytes);
    return true;
}

bool Tpackedjpg::parse(const QByteArray& bytes) {
    if (bytes.size() < 4 || std::memcmp(bytes.constData(), kSignature, 4) != 0)
        return false;

    const qint64 length = bytes.size();
    const qint64 dataOffset = readInt32(bytes, kTextFieldSize);
    const qint64 claimed = qMax<qint64>(readInt32(bytes, kTextFieldSize + 4), 0);
    const qint64 heldSizes = qMax<qint64>((length - kHeaderSize) / 4, 0);
    // A damaged header may claim more entries than its file has room for sizes; only those the
    // file can describe are made (owners fit the store to their own list after loading), so a
    // count never allocates more than the file's length.
    const qint64 entryCount = qMin(claimed, heldSizes);

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
    return true;
}

QList<QByteArrayView> Tpackedjpg::pieces(const QString& name, QByteArray& head,
                                         std::deque<QByteArray>& staged) const {
    const qint64 dataOffset = kHeaderSize + 4LL * count();
    head = QByteArray(dataOffset, '\0');
    char* p = head.data();
    std::memcpy(p, kSignatureWithSpace, sizeof(kSignatureWithSpace) - 1);
    const QByteArray nameBytes = headerName(name);
    std::memcpy(p + sizeof(kSignatureWithSpace) - 1, nameBytes.constData(),
                size_t(nameBytes.size()));
    qToLittleEndian<qint32>(qint32(dataOffset), p + kTextFieldSize);
    qToLittleEndian<qint32>(qint32(count()), p + kTextFieldSize + 4);
    char* sizes = p + kHeaderSize;
    for (const Entry& entry : entries_) {
        qToLittleEndian<qint32>(entry.hasPicture ? qint32(entry.jpeg.size()) : 0, sizes);
        sizes += 4;
    }

    // Pictures that lie next to each other in the loaded file go out as one run; the others
    // are gathered into staging buffers, so a store is written in a few large pieces.
    const quintptr loadedBegin = quintptr(loaded_.constData());
    const quintptr loadedEnd = loadedBegin + quintptr(loaded_.size());
    auto isLoaded = [&](const QByteArray& jpeg) {
        const quintptr data = quintptr(jpeg.constData());
        return data >= loadedBegin && data + quintptr(jpeg.size()) <= loadedEnd;
    };
    qsizetype stagedLeft = 0;
    for (const Entry& entry : entries_)
        if (entry.hasPicture && !isLoaded(entry.jpeg))
            stagedLeft += entry.jpeg.size();

    QList<QByteArrayView> out{head};
    QByteArrayView run;
    QByteArray staging;
    staging.reserve(stagedLeft); // one allocation, not a growing buffer
    auto flushRun = [&] {
        if (!run.isEmpty())
            out.append(run);
        run = {};
    };
    auto flushStaging = [&] {
        if (staging.isEmpty())
            return;
        staged.push_back(std::move(staging));
        out.append(staged.back());
        staging = QByteArray();
        staging.reserve(stagedLeft);
    };
    for (const Entry& entry : entries_) {
        if (!entry.hasPicture || entry.jpeg.isEmpty())
            continue;
        if (!isLoaded(entry.jpeg)) {
            flushRun();
            staging.append(entry.jpeg);
            stagedLeft -= entry.jpeg.size();
        } else if (!run.isEmpty() && run.constData() + run.size() == entry.jpeg.constData()) {
            run = QByteArrayView(run.constData(), run.size() + entry.jpeg.size());
        } else {
            flushStaging();
            flushRun();
            run = entry.jpeg;
        }
    }
    flushRun();
    flushStaging();
    return out;
}

QByteArray Tpackedjpg::saveToBytes(const QString& name) const {
    QByteArray head;
    std::deque<QByteArray> staged;
    const QList<QByteArrayView> parts = pieces(name, head, staged);
    qsizetype total = 0;
    for (QByteArrayView part : parts)
        total += part.size();
    QByteArray out;
    out.reserve(total);
    for (QByteArrayView part : parts)
        out.append(part);
    return out;
}

WriteResult Tpackedjpg::saveToFile(const QString& pathWithoutExtension) const {
    const QString name = QFileInfo(pathWithoutExtension).fileName();
    QByteArray head;
    std::deque<QByteArray> staged;
    return writeFileAtomically(pathWithoutExtension + kExtension, pieces(name, head, staged));
}

bool Tpackedjpg::stageTo(SaveUnit& unit, const QString& pathWithoutExtension) const {
    const QString name = QFileInfo(pathWithoutExtension).fileName();
    return unit.stage(pathWithoutExtension + kExtension,
                      [store = *this, name](const std::function<bool(QByteArrayView)>& put) {
                          QByteArray head;
                          std::deque<QByteArray> staged;
                          for (QByteArrayView piece : store.pieces(name, head, staged))
                              if (!put(piece))
                                  return false;
                          return true;
                      });
}

qsizetype Tpackedjpg::byteSize() const {
    qsizetype size = kHeaderSize + 4 * qsizetype(entries_.size());
    for (const Entry& entry : entries_)
        if (entry.hasPicture)
            size += entry.jpeg.size();
    return size;
}

void Tpackedjpg::shareLoadedBytes(const Tpackedjpg& other) {
    loaded_ = other.loaded_;
    mapped_ = other.mapped_;
}

Tpackedjpg::FilesRead Tpackedjpg::loadFromFiles(const QStringList& paths) {
    FilesRead read;
    if (paths.isEmpty())
        return read;
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
            read.problems.append({path + QStringLiteral(" は読み込めません"), path});
            continue;
        }
        entries_[size_t(i)] = Entry{true, std::move(jpeg)};
        read.taken.append(path);
    }
    return read;
}

} // namespace tavimo
