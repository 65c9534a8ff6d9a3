#pragma once

#include "core/VolumeTable.h"

#include <QString>
#include <cstdint>

namespace tavimo {

// What a media-mode album remembers about the medium that holds its videos.
struct MediumRecord {
    int32_t kind = kMediumNone;
    uint32_t serial = 0;
    QString label; // at most kMaxLabelBytes bytes in the library's encoding

    bool operator==(const MediumRecord&) const = default;
};

// Labels live in a 256-byte zero-terminated field in the original format.
inline constexpr int kMaxLabelBytes = 255;

// A record that cannot be recognised by its serial: no kind, no label or no serial. Such a
// medium is found again by its files, never by its serial.
bool isUnidentified(const MediumRecord& record);

// The label cut, at a character boundary, to kMaxLabelBytes bytes of the form the library
// stores it in (CP932, or UTF-8 when CP932 cannot hold it).
QString cutLabel(const QString& label);

} // namespace tavimo
