#include "core/MediumRecord.h"

#include "core/TextCodec.h"

namespace tavimo {

bool isUnidentified(const MediumRecord& record) {
    return record.kind == kMediumNone || record.label.isEmpty() || record.serial == 0;
}

namespace {
qsizetype storedSize(const QString& text) {
    return textcodec::fitsCp932(text) ? textcodec::toCp932Lossy(text).size() : text.toUtf8().size();
}
} // namespace

QString cutLabel(const QString& label) {
    // No character is stored in less than a byte: longer text is cut at once, so the byte-exact
    // cut below stays short.
    QString cut = label.left(kMaxLabelBytes + 1);
    while (!cut.isEmpty() && storedSize(cut) > kMaxLabelBytes) {
        cut.chop(1);
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1);
    }
    return cut;
}

} // namespace tavimo
