#pragma once

#include "core/AtomicFile.h"
#include "core/SaveJournal.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavimo {

// One change of the library written as one unit: the new contents of files, the album files it
// renames and the ones it deletes. Nothing of the library changes until commit(), and from then
// on a kill at any instant leaves the library as before the change or as after it:
// - each new file is written whole, and synced, to a temporary file beside it first;
// - a unit of more than one file keeps a journal in the library folder, which lists each step
//   before it is prepared and is committed once everything is prepared; opening the library
//   completes a committed journal and undoes an uncommitted one (savejournal::recover).
// A unit that was not committed removes its temporary files when it goes.
class SaveUnit {
public:
    // libraryFolder ends in '/'; every file of the unit lies below it.
    explicit SaveUnit(QString libraryFolder);
    SaveUnit(const SaveUnit&) = delete;
    SaveUnit& operator=(const SaveUnit&) = delete;
    ~SaveUnit();

    // Writes the pieces, in order, to a temporary file for path. False after the first failure
    // (this and every later call; failure() tells which file and why).
    bool stage(const QString& path, const QList<QByteArrayView>& pieces);
    bool stage(const QString& path, const QByteArray& bytes) {
        return stage(path, QList<QByteArrayView>{bytes});
    }
    // The file `from` is renamed `to` at commit; `to` must not exist then.
    bool move(const QString& from, const QString& to);
    // The file is deleted at commit (when it is there).
    bool remove(const QString& path);
    // A file that could not be read is copied beside itself before the unit writes over it
    // (see keepDamagedCopy); the copy stays whether or not the unit commits.
    bool keepDamagedCopy(const QString& path);

    bool isEmpty() const { return steps_.isEmpty(); }

    // Takes every step. False when anything failed (failure() says what); before the commit
    // point nothing has changed then. Files that could not be deleted are listed by notRemoved().
    bool commit();

    const WriteResult& failure() const { return failure_; }
    const QStringList& notRemoved() const { return notRemoved_; }

private:
    bool addStep(const savejournal::Step& step);
    bool completeEarlierSave();
    bool openJournal();
    bool appendToJournal(const QByteArray& bytes, bool sync);
    void closeJournal(bool remove);
    void fail(const QString& path, int error);
    void failWith(const QString& path, const QString& reason);
    bool preflight();
    bool takeMoves();
    bool takeWrites();
    void takeRemoves();

    QString libraryFolder_;
    QString journalPath_;
    QList<savejournal::Step> steps_;
    QByteArray journalText_; // what the journal holds
    int journalFd_ = -1;
    bool committed_ = false;
    WriteResult failure_;
    QStringList notRemoved_;
};

} // namespace tavimo
