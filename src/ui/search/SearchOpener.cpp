#include "ui/search/SearchOpener.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/search/SearchTexts.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/ModeSwitcher.h"

#include <QAction>

namespace tavimo {

SearchOpener::SearchOpener(LibrarySession& session, AppState& state, const VolumeTable& volumes,
                           BookWindow& bookWindow, AlbumWindow& albumWindow,
                           BookFileCommands& bookFileCommands, ModeSwitcher& modes,
                           AlbumOpener& opener, QObject* parent)
    : QObject(parent), session_(session), state_(state), volumes_(volumes), bookWindow_(bookWindow),
      albumWindow_(albumWindow), bookFileCommands_(bookFileCommands), modes_(modes),
      opener_(opener) {}

bool SearchOpener::mounted(const SearchHitDetails& details) const {
    // Asked again now: the medium may have been inserted since the results were found.
    const QList<VolumeInfo> volumes = volumes_.volumes();
    return std::any_of(volumes.begin(), volumes.end(), [&](const VolumeInfo& volume) {
        return volume.kind > kMediumNone && volume.serial == details.medium.serial;
    });
}

bool SearchOpener::switchTo(const SearchHitDetails& details) {
    if (session_.mode() != details.mode) {
        // The switch opens the mode's last book: made the result's, it is the only load.
        (details.mode == BookMode::Media ? state_.lastMediaBook : state_.lastNormalBook) =
            details.book;
        modes_.switchTo(details.mode);
        if (session_.mode() != details.mode)
            return false;
    }
    if (!session_.bookOpen() || session_.bookPaths().title != details.book)
        bookFileCommands_.loadBook(details.book);
    return session_.bookOpen() && session_.bookPaths().title == details.book;
}

int SearchOpener::videoRow(const SearchHitDetails& details) const {
    const QStringList& entries = albumWindow_.album().entries();
    // Where the index saw it, unless missing files dropped on opening moved it.
    if (details.videoRow >= 0 && details.videoRow < entries.size() &&
        entries.at(details.videoRow) == details.entry)
        return details.videoRow;
    return int(entries.indexOf(details.entry));
}

bool SearchOpener::open(const SearchHitDetails& details, bool play) {
    if (!details.entry.isEmpty() && details.onMedium && !mounted(details)) {
        session_.dialogs().message(searchtexts::insertMedium(details), DialogService::Buttons::Ok,
                                   DialogService::Icon::Information);
        return false;
    }
    const bool open = albumWindow_.isVisible() && session_.albumOpen() &&
                      session_.mode() == details.mode &&
                      session_.bookPaths().title == details.book &&
                      session_.book().album(session_.albumIndex()).name == details.album;
    if (!open) {
        // Closing the album window saves and closes its album (and stops the player).
        if (albumWindow_.isVisible() && !albumWindow_.close())
            return false;
        if (!switchTo(details))
            return false;
        const int album = session_.book().indexOfAlbum(details.album);
        if (album < 0)
            return false;
        bookWindow_.scrollBox->setCurrentIndex(album);
        opener_.open(album);
        if (!albumWindow_.isVisible())
            return false;
    }
    albumWindow_.raise();
    albumWindow_.activateWindow();
    if (!details.entry.isEmpty()) {
        const int row = videoRow(details);
        if (row >= 0)
            albumWindow_.setCurrentVideo(row);
    }
    if (play)
        albumWindow_.actions().play->trigger();
    return true;
}

} // namespace tavimo
