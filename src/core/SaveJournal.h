#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The journal of a save that changes several files of the library at once. It lists every step
// of the save before the first one is taken, so that a save interrupted at any instant (a kill,
// a crash, a power cut) is undone or completed when the library is next opened: the library is
// then as it was before the save or as it is after it, never in between.
//
// The journal is "Tavimo.journal" in the library folder and exists only while a save runs. It is
// text: a header, then one line per step with the paths below the library folder (each byte
// outside printable ASCII, and '%', as %XX), each written before its temporary file is made, then
// the number of steps and a commit line with a checksum of all before it, written once every new
// file is whole on the disk. Without the commit line the save is undone (its temporary files are
// removed); with it, the save is completed.
namespace tavimo {
class LibraryBoundary;
}

namespace tavimo::savejournal {

inline constexpr char16_t kFileName[] = u"Tavimo.journal";
// A journal lists a save's dozen steps in a few kilobytes; a file far larger is no journal and
// is not read into memory to find that out.
inline constexpr qsizetype kMaxJournalBytes = 4 * 1024 * 1024;

enum class StepKind {
    Write,  // the temporary file `second` becomes `first`
    Move,   // the file `first` is renamed to `second` (an album renamed)
    Remove, // the file `first` is deleted (an album deleted)
};

struct Step {
    StepKind kind = StepKind::Write;
    QString first;
    QString second; // empty for Remove

    bool operator==(const Step&) const = default;
};

struct Journal {
    QList<Step> steps;
    bool committed = false;

    bool operator==(const Journal&) const = default;
};

// The journal's first line.
QByteArray header();
// One step's line; paths are made relative to libraryFolder (ending in '/'). std::nullopt when a
// path does not lie below it.
std::optional<QByteArray> stepLine(const Step& step, const QString& libraryFolder);
// What ends a journal whose text so far is `text` holding `stepCount` steps: the count and the
// commit line.
QByteArray commitLines(const QByteArray& text, qsizetype stepCount);

// What a journal's text says. A text cut short (the save stopped before it committed) gives the
// steps whose lines are whole, uncommitted. Damaged: a commit line that does not match what
// stands before it, or text that is no journal; nothing can then be known of its steps.
struct Decoded {
    Journal journal;
    bool damaged = false;
};
Decoded decode(const QByteArray& bytes, const QString& libraryFolder);

// What opening a library found of an interrupted save.
struct Recovery {
    bool found = false;     // a journal was there
    bool completed = false; // its save was completed (else undone, or nothing could be done)
    // Empty when all went well; otherwise what could not be done, for the user.
    QString problem;
};

// Completes or undoes the save whose journal is in libraryFolder, then removes the journal.
// Damaged, and set aside as "Tavimo.journal.damaged" without any step taken or undone: a
// journal whose text is no journal, that is not a regular file (a link, a FIFO, a folder) or
// larger than kMaxJournalBytes, or one of whose steps passes a symbolic link below the library
// folder or names something other than a regular file (see boundaryProblem).
Recovery recover(const QString& libraryFolder);

// Why a step may not be taken: one of its paths passes a symbolic link below the library
// folder, or names a link, a folder or anything else but a regular file (a file that is not
// there is fine). Every step of a save concerns regular files of the library, nothing else.
struct PathProblem {
    QString path;
    int problem = 0; // as LibraryBoundary's calls answer it
};
std::optional<PathProblem> boundaryProblem(const LibraryBoundary& library, const Step& step);

// Takes the steps of a committed journal that are still to be taken, the renames of albums first,
// then the new files, then the deletions; each step may have been taken already (the save
// stopped after it), so each is taken only when its files show it is not. Every path is
// resolved below libraryFolder without following a link. Stops at the first failure and answers
// it (empty when none). The folders are synced before it answers.
QString completeSteps(const QString& libraryFolder, const QList<Step>& steps);

// The steps in the order they are taken: moves, then writes, then removes.
QList<Step> inTakingOrder(const QList<Step>& steps);

// Syncs the folders the steps change, so that their renames are on the disk.
void syncFoldersOf(const QList<Step>& steps);

// Removes the temporary files of an uncommitted journal's writes (regular files only, reached
// without following a link).
void discardTemporaries(const QString& libraryFolder, const QList<Step>& steps);

} // namespace tavimo::savejournal
