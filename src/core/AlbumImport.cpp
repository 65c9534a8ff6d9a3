#include "core/AlbumImport.h"

#include "core/AlbumFiles.h"
#include "core/BookFile.h"
#include "core/DialogService.h"
#include "core/FileCopy.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "core/Tpackedjpg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tavimo {

namespace {

// The picture the source book keeps for the album: its entry in the book's picture store at
// the album's line of the book file (a "-->" line too). Empty when there is none.
QByteArray pictureFromSourceBook(const QString& libraryFolder, const QString& sourceFolder,
                                 const QString& name) {
    const QString title = QFileInfo(sourceFolder).fileName();
    const BookPaths source = BookPaths::of(libraryFolder, title);
    // Only a book of this library: the folder must be the book's own folder.
    if (QDir::cleanPath(QFileInfo(sourceFolder).absoluteFilePath()) !=
        QDir::cleanPath(QFileInfo(source.bookFolder).absoluteFilePath()))
        return {};
    const auto lines = bookfile::read(source.bookFile, BookMode::Normal);
    if (!lines)
        return {};
    int line = -1;
    for (int k = 0; k < lines->size() && line < 0; ++k)
        if (lines->at(k).name.compare(name, Qt::CaseInsensitive) == 0)
            line = k;
    Tpackedjpg store;
    if (line < 0 || !store.loadFromFile(source.pictureStore))
        return {};
    QByteArray jpeg;
    store.getPicture(line, jpeg);
    return jpeg;
}

} // namespace

int importAlbums(LibrarySession& session, const QStringList& albumFiles) {
    Book& book = session.book();
    DialogService& dialogs = session.dialogs();
    if (!book.isOpen() || book.mode() != BookMode::Normal)
        return 0;
    const BookPaths& target = book.paths();
    QStringList failed;
    int imported = 0;
    for (const QString& file : albumFiles) {
        const QFileInfo info(file);
        const QString name = info.completeBaseName();
        if (name.isEmpty())
            continue;
        // In any letter case: the album's store would be the book's picture store.
        if (albumNamedLikeBook(name, target.title)) {
            dialogs.message(kImportNamedLikeBookMessage);
            continue;
        }
        bool taken = false;
        for (const BookAlbum& album : book.albums())
            taken = taken || album.name.compare(name, Qt::CaseInsensitive) == 0;
        if (taken) {
            dialogs.message(kImportNameTakenMessage);
            continue;
        }
        if (!acceptAlbumName(name, target.title, dialogs))
            continue;
        const auto entries = albumfile::read(file);
        if (!entries) {
            failed.append(file);
            continue;
        }
        const AlbumPaths to = AlbumPaths::of(target, name);
        const QString from = info.absolutePath() + u'/';
        const WriteResult album = copyFileAtomically(file, to.album);
        if (!album) {
            failed.append(file);
            continue;
        }
        const QList<std::pair<QString, QString>> companions{
            {from + name + QStringLiteral(".cnt"), to.counts},
            {from + name + QStringLiteral(".mrk"), to.marks},
            {from + QStringLiteral("images/") + name + QStringLiteral(".pjpg"), to.store}};
        // A file left by an album of that name that is gone would pass for this album's own.
        for (const auto& [source, destination] : companions) {
            if (QFileInfo::exists(source)) {
                if (!copyFileAtomically(source, destination))
                    failed.append(source);
            } else if (QFileInfo::exists(destination)) {
                QFile::remove(destination);
            }
        }

        BookAlbum row{.name = name, .entries = *entries};
        row.jpeg = pictureFromSourceBook(session.libraryFolder(), info.absolutePath(), name);
        book.appendAlbum(row);
        ++imported;
    }
    if (!failed.isEmpty())
        dialogs.message(QStringLiteral("コピーできなかったファイルがあります。\r\n%1")
                            .arg(QDir::toNativeSeparators(failed.join(QStringLiteral("\r\n")))),
                        DialogService::Buttons::Ok, DialogService::Icon::Warning);
    session.flush();
    return imported;
}

} // namespace tavimo
