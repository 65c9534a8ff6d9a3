#include "ui/book/BookListMenu.h"

#include "core/AppState.h"
#include "core/BookCatalogue.h"
#include "core/BookPaths.h"
#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "core/NameRules.h"
#include "ui/book/BookFileCommands.h"
#include "ui/book/BookWindow.h"
#include "ui/book/MenuText.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace tavimo {

namespace {
const QString kNewBookCaption = QStringLiteral("ブックの新規作成");
const QString kNewBookPrompt = QStringLiteral("新しいブックのタイトルを入力してください");
const QString kDuplicateTitle =
    QStringLiteral("同一のタイトルが存在します!　もう一度入力してください(^_^;)");
} // namespace

BookListMenu::BookListMenu(LibrarySession& session, AppState& state, BookWindow& window,
                           BookFileCommands& books, QMenu& menu, QAction& listEnd)
    : QObject(&window), session_(session), state_(state), window_(window), books_(books),
      menu_(menu), listEnd_(listEnd), dialogs_(session.dialogs()) {
    connect(&books_, &BookFileCommands::bookLoaded, this, &BookListMenu::checkCurrent);
}

QAction* BookListMenu::addEntry(const QString& fileName, QAction* before) {
    auto* entry = new QAction(literalMenuText(fileName), this);
    entry->setData(fileName);
    entry->setCheckable(true);
    menu_.insertAction(before, entry);
    connect(entry, &QAction::triggered, this, [this, entry] { choose(entry); });
    return entry;
}

void BookListMenu::rebuild() {
    const QStringList all = bookcatalogue::listBookFiles(state_.libraryFolder);
    if (all.isEmpty())
        return;
    qDeleteAll(entries_);
    entries_.clear();
    for (const QString& file : bookcatalogue::booksOfMode(all, state_.mediaBooks, session_.mode()))
        entries_.append(addEntry(file, &listEnd_));
    // The current book's entry is checked; with none open, none is.
    checkCurrent();
}

QStringList BookListMenu::entries() const {
    QStringList files;
    for (const QAction* entry : entries_)
        files.append(entry->data().toString());
    return files;
}

QAction* BookListMenu::entryFor(const QString& fileName) const {
    for (QAction* entry : entries_)
        if (entry->data().toString() == fileName)
            return entry;
    return nullptr;
}

void BookListMenu::checkOnly(QAction* chosen) {
    for (QAction* entry : entries_)
        entry->setChecked(entry == chosen);
}

void BookListMenu::choose(QAction* entry) {
    if (!entries_.contains(entry))
        return;
    const QString title = bookTitleFromFile(entry->data().toString());
    if (!QFileInfo(BookPaths::of(state_.libraryFolder, title).bookFile).isFile()) {
        dialogs_.message(title + QStringLiteral(" が見つかりません!"),
                         DialogService::Buttons::OkCancel, DialogService::Icon::Error);
        checkCurrent();
        return;
    }
    books_.loadBook(title);
    // The book that stays on screen (the chosen one, or the previous one when it had to stay)
    // has the check mark.
    checkCurrent();
    afterOpening();
}

void BookListMenu::checkCurrent() {
    const QString current =
        session_.bookOpen() ? session_.bookPaths().title + kBookExtension : QString();
    checkOnly(entryFor(current));
}

void BookListMenu::afterOpening() {
    if (session_.book().count() == 0)
        window_.selectAlbum(-1);
}

bool BookListMenu::createBook() {
    QString title;
    for (;;) {
        const auto typed = dialogs_.input(kNewBookCaption, kNewBookPrompt, lastTyped_);
        if (!typed || typed->isEmpty())
            return false;
        lastTyped_ = *typed;
        if (bookcatalogue::titleTaken(state_.libraryFolder, *typed)) {
            dialogs_.message(kDuplicateTitle, DialogService::Buttons::OkCancel,
                             DialogService::Icon::Warning);
            continue;
        }
        if (const std::optional<Problem> refused = refusedName(*typed, NameKind::BookTitle)) {
            dialogs_.tell(*refused);
            continue;
        }
        title = *typed;
        break;
    }
    if (!books_.openNewBook(title))
        return false;
    QAction* first = entries_.isEmpty() ? &listEnd_ : entries_.first();
    QAction* entry = addEntry(title + kBookExtension, first);
    entries_.prepend(entry);
    checkOnly(entry);
    afterOpening();
    return session_.bookOpen() && session_.bookPaths().title == title;
}

} // namespace tavimo
