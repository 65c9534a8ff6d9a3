#include "support/FakeVolumeTable.h"

namespace tavimo::test {

QString FakeVolumeTable::mount(int32_t kind, uint32_t serial, const QString& label) {
    auto folder = std::make_unique<QTemporaryDir>();
    const QString root = folder->path() + u'/';
    folders_.push_back(std::move(folder));
    volumes_.append(VolumeInfo{root, kind, serial, label});
    return root;
}

void FakeVolumeTable::eject(const QString& root) {
    for (qsizetype i = 0; i < volumes_.size(); ++i) {
        if (volumes_.at(i).root == root) {
            volumes_.removeAt(i);
            break;
        }
    }
    std::erase_if(folders_, [&](const auto& folder) { return folder->path() + u'/' == root; });
}

} // namespace tavimo::test
