#include "ui/search/SearchOpener.h"

#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/search/SearchWindowTexts.h"
#include "ui/album/AlbumWindow.h"
#include "ui/book/AlbumOpener.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/ModeSwitcher.h"

#include <QAction>

namespace tavimo {

SearchOpener::SearchOpener(const Context& context, QObject* parent)
    : QObject(parent), context_(context) {}

bool SearchOpener::mounted(const SearchHitDetails& details) const {
    // Asked again now: the medium may have been inserted since the results were found.
    const QList<VolumeInfo> volumes = context_.volumes.volumes();
    return std::any_of(volumes.begin(), volumes.end(), [&](const VolumeInfo& volume) {
        return volume.kind > kMediumNone && volume.serial == details.medium.serial;
    });
}

bool SearchOpener::switchTo(const SearchHitDetails& details) {
    if (context_.session.mode() != details.mode) {
        // The switch opens the mode's last book: made the result's, it is the only load.
        (details.mode == BookMode::Media ? context_.state.lastMediaBook
                                         : context_.state.lastNormalBook) = details.book;
        context_.modes.switchTo(details.mode);
        if (context_.session.mode() != details.mode)
            return false;
    }
    if (!context_.session.bookOpen() || context_.session.bookPaths().title != details.book)
        context_.bookFileCommands.loadBook(details.book);
    return context_.session.bookOpen() && context_.session.bookPaths().title == details.book;
}

int SearchOpener::videoRow(const SearchHitDetails& details) const {
    const QStringList& entries = context_.albumWindow.album().entries();
    // Where the index saw it, unless missing files dropped on opening moved it.
    if (details.videoRow >= 0 && details.videoRow < entries.size() &&
        entries.at(details.videoRow) == details.entry)
        return details.videoRow;
    return int(entries.indexOf(details.entry));
}

bool SearchOpener::open(const SearchHitDetails& details, bool play) {
    if (!details.entry.isEmpty() && details.onMedium && !mounted(details)) {
        context_.session.dialogs().message(searchwindowtexts::insertMedium(details),
                                           DialogService::Buttons::Ok,
                                           DialogService::Icon::Information);
        return false;
    }
    const bool open =
        context_.albumWindow.isVisible() && context_.session.albumOpen() &&
        context_.session.mode() == details.mode &&
        context_.session.bookPaths().title == details.book &&
        context_.session.book().album(context_.session.albumIndex()).name == details.album;
    if (!open) {
        // Closing the album window saves and closes its album (and stops the player).
        if (context_.albumWindow.isVisible() && !context_.albumWindow.close())
            return false;
        if (!switchTo(details))
            return false;
        const int album = context_.session.book().indexOfAlbum(details.album);
        if (album < 0)
            return false;
        context_.bookWindow.selectAlbum(album);
        context_.opener.open(album);
        if (!context_.albumWindow.isVisible())
            return false;
    }
    context_.albumWindow.raise();
    context_.albumWindow.activateWindow();
    if (!details.entry.isEmpty()) {
        const int row = videoRow(details);
        if (row >= 0)
            context_.albumWindow.setCurrentVideo(row);
    }
    if (play)
        context_.albumWindow.actions().play->trigger();
    return true;
}

} // namespace tavimo
