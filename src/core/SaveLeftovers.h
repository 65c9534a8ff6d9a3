#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavimo::saveleftovers {

// A save writes each new file to "<file>.XXXXXX" (six letters or digits) beside it and renames
// it into place; a save that was killed before its journal listed that temporary file (or one
// that needed no journal) leaves it behind, and nothing else ever would. These are found by name
// only where the library keeps its files: the library folder (books, the settings and the
// lists), each book's folder (albums, their marks and counts, media.dat) and its images folder
// (picture stores).
enum class Folder { Library, Book, Images };

// True when `name` is a temporary file's name of a file kind kept in that folder.
bool isLeftoverName(const QByteArray& name, Folder folder);

// Removes the temporary files a save of the library in libraryFolder (ending in '/') can have
// left. Only
// regular files are removed, only in those folders, reached without following a symbolic link
// below the library folder; nothing at all while a journal is there (it may still need its
// temporary files: run this after recovery). Answers the paths removed.
QStringList removeLeftoverTemporaries(const QString& libraryFolder);

} // namespace tavimo::saveleftovers
