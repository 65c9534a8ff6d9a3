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
    // taken to be (nothing here can ask); one of this computer only while its pid runs this
    // very program (its name in /proc/PID/comm is ours), whatever the file says it runs: a pid
    // the system gave to another program since, or a hand-made file naming any live process,
    // holds nothing.
    bool mayBeRunning() const;
};

// One program at a time per library folder, whichever runtime folder, user session or computer
// it starts from: the program holds an exclusive flock on "Tavimo.lock" in the library folder,
// which dies with the process. Network shares do not all carry locks between computers, so the
// file also names its holder (host, pid, program) and a lock is honoured while that holder may
// still run; a file left by a process that is gone is taken over. The file is removed at a
// clean exit. A lock that cannot be taken (the file is a link, a folder, a file this user may
// not write, or the folder is read-only) keeps the program away as a holder does: it never
// runs unguarded.
class LibraryLock {
public:
    static constexpr char16_t kFileName[] = u"Tavimo.lock";

    explicit LibraryLock(const QString& libraryFolder);
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    // True when this process holds the lock now (or already did). False when another program
    // holds it, or when the lock file cannot be made, opened for writing or locked;
    // holder(), failure() and refusal() then say who or why. Nothing is written then.
    bool acquire();
    // Removes the lock file, if it is still this process's, and drops the lock.
    void release();

    bool isHeld() const { return fd_ >= 0; }
    QString lockPath() const { return path_; }
    const LockHolder& holder() const { return holder_; }
    // Why the lock could not be taken when no holder keeps it: the system's error number, or
    // kNotRegularFile; 0 when it was taken or held by another.
    int failure() const { return failure_; }
    static constexpr int kNotRegularFile = -1;
    // The message for the user when acquire() refused: the library folder, who holds it or
    // why the lock could not be taken, and the file to remove when no Tavimo runs.
    QString refusal() const;

private:
    QString folder_;
    QString path_;
    int fd_ = -1;
    int failure_ = 0;
    LockHolder holder_;
};

namespace lockfile {
// True when path still names the file open as fd: a lock taken on a file that another program
// unlinked (releasing its own lock) or replaced meanwhile locks nothing.
bool stillNames(int fd, const QString& path);
} // namespace lockfile

} // namespace tavimo::platform
