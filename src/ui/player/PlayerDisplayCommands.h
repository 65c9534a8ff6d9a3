#pragma once

#include <QObject>
#include <QPixmap>

class QMainWindow;

namespace tavimo {

struct AppState;
class PlayerControlBar;
struct PlayerActions;
namespace media {
class DisplayOptions;
class MpvPlayer;
} // namespace media
namespace ui {
class VideoSurface;
}

// The player's display commands: the aspect, crop and speed submenus, "Audio1"/"Audio2",
// full screen and back, the mute picture, the volume slider and the mouse wheel, and the
// renderer options of the book window as they change the video surface. It forwards them to
// the display options and shows what those hold (checked items, the mute picture).
class PlayerDisplayCommands : public QObject {
    Q_OBJECT
public:
    // The player window's parts that the commands drive and show, and the state holding the
    // renderer options.
    struct Parts {
        QMainWindow& window;
        media::MpvPlayer& mpv;
        media::DisplayOptions& options;
        const PlayerActions& actions;
        PlayerControlBar& controls;
        ui::VideoSurface& surface;
        AppState& state;
    };
    explicit PlayerDisplayCommands(const Parts& parts);

    // The mute picture's two states: 0 sound, 1 muted.
    static QPixmap mutePicture(int index);

    // The items of "アスペクト比", "上下をカット" and "再生速度" by their place in the submenu,
    // and "Audio1" or "Audio2".
    void chooseAspect(int item);
    void chooseCrop(int item);
    void chooseSpeed(int item);
    void chooseAudio(int number);

    // "フルスクリーン": the video fills the screen; "ウィンドウ表示": back to the window as it was
    // (maximised or not), or, outside full screen, the player closes.
    void fullScreen();
    void windowed();
    bool isFullScreen() const { return fullScreen_; }
    // Leaves full screen without the pause and play around it (the player is closing).
    void leaveFullScreen();

    // A video is about to open, and has opened: the crop is back to "なし", the aspect and
    // the audio tracks follow the new video, and its description becomes the hint of the title.
    void openingStarted();
    void videoOpened();

    // The aspect choice from the settings (a value outside the menu checks no item).
    void applyAspectSetting();
    // The settings' volume, before anything plays.
    void applyVolumeSetting();
    // "動画表示を修正" or "旧レンダラー" changed: the surface draws the way they say from now on.
    void applyRendererOptions();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMute(bool muted);
    void checkCrop();
    void wheel(int angleDelta);

    QMainWindow& window_;
    media::MpvPlayer& mpv_;
    media::DisplayOptions& options_;
    const PlayerActions& actions_;
    PlayerControlBar& controls_;
    ui::VideoSurface& surface_;
    AppState& state_;
    QObject* volumeBar_ = nullptr; // the widgets whose events are watched
    QObject* muteImage_ = nullptr;
    bool fullScreen_ = false;
    bool wasMaximised_ = false;
    int wheelRest_ = 0; // part of a notch from high-resolution wheels
};

} // namespace tavimo
