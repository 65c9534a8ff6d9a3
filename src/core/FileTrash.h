#pragma once

#include <QString>
#include <QStringList>

namespace tavimo {

// Moving files to the desktop's trash, where the user can still restore them.
class FileTrash {
public:
    virtual ~FileTrash() = default;
    // True when path is now in the trash.
    virtual bool moveToTrash(const QString& path) = 0;
};

// Starting other programs, detached from this one.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts program with arguments, each passed as it stands (no shell reads them).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

inline const QString kTrashMissingMessage =
    QStringLiteral("削除しようにも、ファイルが見つかりません(~_~;)");
inline const QString kTrashReadOnlyMessage =
    QStringLiteral("読み込み専用のため、ファイルは削除できません(~_~;)");
inline const QString kTrashFailedMessage = QStringLiteral("ファイルの削除は失敗しました(-_-;)");

// True when the file's mode has no write bit at all (for owner, group or others). Whether
// this process may write it is another matter: root may write anything.
bool isReadOnlyFile(const QString& path);

// Sends a video's file to the trash: the message to show when it was missing, read-only or
// could not be moved, or an empty text when it went.
QString trashVideoFile(const QString& path, FileTrash& trash);

} // namespace tavimo
