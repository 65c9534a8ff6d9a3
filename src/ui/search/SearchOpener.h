#pragma once

#include "ui/WindowNames.h"

#include <QObject>

namespace tavimo {

struct AppState;
struct SearchHitDetails;
class AlbumOpener;
class BookFileCommands;
class LibrarySession;
class ModeSwitcher;
class VolumeTable;

// Opens a result of the search as the user would reach it: the album window is closed (which
// saves it), the mode and the book are switched through their own commands (which save the
// book being left first, and may be refused by the user), the album is opened from the book
// window and the result's video made current; for "play" the album window's "プレイ" follows.
// A video on a medium that no mounted volume has the serial of is not opened: a message says
// which medium to insert.
class SearchOpener final : public QObject {
    Q_OBJECT
public:
    // What a result is opened through: the session, the windows, and the commands that switch
    // the mode and the book and open an album.
    struct Context {
        LibrarySession& session;
        AppState& state;
        const VolumeTable& volumes;
        BookWindow& bookWindow;
        AlbumWindow& albumWindow;
        BookFileCommands& bookFileCommands;
        ModeSwitcher& modes;
        AlbumOpener& opener;
    };
    explicit SearchOpener(const Context& context, QObject* parent = nullptr);

    // True when the album window shows the result (playing it, with play).
    bool open(const SearchHitDetails& details, bool play);

private:
    bool mounted(const SearchHitDetails& details) const;
    // The book and mode of the result are the session's; false when the user stayed.
    bool switchTo(const SearchHitDetails& details);
    // The row of the result's video in the open album; -1 when it is gone.
    int videoRow(const SearchHitDetails& details) const;

    Context context_;
};

} // namespace tavimo
