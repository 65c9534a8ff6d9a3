#pragma once

#include "core/Problem.h"
#include "core/RowOrder.h"

#include <QImage>
#include <QLocale>
#include <QString>

namespace tavimo {

class Book;
class LibrarySession;

// The book window's commands on single albums of the session's book: add, rename, the album
// picture, delete, the four moves and sort. Each keeps the album's row whole (name, entries,
// sync mark, picture, medium) and writes the album's own files here; the book file, the book's
// picture store and media.dat follow through the session's saving. Indexes are the grid's
// current album; a command whose guard does not hold does nothing. None of them runs while an
// album is open in the album window: its place in the book must not change under it. What
// the user is to be told (a refused name, a file that would be replaced, a rename that failed,
// a picture that could not be read) is added to the problems a command is given; the window
// asks for names and files and tells the problems.
class BookAlbumOperations {
public:
    explicit BookAlbumOperations(LibrarySession& session);

    // The commands can run: a book is open and no album of it in the album window.
    bool editable() const;

    // "アルバムを追加" once its name is typed: an empty album at the end of the book. "_" is
    // appended while the name is the book's title or another album's name (letter case
    // ignored), or while a file of that name is already in the book folder, so a new album never
    // takes over files it does not own. A name that cannot name files is refused. Answers the
    // new index, or -1 (nothing for an empty name).
    int createAlbum(const QString& name, QList<Problem>& problems);

    // "タイトルの変更" once the new name is typed: the album's files are renamed with it. True
    // when the album was renamed.
    bool renameTo(int index, const QString& name, QList<Problem>& problems);

    // "画像の変更　ファイルから": the JPEG at path (chosen in the images folder) becomes the
    // album's picture.
    bool pictureFromFile(int index, const QString& path, QList<Problem>& problems);
    // The album's picture made from any bitmap ("画像の変更　クリップボードから"); a null
    // bitmap (the clipboard held no picture) changes nothing.
    bool setPicture(int index, const QImage& picture);

    // "アルバムを削除": the album leaves the book and its files are deleted. Answers the index
    // selected afterwards: the album that took its place, else the new last one, else -1.
    int remove(int index);

    // "前へ移動", "後へ移動", "一番前へ移動", "一番後ろへ移動": answers the album's new index
    // (index itself when nothing moved).
    bool canMove(int index, RowStep step) const;
    int move(int index, RowStep step);

    // "ソート": by name, ascending, letter case ignored, in the collation of locale; each album
    // keeps its row. The book and its pictures are written at once. False when there was
    // nothing to sort.
    bool sort(const QLocale& locale = QLocale::system());

    bool isValidIndex(int index) const;

private:
    // A file of the album named so is in the book folder or its images folder.
    bool filesExist(const QString& name) const;

    LibrarySession& session_;
    Book& book_;
};

} // namespace tavimo
