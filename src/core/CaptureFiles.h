#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace tavimo::capture {

// Names of saved pictures: month, day, "_", hour, minute, "_", a counter and ".bmp"
// ("1206_1005_007.bmp"). The counter starts at 0 with the program and goes up with every
// name made, whether or not a file is then written under it.
class CaptureNames {
public:
    QString next(const QDateTime& localTime);
    int counter() const { return counter_; }

private:
    int counter_ = 0;
};

// The name for one time and counter value: three digits below 100, the plain number from then.
QString captureName(const QDateTime& localTime, int counter);

// A 24-bit Windows bitmap of the picture (bottom-up rows of blue, green, red, each padded to
// four bytes); empty for a null picture.
QByteArray encodeBmp24(const QImage& picture);

// Writes the bitmap through a temporary file and a rename; a failure names the file.
WriteResult saveBmp24(const QString& path, const QImage& picture);

// Where silent saves go: the capture folder, or the library folder when none was set.
QString captureFolderOr(const QString& captureFolder, const QString& libraryFolder);

// A path chosen in the save dialog, with ".bmp" added when the name has no extension.
QString withBmpExtension(const QString& path);

} // namespace tavimo::capture
