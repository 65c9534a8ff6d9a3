#pragma once

#include "core/CaptureFiles.h"
#include "ui/WindowNames.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>

namespace tavimo {

struct AppState;
class DialogService;

// The player's picture commands: "コピー", "画像を保存", "この画像をサムネイルに設定" and the
// picture half of "ブックマークとサムネイルを設定". The picture is the one on screen (newer
// renderer), area-averaged to the video's own size with "オリジナルサイズ"; with "旧レンダラー"
// it is the frame at the current position decoded by FFmpeg at the video's own size, or
// brought to the displayed size by Lanczos-3. Decoding runs off the interface thread. A playing
// video pauses for the command and plays on after it. A capture that fails leaves the clipboard
// and the files as they were and says nothing. Owned by the player window.
class PlayerCapture : public QObject {
    Q_OBJECT
public:
    PlayerCapture(AlbumWindow& album, PlayerWindow& player, AppState& state,
                  DialogService& dialogs);
    ~PlayerCapture() override;

    void copy();
    void save();
    // Copies, makes the player's video the album window's current one and gives it the
    // picture on the clipboard as its thumbnail.
    void setAsThumbnail();

    bool isCapturing() const { return capturing_; }

Q_SIGNALS:
    // A command has ended, with the picture it took (null when the capture failed).
    void finished(const QImage& picture);

private:
    enum class Use { Copy, Save, Thumbnail };
    struct Request {
        Use use = Use::Copy;
        int index = -1;  // the player's video when the command began
        quint64 row = 0; // its row in the album, which may move while a frame is decoded
        QString path;    // its file
        bool resume = false;
    };

    void start(Use use);
    void decode(const Request& request);
    void taken(const Request& request, const QImage& picture);
    QImage shownPicture() const;
    void saveFile(const QImage& picture);
    void makeThumbnail(const Request& request);

    AlbumWindow& album_;
    PlayerWindow& player_;
    AppState& state_;
    DialogService& dialogs_;
    capture::CaptureNames names_;
    bool capturing_ = false;
    QThreadPool decoding_; // one frame at a time, waited for before the object goes
};

} // namespace tavimo
