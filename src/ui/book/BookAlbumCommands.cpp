#include "ui/book/BookAlbumCommands.h"

#include "core/LibrarySession.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <optional>

namespace tavimo {

namespace {
const QString kSorting = QStringLiteral("ソート実行中・・・・・・");
} // namespace

BookAlbumCommands::BookAlbumCommands(BookWindow& window, LibrarySession& session,
                                     AlbumOpener& opener, AlbumWindow& albumWindow)
    : QObject(&window), window_(window), session_(session), opener_(opener),
      albumWindow_(albumWindow), ops_(session) {}

int BookAlbumCommands::current() const {
    return window_.currentAlbum();
}

void BookAlbumCommands::add() {
    if (!ops_.editable())
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
    const BookWindow::BusyScope busy(window_);
    window_.selectAlbum(ops_.remove(current()));
}

void BookAlbumCommands::move(RowStep step) {
    if (!ops_.canMove(current(), step))
        return;
    // A move across the book keeps the commands off while it runs, as the other long ones do.
    std::optional<BookWindow::BusyScope> busy;
    if (step == RowStep::ToFront || step == RowStep::ToEnd)
        busy.emplace(window_);
    window_.selectAlbum(ops_.move(current(), step));
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
    const BookWindow::BusyScope busy(window_);
    const int index = current();
    ops_.sort();
    // The selection stays at its place, which may now hold another album.
    window_.selectAlbum(index);
    second->clear();
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
