#pragma once

#include <QList>
#include <QString>

namespace tavimo {

// What went wrong in a reader or an operation of the library. Core returns it and never asks
// or tells the user itself; the session or the window that called tells it, once, in the words
// of message.
struct Problem {
    // The icon of its message box.
    enum class Icon { None, Information, Warning, Error };

    QString message; // the text the user reads
    QString path;    // the file it is about, if any
    QString reason;  // the system's reason, if any
    Icon icon = Icon::None;
    // Shown with OK and Cancel, as the earlier version did; either button only closes it.
    bool withCancel = false;
};

} // namespace tavimo
