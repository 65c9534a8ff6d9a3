#pragma once

#include "core/WorkerThread.h"
#include "core/search/RomajiReading.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchQuery.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QThread;

namespace tavimo {

// The search of the whole library as the search window uses it. The index is built from the
// library's files on a worker thread; until it is complete, queries answer from the books read
// so far. The romaji reading is loaded after that, on the same worker. After that it follows the
// session through plain calls (an adapter connects them to the session's changes); calls made while
// building wait until the files are read. Everything here runs on the thread that made the object.
class LibrarySearch : public QObject {
    Q_OBJECT
public:
    // Opens the romaji reading on the worker once the index is complete (loading a
    // dictionary takes a while); it may answer nullptr, and then romaji matching stays off.
    using RomajiOpener = std::function<std::unique_ptr<RomajiReading>()>;

    explicit LibrarySearch(const QString& libraryFolder, RomajiOpener romaji = {},
                           QObject* parent = nullptr);
    ~LibrarySearch() override;

    // Starts reading every book of the library folder; mediaBooks are the titles of
    // media.inf. Once only.
    void start(const QStringList& mediaBooks);
    bool isBuilding() const { return building_; }
    // How far the reading is, 0 to 100.
    int progress() const { return progress_; }
    // Book and album files that could not be read.
    int unreadableCount() const { return unreadable_; }
    bool hasRomaji() const { return romaji_ != nullptr; }

    // The results for text as typed; empty for a text without words.
    SearchResults find(const QString& text);
    // What to show for a hit of the last find; nothing once it is stale.
    std::optional<SearchHitDetails> details(const SearchHit& hit,
                                            const QList<VolumeInfo>& volumes) const {
        return index_.details(hit, volumes);
    }
    const SearchIndex& index() const { return index_; }

    // The session's changes, as SearchIndex takes them.
    void setBook(const QString& title, BookMode mode, const QList<SearchAlbumSource>& albums);
    void removeBook(const QString& title);
    void insertAlbum(const QString& title, int row, const SearchAlbumSource& album);
    void removeAlbum(const QString& title, int row);
    void moveAlbum(const QString& title, int from, int to);
    void setAlbum(const QString& title, int row, const SearchAlbumSource& album);
    // The lines of the album named so in the book were written by someone other than the
    // session (a video added to a favourite album of a book not open).
    void setAlbumEntries(const QString& title, const QString& album, const QStringList& entries);

Q_SIGNALS:
    void progressChanged(int percent);
    // The index is complete (and the changes made meanwhile are in it).
    void built();
    // Latin words match their romaji readings from now on.
    void romajiReady();
    // Results found before are stale: find again.
    void changed();

private:
    void work(const QString& folder, const QStringList& mediaBooks);
    void openRomaji();
    // Runs f on this object's thread, unless the object is gone by then.
    void post(std::function<void()> f);
    // Applies a change now, or once the index is complete; changed() follows when it
    // answers true.
    void change(std::function<bool(SearchIndex&)> change);
    void finish(int unreadableBooks);
    // Folds the albums of the book change waiting, if any, on the folding thread.
    void foldNext();

    // A book as the session gave it, whose new albums hold many names: they are folded on a
    // thread of their own, and the index takes them when they are done.
    struct BookChange {
        QString title;
        BookMode mode = BookMode::Normal;
        QList<SearchAlbumSource> albums;
    };

    SearchIndex index_;
    RomajiOpener romajiOpener_;
    std::unique_ptr<RomajiReading> romaji_;
    WordPatternCache patterns_;
    std::unique_ptr<QThread> worker_;
    std::atomic<bool> stopping_{false};
    bool building_ = false;
    int progress_ = 0;
    int unreadable_ = 0;
    std::vector<std::function<bool(SearchIndex&)>> waiting_;
    WorkerThread folding_;
    std::optional<BookChange> toFold_; // the latest one given while another was folded
    // Counts the changes applied at once: a folding begun before one of them is out of date.
    quint64 applied_ = 0;
};

} // namespace tavimo
