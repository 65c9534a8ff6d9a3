#pragma once

#include <QString>
#include <QStringList>

namespace tavimo {

// Which files count as videos: the built-in extension list plus the user's own list
// ("userex.inf"), compared without regard to letter case.
class VideoExtensions {
public:
    VideoExtensions();

    const QStringList& builtin() const { return builtin_; }
    const QStringList& user() const { return user_; }

    // True when the path's extension (text from its last '.' of the file name) is listed.
    bool isVideo(const QString& path) const;

    // Appends an extension as the user typed it: a leading '.' is added when missing and the
    // text is lower-cased. Returns what was stored; an empty answer stores nothing and returns
    // an empty string. Duplicates are kept, as the file keeps them.
    QString addUserExtension(const QString& typed);

    // Loads userex.inf (blank lines dropped); a missing file leaves the list empty.
    void loadUserList(const QString& path);
    // The extensions of userex.inf's lines, as loadUserList takes them.
    static QStringList userListOf(const QStringList& lines);
    void setUserList(const QStringList& extensions) { user_ = extensions; }

    // Patterns ("*.ext") for the user's extensions, appended to the album file dialog's filter.
    QStringList userPatterns() const;

    // The containers of today's videos that the built-in list lacks: a new library starts its
    // user list with them. The built-in list itself stays fixed, so that a library moved to
    // another installation counts the same files as videos.
    static QStringList newLibraryExtensions();

private:
    QStringList builtin_;
    QStringList user_;
};

} // namespace tavimo
