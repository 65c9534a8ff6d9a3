#pragma once

#include "core/AtomicFile.h"
#include "core/MediaDat.h"
#include "core/MediumRecord.h"

#include <QList>

namespace tavimo {

// The media records of a media-mode book, one per album, in album order. Out-of-range
// indexes are ignored (get answers the empty record).
class MediaRegistry {
public:
    int count() const { return int(records_.size()); }
    const QList<MediumRecord>& records() const { return records_; }

    void add(const MediumRecord& record) { records_.append(record); }
    MediumRecord get(int index) const;
    void set(int index, const MediumRecord& record);
    void remove(int index);
    void exchange(int i, int j);
    void move(int from, int to);
    void clear() { records_.clear(); }
    // Drops records from the end, or appends empty ones, until there are exactly n.
    void resize(int n);

    // Replaces the records by those of the file. A file that is damaged loads the records in
    // front of the damage; a missing or unreadable file leaves the registry empty; either is
    // added to problems. Returns false when the file could not be read whole.
    // Labels keep the form they were read in for as long as they are unchanged.
    bool loadFromFile(const QString& path, QList<Problem>& problems);
    WriteResult saveToFile(const QString& path) const {
        return writeFileAtomically(path, encoded());
    }
    // The file's bytes.
    QByteArray encoded() const;

    // Loading a media book: the file's records (or none when it is missing), then exactly
    // one record per line of the book file.
    void loadForBook(const QString& path, int lineCount, QList<Problem>& problems);

private:
    bool valid(int index) const { return index >= 0 && index < records_.size(); }

    QList<MediumRecord> records_;
    mediadat::LabelForms labelForms_;
};

} // namespace tavimo
