#pragma once

#include <QString>

namespace tavimo::platform {

// Only one Tavimo runs at a time: the first process holds an exclusive lock on
// "tavi_Mutex.lock" in the user's runtime folder. The lock belongs to the open file, so it
// dies with the process however that ends, and a stale lock file never blocks a start.
class SingleInstance {
public:
    // folder: where the lock file lives; empty means the user's runtime folder.
    explicit SingleInstance(const QString& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the lock (or already held it); false when another
    // process holds it. When the lock file cannot be made at all, the start is not refused.
    bool acquire();
    void release();

    QString lockPath() const { return path_; }

    // $XDG_RUNTIME_DIR, else a private folder of the user below the temporary folder.
    static QString runtimeFolder();

private:
    QString path_;
    int fd_ = -1;
};

} // namespace tavimo::platform
