#pragma once

#include <QColor>
#include <QtGlobal>

namespace tavimo::colors {

// Colours are stored in the library's files as Windows colour integers: 0x00BBGGRR for a plain
// colour, or 0x80000000 + an index for a system colour that follows the desktop's theme.
// The stored integers are kept as they are; only drawing maps them to a QColor.

// The system button-face colour, the default background of both grids.
inline constexpr qint32 kButtonFace = qint32(0x8000000F);
inline constexpr qint32 kBlack = 0;

// True for the system-colour form 0x800000NN.
constexpr bool isSystemColor(qint32 stored) {
    return (quint32(stored) & 0xFF000000u) == 0x80000000u;
}

// The colour of the button face: the application palette's button colour (light grey when no
// application object exists, as in command-line tools). Reads the palette: call it on the
// interface thread only, and hand the colour to worker threads.
QColor buttonFace();

// The colour a stored integer stands for. System colours map to the matching palette role
// (button face to the button colour); unknown system indexes fall back to the button face.
QColor fromStored(qint32 stored);

// The stored integer of a plain colour: 0x00BBGGRR.
qint32 toStored(const QColor& color);

} // namespace tavimo::colors
