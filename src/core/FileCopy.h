#pragma once

#include "core/AtomicFile.h"

#include <QString>
#include <atomic>
#include <functional>

namespace tavimo {

// Copies source to destination through a temporary file and an atomic rename, so that an
// interrupted or failed copy leaves whatever destination held before. stop, when given, is
// read between blocks: a copy that stops is abandoned (and reported as not written, with an
// empty error). copied, when given, is told the bytes copied so far.
WriteResult copyFileAtomically(const QString& source, const QString& destination,
                               const std::atomic_bool* stop = nullptr,
                               const std::function<void(qint64)>& copied = {});

} // namespace tavimo
