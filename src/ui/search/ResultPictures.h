#pragma once

#include "core/CellPicture.h"

#include <QString>
#include <memory>

namespace tavimo {

// The pictures of the search's results, read from the library's packed stores only when a
// cell is drawn: a million results cost a million small handles, and only the visible cells
// read a picture. The stores read last stay open (mapped, with their tables of sizes) for
// the cells next to them, which are mostly of the same album.
class ResultPictures {
public:
    ResultPictures();
    ~ResultPictures();

    // Entry index of the store at path (a ".pjpg" file); a null picture without a path.
    CellPicture picture(const QString& store, int index) const;
    // The stores may have been written since they were read: read them again when asked.
    void forget();

    // The open stores, shared with the pictures handed out (which outlive no shelf).
    class Shelf;

private:
    std::shared_ptr<Shelf> shelf_;
};

} // namespace tavimo
