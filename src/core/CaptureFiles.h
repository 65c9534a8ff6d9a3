#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace tavimo::capture {

// The formats a capture is saved in.
enum class PictureFormat { Bmp, Png, Jpeg };

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

// The save dialog's filter: bitmap first (the default), then PNG and JPEG.
QString saveDialogFilter();

// Where and how a picture named in the save dialog is written: in the format its extension
// names (".bmp", ".png", ".jpg" or ".jpeg", in any case), as a bitmap for any other; a name
// without extension gets the one of the filter chosen (a bitmap's when none is known).
struct SaveTarget {
    QString path;
    PictureFormat format = PictureFormat::Bmp;
};
SaveTarget saveTarget(const QString& typed, const QString& chosenFilter);

// Writes the picture in `format` (a 24-bit bitmap, PNG, or JPEG at quality 90) through a
// temporary file and a rename; a failure names the file.
WriteResult savePicture(const QString& path, const QImage& picture, PictureFormat format);

} // namespace tavimo::capture
