#include "core/VolumeTable.h"

namespace tavimo {

std::optional<VolumeInfo> VolumeTable::volumeOf(const QString& path) const {
    std::optional<VolumeInfo> best;
    for (const VolumeInfo& volume : volumes()) {
        const QString root = volume.root.endsWith(u'/') ? volume.root : volume.root + u'/';
        const bool inside = path.startsWith(root) || path + u'/' == root;
        if (inside && (!best || volume.root.size() > best->root.size()))
            best = volume;
    }
    return best;
}

} // namespace tavimo
