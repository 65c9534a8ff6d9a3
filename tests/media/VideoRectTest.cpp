#include "media/VideoRect.h"

#include <gtest/gtest.h>

using tavimo::media::fitVideoRect;

namespace {

// (left, top, right, bottom) as the rectangle is written down.
QRect ltrb(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

TEST(FitVideoRect, FillsTheWidthOrTheHeight) {
    EXPECT_EQ(fitVideoRect(16, 9, 0, {640, 480}), ltrb(0, 60, 640, 420));
    EXPECT_EQ(fitVideoRect(235, 100, 0, {640, 480}), ltrb(0, 105, 640, 375));
    EXPECT_EQ(fitVideoRect(640, 480, 0, {1000, 400}), ltrb(233, 0, 767, 400));
    EXPECT_EQ(fitVideoRect(640, 480, 0, {640, 480}), ltrb(0, 0, 640, 480));
    // The crop takes 2 x 48 rows: 640 x 384 fills the width; r = 76 (76.8 cut to 1/128) makes
    // the picture 380 rows high, not 384.
    EXPECT_EQ(fitVideoRect(640, 480, 48, {640, 480}), ltrb(0, 50, 640, 430));
}

TEST(FitVideoRect, DegenerateSizesNeverDivideByZero) {
    EXPECT_EQ(fitVideoRect(0, 480, 0, {640, 480}), QRect(0, 0, 120, 90));
    EXPECT_EQ(fitVideoRect(640, 32, 16, {640, 480}), QRect(0, 0, 120, 90));
    EXPECT_TRUE(fitVideoRect(16, 9, 0, {0, 480}).isEmpty());
    EXPECT_TRUE(fitVideoRect(16, 9, 0, {640, 0}).isEmpty());
    EXPECT_TRUE(fitVideoRect(1000, 2, 0, {640, 480}).isEmpty());   // r would be 0
    EXPECT_TRUE(fitVideoRect(185, 100, 80, {640, 480}).isEmpty()); // cut more than it has
}

} // namespace
