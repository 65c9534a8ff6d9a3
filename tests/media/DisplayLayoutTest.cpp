#include "media/DisplayLayout.h"

#include "media/VideoRect.h"

#include <gtest/gtest.h>

using tavimo::media::DisplayLayout;
using tavimo::media::fitVideoRect;

namespace {

// (left, top, right, bottom) as the rectangle is written down.
QRect ltrb(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

DisplayLayout layout(QSize numbers, QSize picture, int crop) {
    DisplayLayout l;
    l.numbers = numbers;
    l.picture = picture;
    l.crop = crop;
    return l;
}

TEST(DisplayLayout, AspectChoicesGiveTheirProportions) {
    const QSize own(853, 480), current(4, 3);
    const QSize want[] = {own, {16, 9}, {720, 480}, {704, 480}, {640, 480}, {235, 100}, {185, 100}};
    for (int choice = 0; choice < DisplayLayout::kChoices; ++choice)
        EXPECT_EQ(DisplayLayout::aspectNumbers(choice, own, current), want[choice]) << choice;
    // A choice the settings file holds but the menu has not; an unknown own size.
    EXPECT_EQ(DisplayLayout::aspectNumbers(9, own, current), QSize(320, 240));
    EXPECT_EQ(DisplayLayout::aspectNumbers(-1, own, current), QSize(320, 240));
    EXPECT_EQ(DisplayLayout::aspectNumbers(0, QSize(), current), current);
}

// The worked rectangles of the aspect choices, uncut.
TEST(DisplayLayout, UncutPictureFillsTheWidthOrTheHeight) {
    const QSize vga(640, 480);
    EXPECT_EQ(layout({16, 9}, vga, 0).destination({640, 480}), ltrb(0, 60, 640, 420));
    EXPECT_EQ(layout({235, 100}, vga, 0).destination({640, 480}), ltrb(0, 105, 640, 375));
    EXPECT_EQ(layout({640, 480}, {720, 480}, 0).destination({1000, 400}), ltrb(233, 0, 767, 400));
    EXPECT_TRUE(layout({16, 9}, vga, 0).source().isEmpty());
}

// Rows cut from a picture whose proportions are its own size place it exactly as the
// integer rule does with the crop subtracted from the height.
TEST(DisplayLayout, CutRowsLeaveTheSourceAndWidenThePicture) {
    const DisplayLayout own = layout({640, 480}, {640, 480}, 48);
    EXPECT_EQ(own.source(), QRect(0, 48, 640, 384));
    EXPECT_EQ(own.destination({640, 480}), fitVideoRect(640, 480, 48, {640, 480}));
    EXPECT_EQ(own.destination({800, 300}), fitVideoRect(640, 480, 48, {800, 300}));

    // 2.35 : 1 with 32 rows cut: the 416 rows left stand for 100 x 416 / 480 of the height,
    // r = 47, 235 rows high in a 640 x 480 box.
    const DisplayLayout scope = layout({235, 100}, {640, 480}, 32);
    EXPECT_EQ(scope.source(), QRect(0, 32, 640, 416));
    EXPECT_EQ(scope.destination({640, 480}), ltrb(0, 122, 640, 358));
}

// Whatever is cut, some picture stays: a crop the picture cannot afford is reduced.
TEST(DisplayLayout, CropIsClampedToWhatThePictureCanLose) {
    // 16 : 9 over 240 rows keeps 16 rows after 112 are cut at each end: 20 rows high.
    const DisplayLayout wide = layout({16, 9}, {320, 240}, 112);
    EXPECT_EQ(wide.shownCrop(), 112);
    EXPECT_EQ(wide.destination({640, 480}), ltrb(0, 230, 640, 250));
    // 200 rows cannot lose 224: three stay, enough for r = 1.
    const DisplayLayout low = layout({320, 200}, {320, 200}, 112);
    EXPECT_EQ(low.shownCrop(), 98);
    EXPECT_EQ(low.source(), QRect(0, 98, 320, 4));
    EXPECT_FALSE(low.destination({640, 480}).isEmpty());
    // A picture of two rows loses none.
    EXPECT_EQ(layout({640, 2}, {640, 2}, 16).shownCrop(), 0);
    // Before a picture is known nothing is cut.
    EXPECT_EQ(layout({640, 480}, {}, 32).shownCrop(), 0);
    EXPECT_EQ(layout({640, 480}, {}, 32).destination({640, 480}), ltrb(0, 0, 640, 480));
}

} // namespace
