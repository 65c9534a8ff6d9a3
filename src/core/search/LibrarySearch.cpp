#include "core/search/LibrarySearch.h"

#include "core/search/LibraryScan.h"

#include <QThread>

namespace tavimo {

LibrarySearch::LibrarySearch(const QString& libraryFolder, RomajiOpener romaji, QObject* parent)
    : QObject(parent), index_(libraryFolder), romajiOpener_(std::move(romaji)) {}

LibrarySearch::~LibrarySearch() {
    stopping_ = true;
    folding_.stopAndWait();
    if (worker_)
        worker_->wait();
}

void LibrarySearch::start(const QStringList& mediaBooks) {
    if (worker_)
        return;
    building_ = true;
    worker_.reset(QThread::create(
        [this, folder = index_.libraryFolder(), mediaBooks] { work(folder, mediaBooks); }));
    worker_->start(QThread::LowPriority);
}

void LibrarySearch::post(std::function<void()> f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

// On the worker thread: reads files and folds names; the index itself is only ever touched
// on this object's thread, by the posted functions.
void LibrarySearch::work(const QString& folder, const QStringList& mediaBooks) {
    const libraryscan::Plan plan = libraryscan::plan(folder, mediaBooks);
    const int total = std::max(plan.albumCount, 1);
    int done = 0;
    int reported = 0;
    for (const libraryscan::PlannedBook& planned : plan.books) {
        int unreadable = 0;
        auto book =
            std::make_shared<SearchBook>(libraryscan::readBook(folder, planned, unreadable, [&] {
                const int percent = int(qint64(++done) * 100 / total);
                if (percent != reported) {
                    reported = percent;
                    post([this, percent] {
                        progress_ = percent;
                        Q_EMIT progressChanged(percent);
                    });
                }
                return !stopping_;
            }));
        if (stopping_)
            return;
        post([this, book, unreadable] {
            index_.putBook(std::move(*book));
            unreadable_ += unreadable;
            Q_EMIT changed();
        });
    }
    post([this, unreadableBooks = plan.unreadable] { finish(unreadableBooks); });
    if (romajiOpener_)
        openRomaji();
}

// On the worker thread, once the index is complete: the dictionary loads, and the single
// letters every romaji text begins with, whose readings take it longest, are read once.
void LibrarySearch::openRomaji() {
    std::unique_ptr<RomajiReading> romaji = romajiOpener_();
    if (!romaji)
        return;
    auto letters = std::make_shared<std::vector<std::shared_ptr<const WordPattern>>>();
    for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
        if (stopping_)
            return;
        const QString word(letter);
        letters->push_back(std::make_shared<const WordPattern>(word, romaji->readings(word)));
    }
    // Moved to this object's thread, which alone uses it from then on.
    auto moved = std::make_shared<std::unique_ptr<RomajiReading>>(std::move(romaji));
    post([this, moved, letters] {
        romaji_ = std::move(*moved);
        patterns_.clear();
        for (const auto& pattern : *letters)
            patterns_.keep(pattern);
        Q_EMIT romajiReady();
        Q_EMIT changed();
    });
}

void LibrarySearch::finish(int unreadableBooks) {
    unreadable_ += unreadableBooks;
    for (auto& waiting : waiting_)
        waiting(index_);
    waiting_.clear();
    building_ = false;
    progress_ = 100;
    Q_EMIT progressChanged(100);
    Q_EMIT built();
    Q_EMIT changed();
}

void LibrarySearch::change(std::function<bool(SearchIndex&)> change) {
    if (building_) {
        waiting_.push_back(std::move(change));
        return;
    }
    ++applied_;
    if (change(index_))
        Q_EMIT changed();
}

SearchResults LibrarySearch::find(const QString& text) {
    return index_.find(SearchQuery::compile(text, romaji_.get(), &patterns_));
}

void LibrarySearch::setBook(const QString& title, BookMode mode,
                            const QList<SearchAlbumSource>& albums) {
    // Folding the names of a big album takes longer than a window may stand still (a tenth of
    // a second for 12,000 names): those are folded on a thread, and the index follows a moment
    // later. Small changes, and all while the index is built, are taken at once.
    constexpr qsizetype kNamesFoldedAtOnce = 2000;
    qsizetype names = 0;
    if (!building_)
        for (int row : index_.albumsToFold(title, mode, albums))
            names += albums.at(row).entries.size();
    if (names < kNamesFoldedAtOnce) {
        toFold_.reset();
        change([=](SearchIndex& index) { return index.setBook(title, mode, albums); });
        return;
    }
    toFold_ = BookChange{title, mode, albums};
    foldNext();
}

void LibrarySearch::foldNext() {
    if (folding_.isRunning() || !toFold_)
        return;
    auto given = std::make_shared<const BookChange>(std::move(*toFold_));
    toFold_.reset();
    const QList<int> rows = index_.albumsToFold(given->title, given->mode, given->albums);
    folding_.start(
        [given, rows](WorkerThread& self) {
            auto folded = std::make_shared<std::map<int, SearchAlbum>>();
            for (int row : rows) {
                if (self.stopRequested())
                    break;
                folded->emplace(row, SearchAlbum::make(given->albums.at(row), given->mode));
            }
            return folded;
        },
        [this, given, since = applied_](std::shared_ptr<std::map<int, SearchAlbum>> folded) {
            // A change taken at once meanwhile is newer than this one.
            if (since == applied_ &&
                index_.setBook(given->title, given->mode, given->albums, std::move(*folded)))
                Q_EMIT changed();
            foldNext();
        });
}

void LibrarySearch::removeBook(const QString& title) {
    change([=](SearchIndex& index) {
        index.removeBook(title);
        return true;
    });
}

void LibrarySearch::insertAlbum(const QString& title, int row, const SearchAlbumSource& album) {
    change([=](SearchIndex& index) {
        index.insertAlbum(title, row, album);
        return true;
    });
}

void LibrarySearch::removeAlbum(const QString& title, int row) {
    change([=](SearchIndex& index) {
        index.removeAlbum(title, row);
        return true;
    });
}

void LibrarySearch::moveAlbum(const QString& title, int from, int to) {
    change([=](SearchIndex& index) {
        index.moveAlbum(title, from, to);
        return true;
    });
}

void LibrarySearch::setAlbum(const QString& title, int row, const SearchAlbumSource& album) {
    change([=](SearchIndex& index) {
        index.setAlbum(title, row, album);
        return true;
    });
}

void LibrarySearch::setAlbumEntries(const QString& title, const QString& album,
                                    const QStringList& entries) {
    // Found by name when the change is applied: rows may have moved since it was made.
    change([=](SearchIndex& index) {
        const int b = index.bookIndex(title);
        if (b < 0)
            return false;
        const std::vector<SearchAlbum>& albums = index.books()[size_t(b)].albums;
        for (size_t row = 0; row < albums.size(); ++row)
            if (albums[row].name() == album) {
                index.setAlbum(title, int(row), {album, entries, albums[row].medium()});
                return true;
            }
        return false;
    });
}

} // namespace tavimo
