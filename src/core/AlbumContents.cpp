#include "core/AlbumContents.h"

#include "core/BookPaths.h"
#include "core/Tpackedjpg.h"

#include <QFileInfo>

namespace tavimo {

AlbumContents openAlbumContents(const AlbumPaths& paths, const QStringList& entries,
                                Tpackedjpg& store, DialogService& dialogs) {
    const int n = int(entries.size());
    if (!QFileInfo::exists(paths.store) || !store.loadFromFile(paths.store))
        store.reset(n);
    store.resize(n);

    AlbumContents album{entries, AlbumMarks::load(paths, n, dialogs)};
    for (int i = n - 1; i >= 0; --i) {
        if (!album.entries.at(i).isEmpty())
            continue;
        album.entries.removeAt(i);
        store.remove(i);
        album.marks.bookmarks.removeAt(i);
        album.marks.counts.removeAt(i);
    }
    return album;
}

} // namespace tavimo
