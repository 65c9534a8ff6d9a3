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
    if (session_.mode() == mode) {
        (media ? window_.i_media : window_.i_normal)->setChecked(true);
        return;
    }
    // Everything of the book shown is written before it goes; when that fails and the user
    // chooses to stay, the mode stays too.
    if (!session_.switchMode(mode)) {
        (media ? window_.i_normal : window_.i_media)->setChecked(true);
        return;
    }
    (media ? window_.i_media : window_.i_normal)->setChecked(true);
    if (buildBookList_)
        buildBookList_();

    const QStringList titles = bookTitlesOfMode(state_.libraryFolder, state_.mediaBooks, mode);
    bookSession_.loadBook(bookAfterModeSwitch(
        state_.libraryFolder, media ? state_.lastMediaBook : state_.lastNormalBook, titles));
    if (session_.bookOpen()) {
        window_.applyBookOpenState();
        if (session_.book().count() > 0)
            window_.scrollBox->select(0);
        else
            window_.scrollBox->setCurrentIndex(-1);
    } else {
        window_.applyNoBookState();
        window_.scrollBox->setCurrentIndex(-1);
        window_.setWindowTitle(bookWindowCaption(QString(), mode));
    }
    Q_EMIT switched(mode);
}

} // namespace tavimo
