#include "ui/ModeSwitcher.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "core/ModeSwitch.h"
#include "ui/BookSession.h"
#include "ui/BookWindow.h"
#include "ui/ScrollBox.h"

#include <QAction>

namespace tavimo {

ModeSwitcher::ModeSwitcher(LibrarySession& session, AppState& state, TForm1& window,
                           BookSession& bookSession)
    : QObject(&window), session_(session), state_(state), window_(window),
      bookSession_(bookSession) {
    connect(window_.i_normal, &QAction::triggered, this, [this] { switchTo(BookMode::Normal); });
    connect(window_.i_media, &QAction::triggered, this, [this] { switchTo(BookMode::Media); });
}

void ModeSwitcher::switchTo(BookMode mode) {
    const bool media = mode == BookMode::Media;
    (media ? window_.i_media : window_.i_normal)->setChecked(true);
    if (session_.mode() == mode)
        return;
    // Everything of the book shown is written before it goes.
    session_.closeBook();
    session_.setMode(mode);
    if (buildBookList_)
        buildBookList_();
    state_.bookTitle.clear();

    const QStringList titles = bookTitlesOfMode(state_.libraryFolder, state_.mediaBooks, mode);
    const QString title = bookAfterModeSwitch(
        state_.libraryFolder, media ? state_.lastMediaBook : state_.lastNormalBook, titles);
    if (!title.isEmpty()) {
        state_.bookTitle = title;
        bookSession_.loadCurrentBook();
    }
    if (session_.bookOpen()) {
        window_.applyBookOpenState();
        if (session_.book().count() > 0)
            window_.scrollBox->select(0);
        else
            window_.scrollBox->setCurrentIndex(-1);
    } else {
        state_.bookTitle.clear();
        window_.applyNoBookState();
        window_.scrollBox->setCurrentIndex(-1);
        window_.setWindowTitle(bookWindowCaption(QString(), mode));
    }
    Q_EMIT switched(mode);
}

} // namespace tavimo
