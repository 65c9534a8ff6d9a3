#include "core/AlbumContents.h"

#include "core/BookPaths.h"
#include "core/Tpackedjpg.h"

#include <QFileInfo>

namespace tavimo {

AlbumContents openAlbumContents(const AlbumPaths& paths, const QStringList& entries,
                                Tpackedjpg& store) {
    const int n = int(entries.size());
    const bool storeThere = QFileInfo::exists(paths.store);
    const bool storeRead = storeThere && store.loadFromFile(paths.store);
    if (!storeRead)
        store.reset(n);
    store.resize(n);

    AlbumContents album{entries, AlbumMarks::load(paths, n), {}};
    album.damaged = album.marks.damaged;
    if (storeThere && !storeRead)
        album.damaged.append(paths.store);
    // Kept rows move down over the blank ones in one pass: removing rows one by one would move
    // every later row each time.
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        if (album.entries.at(i).isEmpty())
            continue;
        if (kept != i) {
            album.entries.swapItemsAt(kept, i);
            store.exchange(kept, i);
            album.marks.bookmarks.swapItemsAt(kept, i);
            album.marks.counts.swapItemsAt(kept, i);
        }
        ++kept;
    }
    // Values past the entries (a longer marks or counts file) stay behind them, as they were.
    album.entries.remove(kept, n - kept);
    store.resize(kept);
    album.marks.bookmarks.remove(kept, n - kept);
    album.marks.counts.remove(kept, n - kept);
    return album;
}

} // namespace tavimo
