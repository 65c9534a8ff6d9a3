// libFuzzer target for the save journal: any bytes give either damage or steps whose paths all
// lie below the library folder (a journal must never make start-up touch another file), and a
// journal written from the steps read back commits the same steps.

#include "TextChecks.h"
#include "core/SaveJournal.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString library = QStringLiteral("/library/");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const savejournal::Decoded decoded = savejournal::decode(bytes, library);
    QByteArray written = savejournal::header();
    for (const savejournal::Step& step : decoded.journal.steps) {
        for (const QString& path : {step.first, step.second}) {
            if (path.isEmpty())
                continue;
            fuzz::check(path.startsWith(library), "paths lie below the library folder");
            for (const QString& part : path.mid(library.size()).split(u'/'))
                fuzz::check(!part.isEmpty() && part != u"." && part != u"..",
                            "no path climbs out of the library folder");
        }
        const auto line = savejournal::stepLine(step, library);
        fuzz::check(line.has_value(), "a step read can be written");
        written += *line;
    }
    fuzz::check(!decoded.damaged || decoded.journal.steps.isEmpty() || !decoded.journal.committed,
                "a damaged journal never commits");
    written += savejournal::commitLines(written, decoded.journal.steps.size());
    const savejournal::Decoded again = savejournal::decode(written, library);
    fuzz::check(!again.damaged && again.journal.committed &&
                    again.journal.steps == decoded.journal.steps,
                "steps written read back the same, committed");
    return 0;
}
