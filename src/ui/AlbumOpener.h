#pragma once

#include <QObject>

namespace tavimo {

class LibrarySession;
class TForm1;
class TForm2;

// Opening an album from the book window ("開く", Ctrl+E, a click or Enter on a cell): the
// session opens the album, the album window shows it and the book window hides until the album
// window closes.
class AlbumOpener final : public QObject {
    Q_OBJECT
public:
    AlbumOpener(LibrarySession& session, TForm1& bookWindow, TForm2& albumWindow);

    // Opens album `index` of the book; nothing for an index outside the book.
    void open(int index);

private:
    void albumWindowClosed();

    LibrarySession& session_;
    TForm1& bookWindow_;
    TForm2& albumWindow_;
};

} // namespace tavimo
