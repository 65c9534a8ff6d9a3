#pragma once

#include "core/search/LibrarySearch.h"
#include "ui/WindowNames.h"
#include "ui/search/SearchOpener.h"

#include <QObject>
#include <memory>

namespace tavimo {

struct AppState;
class SearchWindow;
class SessionFollower;

// "動画の検索..." (Ctrl+K) of the book window's Tools menu: the search of the whole library,
// its index following the session, and its window, whose results open in the album window.
class SearchCommand final : public QObject {
    Q_OBJECT
public:
    // The search reads the state's library folder and follows the context's session; its
    // results open through the context (SearchOpener).
    SearchCommand(const SearchOpener::Context& context, LibrarySearch::RomajiOpener romaji);
    ~SearchCommand() override;

    // Starts reading every book of the library on the search's worker.
    void start();
    // Shows the search window in front, its text selected for typing anew; the first time in
    // the place it had when the program last ended.
    void show();
    // Keeps the window's size and place in the state for the settings file, once it has been
    // shown.
    void storePlace();

    LibrarySearch& search() { return search_; }
    SearchWindow& window() { return *window_; }
    SearchOpener& opener() { return *opener_; }

private:
    AppState& state_;
    LibrarySearch search_;
    SessionFollower* follower_ = nullptr;
    SearchOpener* opener_ = nullptr;
    std::unique_ptr<SearchWindow> window_;
    bool placed_ = false; // the window was shown, in the place the settings file held
};

} // namespace tavimo
