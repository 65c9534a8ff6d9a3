#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The favourite book: one book of normal mode whose albums the Favourites menu lists, so that
// they can be opened from any book.
namespace tavimo::favouritebook {

inline const QString kNotFoundMessage = QStringLiteral("ブックが見つかりません");
inline const QString kMediaBookMessage =
    QStringLiteral("リムーバブルメディア対象のブックはお気に入りに設定できません");
inline const QString kRegisteredMessage = QStringLiteral("お気に入りブックを登録しました");

enum class Outcome {
    Set,       // title is the new favourite
    NotFound,  // no listed book is named so
    MediaBook, // the book belongs to removable media
};

struct Choice {
    Outcome outcome = Outcome::NotFound;
    QString title;
};

// What the user typed in "お気に入りの設定": a listed book's title or its file name (title +
// ".book"), exact comparison. bookFiles are the book list's file names. The title is the
// matching book's own, so a title holding a dot is kept whole.
Choice choose(const QString& answer, const QStringList& bookFiles, const QStringList& mediaBooks);

// The album names of the favourite book, in book order, without blank lines and folder-sync
// markers. Nothing when the title is empty, cannot name a book of the library folder, or its
// book file cannot be read.
std::optional<QStringList> readAlbums(const QString& libraryFolder, const QString& title);

} // namespace tavimo::favouritebook
