#pragma once

#include <QString>

namespace tavimo {

// A stored file that could not be read whole is never written over before a copy of it is
// kept: this copies path to "<path>.damaged" (or ".damaged.2", ... when that name is taken).
// Answers whether the copy exists afterwards (true also when there is no file to keep).
bool keepDamagedCopy(const QString& path);

} // namespace tavimo
