#pragma once

namespace tavimo {

// What start-up, the exit sequence and the File menu ask of the current book: filled by the
// book file code; the defaults do nothing, so the windows work before a book can be loaded.
class BookOperations {
public:
    virtual ~BookOperations() = default;

    // Fills the File menu with the books of the current mode.
    virtual void buildBookList() {}
    // Rebuilds the Favourites menu from the favourite book (may report a missing book).
    virtual void buildFavouritesMenu() {}
    // Loads the current book (AppState::book) into the book window; no title, no load.
    virtual void loadCurrentBook() {}
    // Saves the book file and then the book picture store of the open book.
    virtual void saveCurrentBook() {}
};

} // namespace tavimo
