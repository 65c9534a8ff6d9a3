#include "ui/QtDialogService.h"

#include <QMainWindow>
#include <gtest/gtest.h>

using namespace tavimo;

// A dialog belongs to the window that asks: the book window hides while an album is open, and
// a message parented to it would show without an owner on screen.
TEST(QtDialogService, ADialogBelongsToTheShownWindowNotToTheHiddenBookWindow) {
    QMainWindow bookWindow;
    QMainWindow albumWindow;
    QtDialogService dialogs(&bookWindow);
    bookWindow.show();
    EXPECT_EQ(dialogs.owner(), &bookWindow);

    bookWindow.hide();
    albumWindow.show();
    albumWindow.activateWindow();
    EXPECT_EQ(dialogs.owner(), &albumWindow);
}
