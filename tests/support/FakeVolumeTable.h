#pragma once

#include "core/VolumeTable.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace tavimo::test {

// Removable media for tests: every volume's mount point is a fresh temporary folder.
class FakeVolumeTable final : public VolumeTable {
public:
    // Mounts a new volume and returns its root (with a trailing '/').
    QString mount(int32_t kind, uint32_t serial, const QString& label);
    // Ejects the volume mounted at root; its folder and files go with it.
    void eject(const QString& root);

    QList<VolumeInfo> volumes() const override { return volumes_; }

private:
    std::vector<std::unique_ptr<QTemporaryDir>> folders_;
    QList<VolumeInfo> volumes_;
};

} // namespace tavimo::test
