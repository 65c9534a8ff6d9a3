#pragma once

#include "core/search/SearchIndex.h"
#include "ui/search/ResultPictures.h"

#include <QMainWindow>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace tavimo {

class LibrarySearch;
class ScrollBox;
class VolumeTable;

// The search window ("動画の検索..."): a text field, and below it the results as thumbnail
// cells, found again at every letter typed and at every change of the index. What a text
// matches and in which order is the search's (LibrarySearch); the window shows it, says of
// the current result where it is, and asks for a result to be opened or played.
//
// Cells are made a page at a time as the grid is scrolled or walked to its end, so a text
// that a million names hold shows at once; their pictures are read from the stores only when
// drawn.
class SearchWindow : public QMainWindow {
    Q_OBJECT
public:
    SearchWindow(LibrarySearch& search, const VolumeTable& volumes, QWidget* parent = nullptr);
    ~SearchWindow() override;

    QLineEdit* field() const { return field_; }
    ScrollBox* grid() const { return grid_; }
    // The status bar: the current result's book, album, folder and medium; the index's state
    // (being read, or the files it could not read) with its progress bar.
    QLabel* resultPanel() const { return resultPanel_; }
    QLabel* indexPanel() const { return indexPanel_; }
    QProgressBar* progressBar() const { return progress_; }

    // The results shown now, and what a cell shows of its result.
    const SearchResults& results() const { return results_; }
    std::optional<SearchHitDetails> detailsOf(int cell) const;
    // The lines of a cell's tooltip, one fact a line.
    QString toolTipOf(int cell) const;

    // Cells made per page.
    static constexpr int kPage = 400;

Q_SIGNALS:
    // Enter, or a double click, on a result (Enter in the field: the first one).
    void openRequested(const tavimo::SearchHitDetails& details);
    // Shift+Enter.
    void playRequested(const tavimo::SearchHitDetails& details);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh(bool keepPlace);
    void showIndexState();
    // Makes the next page of cells; false when every result has one.
    bool addPage();
    void showCurrent(int cell);
    void activate(int cell, bool play);
    bool gridKey(int key, Qt::KeyboardModifiers modifiers);

    LibrarySearch& search_;
    const VolumeTable& volumes_;
    QLineEdit* field_ = nullptr;
    ScrollBox* grid_ = nullptr;
    QLabel* resultPanel_ = nullptr;
    QLabel* indexPanel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    SearchResults results_;
    QList<VolumeInfo> mounted_; // read once per refresh: reading it asks every file system
    ResultPictures pictures_;
    bool stale_ = false; // the index changed while the window was hidden
};

} // namespace tavimo
