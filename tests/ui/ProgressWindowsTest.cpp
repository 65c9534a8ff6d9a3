#include "ui/LoadingWindow.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QWidget* topLevel(QRect geometry) {
    auto* window = new QWidget;
    window->setGeometry(geometry);
    return window;
}

} // namespace

TEST(LoadingWindow, DesignedLookAndPlacementOverTheBookWindow) {
    std::unique_ptr<QWidget> book(topLevel(QRect(1000, 0, 400, 800)));
    LoadingWindow loading(book.get());
    EXPECT_EQ(loading.size(), QSize(201, 33));
    EXPECT_TRUE(loading.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(loading.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(loading.label()->geometry(), QRect(52, 0, 85, 15));
    EXPECT_EQ(loading.progressBar()->geometry(), QRect(0, 16, 201, 17));
    EXPECT_TRUE(loading.label()->font().bold());
    EXPECT_EQ(loading.label()->font().pixelSize(), 15);

    loading.label()->setText(QStringLiteral("other"));
    loading.BeginProgress(10);
    EXPECT_TRUE(loading.isVisible());
    EXPECT_EQ(loading.pos(), QPoint(1100, 200));
    EXPECT_EQ(loading.label()->text(), QStringLiteral("　loading・・・"));
    loading.EndProgress();
    EXPECT_FALSE(loading.isVisible());

    // Every showing follows the book window.
    book->move(0, 100);
    loading.BeginProgress(10);
    EXPECT_EQ(loading.pos(), QPoint(100, 300));
    loading.EndProgress();
}

TEST(LoadingWindow, ProgressStepsFillTheBar) {
    LoadingWindow loading;
    loading.BeginProgress(-1); // nothing to do: an empty bar, not a busy animation
    EXPECT_TRUE(loading.isVisible());
    EXPECT_EQ(loading.progressBar()->value(), 0);
    EXPECT_GT(loading.progressBar()->maximum(), loading.progressBar()->minimum());
    loading.EndProgress();
    EXPECT_FALSE(loading.isVisible());

    loading.BeginProgress(4);
    EXPECT_TRUE(loading.isVisible());
    EXPECT_EQ(loading.progressBar()->maximum(), 4);
    loading.StepProgress(2);
    EXPECT_EQ(loading.progressBar()->value(), 2);
    loading.StepProgress(9); // past the maximum: full
    EXPECT_EQ(loading.progressBar()->value(), 4);
    EXPECT_EQ(loading.position(), 9);
    loading.BeginProgress(4); // begins again at 0
    EXPECT_EQ(loading.progressBar()->value(), 0);
    loading.EndProgress();
    EXPECT_FALSE(loading.isVisible());
}

TEST(LoadingWindow, EndingBringsAVisibleAlbumWindowToTheFront) {
    std::unique_ptr<QWidget> book(topLevel(QRect(0, 0, 640, 480)));
    std::unique_ptr<QWidget> album(topLevel(QRect(0, 0, 640, 640)));
    std::unique_ptr<QWidget> other(topLevel(QRect(50, 50, 200, 200)));
    LoadingWindow loading(book.get(), album.get());
    album->show();
    other->show();
    other->activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(album->isActiveWindow());

    loading.BeginProgress(3);
    loading.EndProgress();
    QApplication::processEvents();
    EXPECT_TRUE(album->isActiveWindow());

    // A hidden album window stays hidden.
    album->hide();
    other->activateWindow();
    loading.BeginProgress(3);
    loading.EndProgress();
    EXPECT_FALSE(album->isVisible());
}

TEST(SplashWindow, ShowsItsPictureCentredOnTheMainWindow) {
    std::unique_ptr<QWidget> book(topLevel(QRect(1000, 0, 400, 800)));
    SplashWindow splash(book.get());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.size(), QSize(306, 88));
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.pos(), QPoint(1000 + (400 - 306) / 2, (800 - 88) / 2));
    const QImage art = SplashWindow::artwork();
    EXPECT_EQ(art.size(), QSize(306, 88));
    EXPECT_EQ(splash.image()->geometry(), QRect(0, 0, 306, 88));
    EXPECT_FALSE(splash.image()->pixmap().isNull());
}
