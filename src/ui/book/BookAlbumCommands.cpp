#include "ui/book/BookAlbumCommands.h"

#include "core/DialogService.h"
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
    DialogService& dialogs = session_.dialogs();
    const auto name = dialogs.input(QStringLiteral("タイトルの入力"),
                                    QStringLiteral("ブックと同名のアルバムは作れません(>_<)"));
    if (!name)
        return;
    QList<Problem> problems;
    const int index = ops_.createAlbum(*name, problems);
    dialogs.tell(problems);
    if (index >= 0)
        window_.selectAlbum(index);
}

void BookAlbumCommands::rename() {
    const int index = current();
    if (!ops_.editable() || !ops_.isValidIndex(index))
        return;
    DialogService& dialogs = session_.dialogs();
    const auto name = dialogs.input(QStringLiteral("タイトルの変更"),
                                    QStringLiteral("新しいアルバム名を入力してください"),
                                    session_.book().album(index).name);
    if (!name)
        return;
    QList<Problem> problems;
    ops_.renameTo(index, *name, problems);
    dialogs.tell(problems);
}

void BookAlbumCommands::pictureFromFile() {
    const int index = current();
    if (!ops_.editable() || !ops_.isValidIndex(index))
        return;
    // The dialog starts in the book's images folder, named without its last '/'.
    QString folder = session_.bookPaths().imagesFolder;
    folder.chop(1);
    DialogService& dialogs = session_.dialogs();
    const auto path = dialogs.openFile(QString(), folder, QStringLiteral("jpeg (*.jpg)"));
    if (!path)
        return;
    QList<Problem> problems;
    ops_.pictureFromFile(index, *path, problems);
    dialogs.tell(problems);
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
