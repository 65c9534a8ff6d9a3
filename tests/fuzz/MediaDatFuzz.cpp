// libFuzzer target for media.dat: any bytes give the whole records in front of any damage,
// without reading past the end or trusting a count; the records write and read back the same,
// and a file this program wrote is written again byte for byte.

#include "TextChecks.h"
#include "core/MediaDat.h"
#include "core/TextCodec.h"

using namespace tavimo;

namespace {

// Stored size of a label: CP932, or UTF-8 when CP932 cannot hold it.
qsizetype storedSize(const QString& label) {
    const auto cp932 = textcodec::toCp932(label);
    return cp932 ? cp932->size() : textcodec::toUtf8(label).size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const mediadat::Decoded decoded = mediadat::decode(bytes);
    fuzz::check(decoded.complete == (decoded.badOffset < 0), "damage has an offset");
    fuzz::check(decoded.badOffset <= bytes.size(), "the offset is in the file");
    for (const MediumRecord& record : decoded.records)
        fuzz::check(storedSize(record.label) <= kMaxLabelBytes && !record.label.contains(QChar(0)),
                    "labels are cut to their field");

    const QByteArray written = mediadat::encode(decoded.records, &decoded.labelForms);
    const mediadat::Decoded again = mediadat::decode(written);
    fuzz::check(again.complete && again.records == decoded.records,
                "records written read back the same");
    fuzz::check(mediadat::encode(again.records, &again.labelForms) == written,
                "a file written here is written again unchanged");
    const mediadat::Decoded plain = mediadat::decode(mediadat::encode(decoded.records));
    fuzz::check(plain.complete && plain.records == decoded.records,
                "records written in this program's own forms read back the same");
    return 0;
}
