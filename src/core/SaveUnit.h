#pragma once

#include "core/AtomicFile.h"
#include "core/SaveJournal.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavimo {

// One change of the library written as one unit: the new contents of files, the album files it
// renames and the ones it deletes. A unit is put together first (stage, move, remove), which
// touches no file, so the interface thread can describe a change in a moment and hand the unit
// to the thread that writes (SaveWriter). commit() then does all the writing, and from its first
// file on a kill at any instant leaves the library as before the change or as after it:
// - each new file is written whole, and synced, to a temporary file beside it first;
// - a unit of more than one file keeps a journal in the library folder, which lists each step
//   before it is prepared and is committed once everything is prepared; opening the library
//   completes a committed journal and undoes an uncommitted one (savejournal::recover).
// A unit whose commit failed before its commit point has removed its temporary files.
class SaveUnit {
public:
    // Makes a file's bytes when the unit writes it, so that a large file (a picture store) is
    // put together off the interface thread: calls put for each piece in order, and stops when
    // put answers false. Answers false when it stopped.
    using Pieces = std::function<bool(const std::function<bool(QByteArrayView)>& put)>;

    // libraryFolder ends in '/'; every file of the unit lies below it.
    explicit SaveUnit(QString libraryFolder);
    SaveUnit(const SaveUnit&) = delete;
    SaveUnit& operator=(const SaveUnit&) = delete;
    ~SaveUnit();

    // path gets these bytes at commit. False, for this and every later call, when path is not
    // below the library folder (failure() tells).
    bool stage(const QString& path, const QByteArray& bytes);
    // path gets what pieces makes, made while the unit is committed.
    bool stage(const QString& path, Pieces pieces);
    // The file `from` is renamed `to` at commit; `to` must not exist then.
    bool move(const QString& from, const QString& to);
    // The file is deleted at commit (when it is there).
    bool remove(const QString& path);
    // A file that could not be read is copied beside itself before the unit writes over it
    // (see keepDamagedCopy); the copy stays whether or not the unit commits.
    bool keepDamagedCopy(const QString& path);

    bool isEmpty() const { return steps_.isEmpty() && damaged_.isEmpty(); }

    // Writes every file, then takes every step. False when anything failed (failure() says
    // what); before the commit point nothing has changed then. Files that could not be deleted
    // are listed by notRemoved().
    bool commit();

    const WriteResult& failure() const { return failure_; }
    const QStringList& notRemoved() const { return notRemoved_; }

    // Bytes that the commits of every unit of this program have written, journals included:
    // what saving costs the disk.
    static qint64 bytesWritten();

private:
    bool addStep(const savejournal::Step& step, Pieces pieces = {});
    bool completeEarlierSave();
    bool keepDamagedCopies();
    bool prepare();
    bool writeTemporary(const savejournal::Step& step, const Pieces& pieces);
    bool openJournal(qsizetype steps);
    bool appendToJournal(const QByteArray& bytes, bool sync);
    void closeJournal(bool remove);
    void discardPrepared();
    void fail(const QString& path, int error);
    void failWith(const QString& path, const QString& reason);
    bool preflight();
    bool takeMoves();
    bool takeWrites();
    void takeRemoves();

    QString libraryFolder_;
    QString journalPath_;
    // Write steps get their temporary file's name when they are prepared.
    QList<savejournal::Step> steps_;
    QList<Pieces> pieces_; // one per step; empty for moves and removes
    QStringList damaged_;
    qsizetype prepared_ = 0; // steps whose line is in the journal and whose file is written
    QByteArray journalText_; // what the journal holds
    int journalFd_ = -1;
    bool committed_ = false;
    WriteResult failure_;
    QStringList notRemoved_;
};

} // namespace tavimo
