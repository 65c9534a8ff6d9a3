#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

namespace tavimo {

class DriveProbe;
class VideoExtensions;

// What a removable medium holds for making albums of it: its folders, breadth-first down to
// five levels below its root, and its videos.
struct MediumScan {
    // False when the root is no medium (kind 0) or its volume has no serial number: nothing is
    // made of it.
    bool usable = false;
    // The name its albums take: the volume label, "noname" for a volume without one.
    QString albumName;
    // Folders (no trailing '/'), level by level, each level in name order. Hidden folders (a
    // name beginning with '.') are left out.
    QStringList folders;
    // Videos directly in the root, in name order: regular files, not empty, named like videos.
    QStringList rootVideos;
    // Album mode: the root videos followed by the videos of every folder, folder by folder.
    QStringList files;
};

// Scans the medium mounted at root (ending in '/'). withFolderVideos: also list every folder's
// videos into files (making one album of the whole medium). stop, when given, is read before
// each folder: a scan that stops answers what it found so far.
MediumScan scanMedium(const QString& root, const DriveProbe& probe,
                      const VideoExtensions& extensions, bool withFolderVideos,
                      const std::atomic_bool* stop = nullptr);

// The name of an album made from a folder: its last component, "noname" for a root ("/").
QString albumNameForFolder(const QString& folder);

// How deep below a medium's root folders are looked for.
inline constexpr int kMediumScanLevels = 5;

} // namespace tavimo
