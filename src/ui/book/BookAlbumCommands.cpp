#include "ui/book/BookAlbumCommands.h"

#include "core/LibrarySession.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookWindow.h"
#include "ui/grid/ScrollBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

namespace tavimo {

namespace {
const QString kSorting = QStringLiteral("ソート実行中・・・・・・");
} // namespace

BookAlbumCommands::BookAlbumCommands(BookWindow& window, LibrarySession& session,
                                     AlbumOpener& opener, AlbumWindow& albumWindow)
    : QObject(&window), window_(window), session_(session), opener_(opener),
      albumWindow_(albumWindow), ops_(session) {}

int BookAlbumCommands::current() const {
    return window_.scrollBox->currentIndex();
}

void BookAlbumCommands::select(int index) {
    if (window_.scrollBox->cellAt(index))
        window_.scrollBox->select(index);
    else
        window_.scrollBox->setCurrentIndex(-1);
}

void BookAlbumCommands::disableCommands() {
    window_.applyNoBookState();
}

void BookAlbumCommands::enableCommands() {
    if (session_.bookOpen())
        window_.applyBookOpenState();
}

void BookAlbumCommands::add() {
    const int index = ops_.add();
    if (index < 0)
        return;
    window_.scrollBox->layOut();
    select(index);
}

void BookAlbumCommands::rename() {
    ops_.rename(current());
}

void BookAlbumCommands::pictureFromFile() {
    ops_.pictureFromFile(current());
}

void BookAlbumCommands::pictureFromClipboard() {
    // Anything but a picture on the clipboard (text, files) gives a null image: nothing happens.
    ops_.setPicture(current(), QGuiApplication::clipboard()->image());
}

void BookAlbumCommands::remove() {
    if (!ops_.isValidIndex(current()))
        return;
    disableCommands();
    select(ops_.remove(current()));
    enableCommands();
}

void BookAlbumCommands::move(RowStep step) {
    if (!ops_.canMove(current(), step))
        return;
    // A move across the book keeps the commands off while it runs, as the other long ones do.
    const bool far = step == RowStep::ToFront || step == RowStep::ToEnd;
    if (far)
        disableCommands();
    select(ops_.move(current(), step));
    if (far)
        enableCommands();
}

void BookAlbumCommands::sort() {
    if (session_.book().count() == 0)
        return;
    QLabel* first = window_.statusPanel(0);
    QLabel* second = window_.statusPanel(1);
    first->clear();
    second->setText(kSorting);
    // Painted now, so that it shows while the albums are put in order.
    first->repaint();
    second->repaint();
    disableCommands();
    const int index = current();
    ops_.sort();
    // The selection stays at its place, which may now hold another album.
    select(index);
    second->clear();
    enableCommands();
}

void BookAlbumCommands::play() {
    const int index = current();
    if (!ops_.isValidIndex(index))
        return;
    opener_.open(index);
    if (albumWindow_.isVisible() && session_.albumIndex() == index)
        albumWindow_.startContinuousPlay();
}

} // namespace tavimo
