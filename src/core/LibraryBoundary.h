#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace tavimo {

// The library folder as a boundary. Paths below it are resolved one folder at a time from the
// folder's own descriptor, never following a symbolic link below it, so that nothing a careless
// or hostile writer of the folder left there (a link to another folder, a link in a file's
// place) leads a rename, a deletion or a new file outside it. The library folder itself may be
// reached through a link (a home whose ~/.local/share is one): only what lies below it is never
// followed. Each call resolves its path anew; none follows a link made between two calls.
class LibraryBoundary {
public:
    // What stands at a path below the folder.
    enum class Kind { Absent, RegularFile, Link, Folder, Other };

    // Problems of these calls that are no error of the system (which are positive errno values).
    static constexpr int kPassesLink = -1;     // a link below the folder, on the way or at the end
    static constexpr int kOutside = -2;        // the path does not lie below the folder
    static constexpr int kNotRegularFile = -3; // a FIFO, device or socket, or a folder

    // libraryFolder ends in '/'.
    explicit LibraryBoundary(const QString& libraryFolder);
    ~LibraryBoundary();
    LibraryBoundary(const LibraryBoundary&) = delete;
    LibraryBoundary& operator=(const LibraryBoundary&) = delete;

    // The library folder's descriptor (-1 when it could not be opened; openError() says why).
    int folderFd() const { return fd_; }
    int openError() const { return openError_; }

    struct Look {
        int problem = 0; // the folders on the way could not be passed (a missing one is Absent)
        Kind kind = Kind::Absent;
    };
    Look look(const QString& path) const;

    // Renames the regular file `from` to `to`. `to` may be a regular file that is replaced only
    // when `replace`; otherwise it must be absent (EEXIST). 0, or the problem.
    int rename(const QString& from, const QString& to, bool replace) const;
    // Deletes the regular file at path. 0, or the problem (ENOENT when it is not there).
    int remove(const QString& path) const;
    // Makes a new file (never one that is there, not even a link) for writing.
    struct Created {
        int fd = -1; // the caller's to close
        int problem = 0;
    };
    Created createFile(const QString& path, mode_t mode) const;

    // The problem's words for the user.
    static QString reason(int problem);

private:
    // A path's folder, open, and its last name.
    struct Parent {
        int fd = -1;
        QByteArray name;
        int problem = 0;

        Parent() = default;
        Parent(const Parent&) = delete;
        Parent& operator=(const Parent&) = delete;
        ~Parent();
    };
    void resolve(const QString& path, Parent& parent) const;
    // The problem of a file that is to be renamed or deleted: 0 for a regular file, ENOENT when
    // there is none (or a folder on the way is missing).
    static int problemOfFile(const Parent& parent);
    static Kind kindAt(int folderFd, const QByteArray& name, int* error = nullptr);

    QString folder_;
    int fd_ = -1;
    int openError_ = 0;
};

} // namespace tavimo
