#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <map>
#include <mutex>
#include <optional>

namespace tavimo {

// What a preview strip is made from: one file as it is now. A file that is replaced, grows or
// is touched gets another key, so its old strip is never shown for it.
struct PreviewKey {
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0; // modification time, milliseconds since the epoch

    // The key of the regular file at `path` (symbolic links followed); nullopt for anything
    // else (missing, a folder, a FIFO or device), which is never opened.
    static std::optional<PreviewKey> of(const QString& path);
    // The name of the key's file in the cache: 32 hexadecimal digits of a hash of the key.
    QString fileName() const;

    bool operator==(const PreviewKey&) const = default;
};

// Preview strips (kFrames small JPEG pictures per video, evenly spread over it) kept between
// runs of the program, outside the library: deleting the folder loses nothing but time. Each
// strip is one packed picture store (the format of the library's thumbnail stores, read by its
// reader) named after its key. The folder is bounded: past maxBytes the strips used least
// recently are deleted first. Strips are read and written by worker threads; every call is
// safe from any thread.
// The folder holds only what this cache put there, and the cache touches nothing else: a cache
// folder that is a symbolic link is not used at all (nothing is read, stored or deleted; the
// previews are made each time), entries that are not regular files are never read, and only
// strips and strips' temporary files left by a killed write are ever deleted.
class PreviewStripCache {
public:
    static constexpr int kFrames = 10;
    static constexpr qint64 kDefaultMaxBytes = 512LL * 1024 * 1024;

    // `folder` is made when the first strip is stored.
    explicit PreviewStripCache(QString folder, qint64 maxBytes = kDefaultMaxBytes);

    // $XDG_CACHE_HOME/Tavimo/previews (~/.cache/Tavimo/previews).
    static QString defaultFolder();

    const QString& folder() const { return folder_; }
    qint64 maxBytes() const { return maxBytes_; }
    // Bytes of strips the folder holds, as this cache counts them.
    qint64 usedBytes();

    // The strip of `key`: kFrames JPEG pictures, each of which decodes. A file that is not a
    // whole strip (damaged, cut short, of another program) is deleted, and nullopt says the
    // strip is to be made again. Reading a strip makes it the most recently used.
    std::optional<QList<QByteArray>> load(const PreviewKey& key);
    // Stores a strip of kFrames JPEG pictures (anything else is refused), then deletes the
    // least recently used strips until the folder is within its bound again. False when the
    // strip could not be written (a full disk): the program goes on without it.
    bool store(const PreviewKey& key, const QList<QByteArray>& frames);

    // The strip a store file's bytes hold: nullopt unless they are exactly a packed store of
    // kFrames pictures that all decode, with nothing missing and nothing after them, whose
    // name says it is the strip of the key with this file name (any key when empty) and
    // holds these very pictures.
    static std::optional<QList<QByteArray>> readStrip(const QByteArray& bytes,
                                                      const QString& fileName = {});

private:
    struct Item {
        qint64 bytes = 0;
        qint64 lastUsedMs = 0; // orders uses; from the file's time for strips of earlier runs
    };
    // Reads the folder once: sizes and last uses of the strips there, from their files' times.
    void index();
    void evict();
    void forget(const QString& name);
    qint64 nextUse();

    const QString folder_;
    const qint64 maxBytes_;
    std::mutex mutex_;
    bool indexed_ = false;
    std::map<QString, Item> items_; // by file name
    qint64 used_ = 0;
    qint64 clock_ = 0; // the latest use, in milliseconds since the epoch
};

} // namespace tavimo
