#include "core/SaveUnit.h"

#include "core/DamagedFiles.h"
#include "core/LibraryBoundary.h"

#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

std::atomic<qint64> writtenBytes{0};

using savejournal::Step;
using savejournal::StepKind;

// Writes all of data, retrying short writes; the errno of a failure, 0 on success.
int writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        data += written;
        size -= written;
        writtenBytes.fetch_add(written, std::memory_order_relaxed);
    }
    return 0;
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// A name for path's temporary file that no file has, of the same length as every other atomic
// write's, so the name rules that keep names short enough for those hold here too. (A temporary
// file of a program that was killed keeps its name; only this program writes here.)
QString temporaryName(const QString& path) {
    static constexpr char16_t letters[] =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name;
    do {
        name = path + u'.';
        for (int i = 0; i < 6; ++i)
            name += QChar(letters[QRandomGenerator::global()->bounded(62)]);
    } while (exists(name));
    return name;
}

} // namespace

SaveUnit::SaveUnit(QString libraryFolder)
    : libraryFolder_(std::move(libraryFolder)),
      journalPath_(libraryFolder_ + QString::fromUtf16(savejournal::kFileName)) {}

SaveUnit::~SaveUnit() {
    if (!committed_)
        discardPrepared();
}

qint64 SaveUnit::bytesWritten() {
    return writtenBytes.load(std::memory_order_relaxed);
}

void SaveUnit::fail(const QString& path, int error) {
    failWith(path, LibraryBoundary::reason(error));
}

void SaveUnit::failWith(const QString& path, const QString& reason) {
    if (!failure_)
        return; // the first failure is the one to tell
    failure_.ok = false;
    failure_.path = path;
    failure_.error = reason;
}

bool SaveUnit::completeEarlierSave() {
    // A journal left by a save that could not finish is completed before anything else
    // changes: completed later, it would put older files over this unit's.
    if (!exists(journalPath_))
        return true;
    const savejournal::Recovery recovery = savejournal::recover(libraryFolder_);
    if (recovery.problem.isEmpty())
        return true;
    failWith(journalPath_, recovery.problem);
    return false;
}

bool SaveUnit::keepDamagedCopies() {
    for (const QString& path : std::as_const(damaged_)) {
        if (!tavimo::keepDamagedCopy(path)) {
            failWith(path + QStringLiteral(".damaged"), QStringLiteral("コピーを作れません"));
            return false;
        }
    }
    return true;
}

bool SaveUnit::openJournal(qsizetype steps) {
    if (steps < 2)
        return true; // one file needs no journal: its rename alone is atomic
    journalFd_ = ::open(QFile::encodeName(journalPath_).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (journalFd_ < 0) {
        fail(journalPath_, errno);
        return false;
    }
    return appendToJournal(savejournal::header(), false);
}

bool SaveUnit::appendToJournal(const QByteArray& bytes, bool sync) {
    int error = writeAll(journalFd_, bytes.constData(), bytes.size());
    if (error == 0 && sync && ::fdatasync(journalFd_) != 0)
        error = errno;
    if (error != 0) {
        fail(journalPath_, error);
        return false;
    }
    journalText_ += bytes;
    return true;
}

void SaveUnit::closeJournal(bool remove) {
    ::close(journalFd_);
    journalFd_ = -1;
    if (remove)
        ::unlink(QFile::encodeName(journalPath_).constData());
}

void SaveUnit::discardPrepared() {
    savejournal::discardTemporaries(libraryFolder_, steps_.first(prepared_));
    prepared_ = 0;
    if (journalFd_ >= 0)
        closeJournal(true);
}

bool SaveUnit::addStep(const Step& step, Pieces pieces) {
    if (!failure_ || committed_)
        return false;
    if (!savejournal::stepLine(
            step.kind == StepKind::Write ? Step{step.kind, step.first, step.first} : step,
            libraryFolder_)) {
        failWith(step.first, QStringLiteral("not in the library folder"));
        return false;
    }
    steps_.append(step);
    pieces_.append(std::move(pieces));
    return true;
}

bool SaveUnit::stage(const QString& path, const QByteArray& bytes) {
    return stage(path, Pieces([bytes](const std::function<bool(QByteArrayView)>& put) {
                     return put(bytes);
                 }));
}

bool SaveUnit::stage(const QString& path, Pieces pieces) {
    return addStep({StepKind::Write, path, QString()}, std::move(pieces));
}

bool SaveUnit::move(const QString& from, const QString& to) {
    return addStep({StepKind::Move, from, to});
}

bool SaveUnit::remove(const QString& path) {
    return addStep({StepKind::Remove, path, QString()});
}

bool SaveUnit::keepDamagedCopy(const QString& path) {
    if (!failure_ || committed_)
        return false;
    damaged_.append(path);
    return true;
}

bool SaveUnit::writeTemporary(const Step& step, const Pieces& pieces) {
    const LibraryBoundary::Created created =
        LibraryBoundary(libraryFolder_).createFile(step.second, 0600);
    const int fd = created.fd;
    if (fd < 0) {
        fail(step.first, created.problem);
        return false;
    }
    int error = 0;
    const bool whole = pieces([&](QByteArrayView piece) {
        error = writeAll(fd, piece.data(), piece.size());
        return error == 0;
    });
    if (error == 0 && !whole)
        error = EIO;
    // The data must be on the disk before the rename makes it the file.
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    // Keep the old file's permissions, as a rewrite in place would.
    struct stat old {};
    if (error == 0 && ::stat(QFile::encodeName(step.first).constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else if (error == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        fail(step.first, error);
        return false;
    }
    return true;
}

bool SaveUnit::prepare() {
    // A save left unfinished is completed (or undone) before this unit makes its first file,
    // so that neither can take the other's files.
    if (!completeEarlierSave())
        return false;
    // What a journal's replay would refuse, a save refuses too, before it makes any file: it
    // never half happens.
    const LibraryBoundary library(libraryFolder_);
    for (const Step& step : std::as_const(steps_)) {
        if (const auto problem = savejournal::boundaryProblem(library, step)) {
            fail(problem->path, problem->problem);
            return false;
        }
    }
    if (!keepDamagedCopies() || !openJournal(steps_.size()))
        return false;
    for (qsizetype i = 0; i < steps_.size(); ++i) {
        Step& step = steps_[i];
        if (step.kind == StepKind::Write)
            step.second = temporaryName(step.first);
        // A step's line is in the journal before its file is made, so that recovery finds
        // every temporary file a stop can leave.
        if (journalFd_ >= 0 &&
            !appendToJournal(savejournal::stepLine(step, libraryFolder_).value_or(QByteArray()),
                             false))
            return false;
        prepared_ = i + 1;
        if (step.kind == StepKind::Write && !writeTemporary(step, pieces_.at(i)))
            return false;
        // The bytes are on the disk: what made them is let go at once.
        pieces_[i] = Pieces();
    }
    return true;
}

bool SaveUnit::preflight() {
    // What would make a step fail for reasons of its own is found before the commit point.
    for (const Step& step : std::as_const(steps_)) {
        struct stat info {};
        const bool there = ::lstat(QFile::encodeName(step.first).constData(), &info) == 0;
        if (step.kind == StepKind::Move && !there)
            fail(step.first, ENOENT);
        else if (step.kind == StepKind::Move && exists(step.second))
            fail(step.second, EEXIST);
        else if (step.kind == StepKind::Write && there && S_ISDIR(info.st_mode))
            fail(step.first, EISDIR);
    }
    return bool(failure_);
}

bool SaveUnit::takeMoves() {
    // Undone on failure, so that the unit changes nothing.
    const LibraryBoundary library(libraryFolder_);
    QList<const Step*> done;
    for (const Step& step : std::as_const(steps_)) {
        if (step.kind != StepKind::Move)
            continue;
        if (const int problem = library.rename(step.first, step.second, false)) {
            fail(step.first, problem);
            for (auto it = done.crbegin(); it != done.crend(); ++it)
                library.rename((*it)->second, (*it)->first, false);
            return false;
        }
        done.append(&step);
    }
    return true;
}

bool SaveUnit::takeWrites() {
    const LibraryBoundary library(libraryFolder_);
    for (const Step& step : std::as_const(steps_)) {
        if (step.kind != StepKind::Write)
            continue;
        if (const int problem = library.rename(step.second, step.first, true)) {
            fail(step.first, problem);
            return false;
        }
    }
    return true;
}

void SaveUnit::takeRemoves() {
    const LibraryBoundary library(libraryFolder_);
    for (const Step& step : std::as_const(steps_)) {
        const int problem = step.kind == StepKind::Remove ? library.remove(step.first) : 0;
        if (problem != 0 && problem != ENOENT)
            notRemoved_.append(step.first);
    }
}

bool SaveUnit::commit() {
    if (!failure_ || committed_)
        return false;
    if (isEmpty())
        return true;
    if (!prepare() || !preflight()) {
        discardPrepared();
        return false;
    }
    const bool journalled = journalFd_ >= 0;
    // The commit point: from here on, a stop at any instant is completed at the next opening.
    if (journalled &&
        !appendToJournal(savejournal::commitLines(journalText_, steps_.size()), true)) {
        discardPrepared();
        return false;
    }
    if (!takeMoves()) {
        discardPrepared();
        return false;
    }
    committed_ = true;
    if (!takeWrites()) {
        // Rare (the folder became read-only): the journal stays, and the next save or the next
        // opening completes the unit before anything else changes.
        if (journalled)
            closeJournal(false);
        return false;
    }
    takeRemoves();
    if (journalled) {
        // The renames reach the disk before the journal that would complete them goes.
        savejournal::syncFoldersOf(steps_);
        closeJournal(true);
    }
    return true;
}

} // namespace tavimo
