#include "ui/preview/Previews.h"

#include "core/AppState.h"
#include "core/LibrarySession.h"
#include "core/Playback.h"
#include "core/PreviewStripCache.h"
#include "ui/album/AlbumWindow.h"
#include "ui/player/PlayerControlBar.h"
#include "ui/player/PlayerWindow.h"
#include "ui/player/SeekBar.h"
#include "ui/preview/CellPreview.h"
#include "ui/preview/SeekPreview.h"

#include <QAction>
#include <QMenu>

namespace tavimo {

Previews::Previews(AppState& state, QMenu& options, AlbumWindow& album, PlayerWindow& player)
    : QObject(&album), state_(state) {
    cells_ = new CellPreview(
        *album.grid(), album.album(), album.thumbnails().pool(),
        std::make_shared<PreviewStripCache>(PreviewStripCache::defaultFolder()), &album);
    cells_->setEnabled(state_.previewOnHover);
    options.addSeparator();
    option_ = options.addAction(QStringLiteral("マウスで動画をプレビュー"));
    option_->setObjectName(QStringLiteral("previewItem"));
    option_->setCheckable(true);
    option_->setChecked(state_.previewOnHover);
    connect(option_, &QAction::toggled, this, [this](bool on) {
        state_.previewOnHover = on;
        cells_->setEnabled(on);
    });

    seekBar_ = new SeekPreview(*player.controls().seekBar, &player);
    Playback& playback = player.playback();
    const Album& videos = album.album();
    connect(&playback, &Playback::openingStarted, seekBar_, [this] { seekBar_->setVideo({}); });
    connect(&playback, &Playback::playing, seekBar_, [this, &playback, &videos] {
        seekBar_->setVideo(videos.fullPath(playback.startIndex()));
    });
    connect(&player, &PlayerWindow::hidden, seekBar_, [this] { seekBar_->setVideo({}); });
}

void Previews::applySetting(SettingKey key) {
    if (key == SettingKey::PreviewMouse)
        option_->setChecked(state_.previewOnHover);
}

} // namespace tavimo
