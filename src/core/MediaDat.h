#pragma once

#include "core/MediumRecord.h"

#include <QByteArray>
#include <QList>

// The media registry file "media.dat": a little-endian stream of tagged values, the record
// count followed by kind, serial and label of every record.
namespace tavimo::mediadat {

QByteArray encode(const QList<MediumRecord>& records);

struct Decoded {
    QList<MediumRecord> records; // every record read whole, in file order
    bool complete = true;        // false when the file ended early or held a malformed value
    qsizetype badOffset = -1;    // where reading stopped when !complete
};

// Never reads past the bytes given and never trusts a count or length for an allocation: a
// truncated or garbled file gives the records in front of the damage.
Decoded decode(const QByteArray& bytes);

} // namespace tavimo::mediadat
