#pragma once

#include <QRect>
#include <QSize>

namespace tavimo::media {

// Where the player draws a video: the proportions chosen in "アスペクト比", the rows cut at
// top and bottom ("上下をカット") and the box it is fitted into (the video area, or the screen
// in full screen) give the rows of the picture that show and the rectangle they fill.
struct DisplayLayout {
    static constexpr int kChoices = 7;
    static constexpr int kMaxCrop = 112;

    // The proportions of an aspect choice: 0 the video's own displayed size (`current` stays
    // when that is unknown), 1 to 6 the menu's fixed proportions, anything else 320 : 240.
    static QSize aspectNumbers(int choice, QSize ownSize, QSize current);

    // The rows actually cut: the amount asked, less where the picture cannot lose that many
    // rows and still show some, at the chosen proportions, in a rectangle of at least one
    // row. A picture that small would otherwise vanish (a renderer refuses such a source
    // rectangle and a black or stale picture results).
    int shownCrop() const;
    // The part of the picture shown, in its pixels; empty for the whole picture.
    QRect source() const;
    // Where that part is drawn inside a box of `box`: as large as fits, centred, computed in
    // whole numbers as fitVideoRect does. The numbers describe the whole picture, so the cut
    // rows take their share of the height away; with the numbers equal to the picture's size
    // this is exactly fitVideoRect(width, height, crop, box).
    QRect destination(QSize box) const;

    QSize numbers{320, 240}; // aspect W : H
    QSize picture;           // the video's own size in pixels, as shown (turned by its rotation)
    int crop = 0;            // rows asked to be cut at the top and at the bottom
};

} // namespace tavimo::media
