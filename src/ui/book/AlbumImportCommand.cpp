#include "ui/book/AlbumImportCommand.h"

#include "core/DialogService.h"
#include "core/LibrarySession.h"
#include "ui/book/BookWindow.h"

namespace tavimo {

namespace {
// A copy that ends sooner shows no dialog at all.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressSteps = 1000; // the import reports thousandths
} // namespace

AlbumImportCommand::AlbumImportCommand(LibrarySession& session, BookWindow& bookWindow)
    : QObject(&bookWindow), session_(session), bookWindow_(bookWindow), import_(session) {
    connect(&import_, &AlbumImportRun::finished, this, &AlbumImportCommand::importFinished);
    connect(&import_, &AlbumImportRun::problemFound, this,
            [this](const Problem& problem) { session_.dialogs().tell(problem); });
}

void AlbumImportCommand::run() {
    if (!session_.bookOpen() || session_.isMediaMode() || isRunning())
        return;
    QString folder = session_.bookPaths().bookFolder;
    folder.chop(1);
    const QStringList files =
        session_.dialogs().openFiles(QString(), folder, QStringLiteral("アルバム (*.alb)"));
    if (files.isEmpty())
        return;
    busy_.emplace(bookWindow_);
    progress_ = new QProgressDialog(QStringLiteral("アルバムをインポートしています・・・"),
                                    QStringLiteral("キャンセル"), 0, kProgressSteps, &bookWindow_);
    progress_->setObjectName(QStringLiteral("importProgress"));
    progress_->setWindowTitle(QStringLiteral("アルバムのインポート"));
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, &import_, &AlbumImportRun::cancel);
    connect(&import_, &AlbumImportRun::progressed, progress_, &QProgressDialog::setValue);
    // Names that are all refused end the run at once, inside start().
    if (!import_.start(files))
        importFinished(0);
}

void AlbumImportCommand::importFinished(int imported) {
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    busy_.reset();
    if (imported > 0 && session_.bookOpen())
        bookWindow_.selectAlbum(session_.book().count() - 1);
    Q_EMIT finished();
}

} // namespace tavimo
