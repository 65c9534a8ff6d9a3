#pragma once

#include "core/Settings.h"
#include "media/MpvPlayer.h"
#include "ui/WindowNames.h"
#include "ui/player/PlayerMenu.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

namespace tavimo {

struct AppState;
class DialogService;
class LibrarySession;
class Playback;
class PlayerCapture;
class PlayerControlBar;
class PlayerDisplayCommands;
namespace media {
class DisplayOptions;
class MpvBackend;
} // namespace media
namespace ui {
class VideoSurface;
}

// The player window: plays one video of the open album. It owns the libmpv player and the
// playback rules over it, turns buttons, keys and the menu into calls on those rules and shows
// what they report.
class TForm4 : public QMainWindow {
    Q_OBJECT
public:
    // `output` chooses sound (the program) or silence (tests).
    TForm4(LibrarySession& session, AppState& state, DialogService& dialogs,
           QWidget* parent = nullptr,
           media::MpvPlayer::Output output = media::MpvPlayer::Output::Surface);
    ~TForm4() override;

    Playback& playback() { return *playback_; }
    media::MpvPlayer& mpv() { return *mpv_; }
    PlayerControlBar& controls() { return *controls_; }
    const PlayerActions& playerActions() const { return actions_; }
    ui::VideoSurface& videoSurface() { return *surface_; }
    media::DisplayOptions& display() { return *display_; }
    PlayerDisplayCommands& displayCommands() { return *displayCommands_; }

    // The album window's play commands: the video at `index` opens and plays; the one playing
    // stops first. Continuous play goes on through the album ("連続再生").
    void playVideo(int index, bool continuous);
    // The album window's mouse went down on a cell: the video stops and continuous play ends.
    void stopVideo();

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // The window's restored (normal) bounds, also while it is maximised or full screen:
    // left/top of the frame, width/height of the window.
    QRect restoredBounds() const;
    // Copies the restored bounds into the state for the settings file.
    void storeGeometry();
    // Copies the bounds, the volume in use (0 while muted) and the aspect choice into the
    // state for the settings file.
    void storeSettings();
    // The book window's renderer options changed: a video on screen is drawn their way now.
    void rendererOptionsChanged();
    // The picture commands ("コピー", "画像を保存", ...) go to `capture` from now on.
    void attachCapture(PlayerCapture* capture);

Q_SIGNALS:
    // The window was shown or hidden (the album window's editing commands follow).
    void shown();
    void hidden();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // What every action does: the one table of the window's commands and keys.
    void wireActions();
    void connectPlayback();
    void openingStarted(const QString& fileName);
    void playing(qint64 durationMs, qint64 bookmark);
    void placeMarker(qint64 bookmark, qint64 durationMs);
    void togglePause();
    void stop();
    void focusVideo();
    void seekTicked(qint64 position);
    void seekMoved();
    // Fits the picture, at its displayed proportions, into the video area.
    void applyVideoRect();

    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    std::unique_ptr<media::MpvPlayer> mpv_;
    std::unique_ptr<media::MpvBackend> backend_;
    std::unique_ptr<media::DisplayOptions> display_;
    std::unique_ptr<Playback> playback_;
    PlayerActions actions_;
    ui::VideoSurface* surface_ = nullptr;
    PlayerControlBar* controls_ = nullptr;
    PlayerDisplayCommands* displayCommands_ = nullptr;
    QPointer<PlayerCapture> capture_; // goes with the window, or before it in tests
};

} // namespace tavimo
