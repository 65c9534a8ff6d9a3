#include "ui/album/AlbumStatusBar.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavimo;

// The bar's progress is not one of its widgets, so nothing but the bar itself keeps it across
// the bar's right part; and the fixed panels (640 wide together) must not hold the window wide.
TEST(AlbumStatusBar, TheProgressFollowsTheBarsWidthAndThePanelsLetTheWindowNarrow) {
    QMainWindow window;
    auto* bar = new AlbumStatusBar(&window);
    window.setStatusBar(bar);
    window.resize(800, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bar->setTexts(QStringLiteral("a"), QStringLiteral("b"));
    bar->startProgress(10);
    QProgressBar* progress = bar->progressBar();
    const int left = bar->panel(0)->width() + 130;
    EXPECT_EQ(progress->geometry(), QRect(left, 4, bar->width() - left - 40, 13));

    window.resize(1000, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->width() == 1000; }));
    EXPECT_EQ(progress->geometry(), QRect(left, 4, 1000 - left - 40, 13));
    EXPECT_EQ(bar->panel(1)->text(), QStringLiteral("b"));

    window.resize(300, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->width() == 300; }));
    EXPECT_EQ(window.width(), 300);
    bar->endProgress();
    EXPECT_FALSE(progress->isVisible());
}
