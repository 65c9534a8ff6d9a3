#pragma once

#include <QString>

namespace tavimo::platform {

// Who the lock file of a library names: the computer, the process and its program name.
struct LockHolder {
    QString host;
    qint64 pid = 0;
    QString program;

    bool known() const { return !host.isEmpty() && pid > 0; }
    // The lock file's text, and back; an unreadable text gives a holder that is not known.
    QByteArray toText() const;
    static LockHolder fromText(const QByteArray& text);
    // This process.
    static LockHolder self();
    // True while the holder can still be using the library: a process of another computer is
    // taken to be (nothing here can ask); one of this computer only while its pid runs the
    // program the file names.
    bool mayBeRunning() const;
};

// One program at a time per library folder, whichever runtime folder, user session or computer
// it starts from: the program holds an exclusive flock on "Tavimo.lock" in the library folder,
// which dies with the process. Network shares do not all carry locks between computers, so the
// file also names its holder (host, pid, program) and a lock is honoured while that holder may
// still run; a file left by a process that is gone is taken over. The file is removed at a
// clean exit.
class LibraryLock {
public:
    static constexpr char16_t kFileName[] = u"Tavimo.lock";

    explicit LibraryLock(const QString& libraryFolder);
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    // True when this process may use the library: it holds the lock now (or already did), or
    // no lock file can be made at all and none names a holder that may run (a read-only
    // folder: the program runs unguarded, as it would have to anyway). False when another
    // program holds it; holder() and refusal() then say who.
    bool acquire();
    // Removes the lock file, if it is still this process's, and drops the lock.
    void release();

    bool isHeld() const { return fd_ >= 0; }
    QString lockPath() const { return path_; }
    const LockHolder& holder() const { return holder_; }
    // The message for the user when acquire() refused: the library folder and who holds it.
    QString refusal() const;

private:
    QString folder_;
    QString path_;
    int fd_ = -1;
    LockHolder holder_;
};

namespace lockfile {
// True when path still names the file open as fd: a lock taken on a file that another program
// unlinked (releasing its own lock) or replaced meanwhile locks nothing.
bool stillNames(int fd, const QString& path);
} // namespace lockfile

} // namespace tavimo::platform
