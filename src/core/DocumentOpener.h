#pragma once

#include <QString>

namespace tavimo {

// Shows a local document (the help page) in the program the desktop opens it with.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    // False when the desktop could not hand it to any program.
    virtual bool open(const QString& path) = 0;
};

} // namespace tavimo
