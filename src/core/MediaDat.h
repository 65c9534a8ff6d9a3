#pragma once

#include "core/MediumRecord.h"

#include <QByteArray>
#include <QHash>
#include <QList>

// The media registry file "media.dat": a little-endian stream of tagged values, the record
// count followed by kind, serial and label of every record. Text in the short and long forms
// (0x06, 0x0C) is in the Japanese code page (CP932); this program writes them for ASCII only
// and UTF-8 (0x14) for anything else.
namespace tavimo::mediadat {

// Labels read in another form than encode would write them (Japanese in the code-page forms,
// a second CP932 code, the UTF-16 form), each with its value as it stood in the file.
using LabelForms = QHash<QString, QByteArray>;

// A label found in forms is written as it stood, so that a file written by another version
// comes back byte for byte when nothing in it changed.
QByteArray encode(const QList<MediumRecord>& records, const LabelForms* forms = nullptr);

struct Decoded {
    QList<MediumRecord> records; // every record read whole, in file order
    bool complete = true;        // false when the file ended early or held a malformed value
    qsizetype badOffset = -1;    // where reading stopped when !complete
    LabelForms labelForms;       // labels of the records read whole that encode would change
};

// Never reads past the bytes given and never trusts a count or length for an allocation: a
// truncated or garbled file gives the records in front of the damage.
Decoded decode(const QByteArray& bytes);

} // namespace tavimo::mediadat
