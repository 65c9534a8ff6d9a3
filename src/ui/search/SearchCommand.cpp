#include "ui/search/SearchCommand.h"

#include "core/AppState.h"
#include "core/search/SessionFollower.h"
#include "ui/book/BookWindow.h"
#include "ui/search/SearchWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>

namespace tavimo {

SearchCommand::SearchCommand(const SearchOpener::Context& context,
                             LibrarySearch::RomajiOpener romaji)
    : state_(context.state), search_(context.state.libraryFolder, std::move(romaji)) {
    follower_ = new SessionFollower(context.session, search_, this);
    opener_ = new SearchOpener(context, this);
    window_ = std::make_unique<SearchWindow>(search_, context.volumes);
    connect(window_.get(), &SearchWindow::openRequested, opener_,
            [this](const SearchHitDetails& details) { opener_->open(details, false); });
    connect(window_.get(), &SearchWindow::playRequested, opener_,
            [this](const SearchHitDetails& details) { opener_->open(details, true); });
}

// The window goes before the search it shows.
SearchCommand::~SearchCommand() {
    window_.reset();
}

void SearchCommand::start() {
    search_.start(state_.mediaBooks);
    // The book open already was read before the index follows it.
    follower_->follow();
}

void SearchCommand::show() {
    if (!std::exchange(placed_, true))
        if (const auto place = state_.searchWindow.place()) {
            // A place on a screen that is gone keeps only the size.
            if (QGuiApplication::screenAt(place->topLeft()))
                window_->setGeometry(*place);
            else
                window_->resize(place->size());
        }
    window_->show();
    window_->raise();
    window_->activateWindow();
    window_->field()->setFocus();
    window_->field()->selectAll();
}

void SearchCommand::storePlace() {
    if (placed_)
        state_.searchWindow.keep(window_->geometry());
}

} // namespace tavimo
