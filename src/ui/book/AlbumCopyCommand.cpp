#include "ui/book/AlbumCopyCommand.h"

#include "core/AlbumFileCopy.h"
#include "core/AppState.h"
#include "core/DialogService.h"
#include "core/EntryFiles.h"
#include "core/LibrarySession.h"
#include "ui/book/BookWindow.h"

#include <QDir>
#include <QProgressDialog>

namespace tavimo {

namespace {
const QString kMediumAbsentForCopy =
    QStringLiteral("このアルバムのメディアがセットされていません。コピーできません。");
} // namespace

AlbumCopyCommand::AlbumCopyCommand(LibrarySession& session, AppState& state, BookWindow& bookWindow)
    : QObject(&bookWindow), session_(session), state_(state), bookWindow_(bookWindow),
      copy_(new AlbumFileCopy(this)) {
    connect(copy_, &AlbumFileCopy::finished, this, &AlbumCopyCommand::copyFinished);
}

AlbumCopyCommand::~AlbumCopyCommand() = default;

bool AlbumCopyCommand::isRunning() const {
    return copy_->isRunning();
}

void AlbumCopyCommand::run() {
    const int current = bookWindow_.currentAlbum();
    if (isRunning() || !session_.book().isValidIndex(current))
        return;
    DialogService& dialogs = session_.dialogs();
    const AlbumVideoPaths videos = albumVideoPaths(session_.book(), current, session_.probe());
    if (videos.mediumMissing) {
        dialogs.message(kMediumAbsentForCopy, DialogService::Buttons::Ok,
                        DialogService::Icon::Warning);
        return;
    }
    const auto folder = dialogs.selectFolder(QString(), state_.videoFolder);
    if (!folder || videos.paths.isEmpty())
        return;

    busy_.emplace(bookWindow_);
    progress_ = new QProgressDialog(QStringLiteral("ファイルをコピーしています・・・"),
                                    QStringLiteral("キャンセル"), 0, int(videos.paths.size()),
                                    &bookWindow_);
    progress_->setObjectName(QStringLiteral("copyProgress"));
    progress_->setWindowTitle(QStringLiteral("アルバムの全ファイルをコピー"));
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, copy_, &AlbumFileCopy::cancel);
    connect(copy_, &AlbumFileCopy::progressed, progress_, &QProgressDialog::setValue);
    progress_->show();
    copy_->start(videos.paths, *folder);
}

void AlbumCopyCommand::copyFinished(const QStringList& failed, bool cancelled) {
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
    }
    busy_.reset();
    DialogService& dialogs = session_.dialogs();
    QString text;
    if (cancelled)
        text = QStringLiteral("コピーを中止しました。");
    if (!failed.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral("\r\n");
        text += QStringLiteral("次のファイルはコピーできませんでした。\r\n") +
                QDir::toNativeSeparators(failed.join(QStringLiteral("\r\n")));
    }
    if (!text.isEmpty())
        dialogs.message(text, DialogService::Buttons::Ok, DialogService::Icon::Warning);
    Q_EMIT finished();
}

} // namespace tavimo
