#pragma once

#include "core/BookPaths.h"
#include "core/VideoExtensions.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>
#include <optional>

namespace tavimo {

// The system button-face colour as the settings file stores it (0x8000000F, signed).
inline constexpr int32_t kButtonFaceColor = static_cast<int32_t>(0x8000000Fu);

// Values of the settings file that belong to the book window ([form]).
struct BookWindowSettings {
    int32_t width = 640;
    int32_t height = 480;
    int32_t left = 0; // written at exit, never read back
    int32_t color = kButtonFaceColor;
    int32_t fontColor = 0;
    int32_t sizeMode = 0; // 0: 120 x 90 pictures, 1: 80 x 60
    bool autoHeight = false;
};

// Values of the settings file that belong to the album window ([form2]).
struct AlbumWindowSettings {
    int32_t width = 640;
    int32_t height = 640;
    int32_t toolbarImage = 13; // 13: toolbar at the bottom, anything else at the top
    int32_t color = kButtonFaceColor;
    int32_t fontColor = 0;
    int32_t sizeMode = 0;
};

// Values of the settings file that belong to the player ([form4], [value]).
struct PlayerSettings {
    int32_t width = 640;
    int32_t height = 480;
    int32_t left = 0;
    int32_t top = 0;
    bool playFromBookmark = false; // "常にブックマークから再生"
    int32_t volume = 5000;         // 0..10000
    int32_t aspect = 0;            // display aspect index; other values are kept as they are
};

// The search window's size and place ([search]): read when the file holds a whole one, and
// written at exit only once the window was shown, so that a run that never showed it leaves the
// section as it stands.
struct SearchWindowSettings {
    // What a key that is missing or no number reads as.
    static constexpr int32_t kUnset = std::numeric_limits<int32_t>::min();
    int32_t left = kUnset;
    int32_t top = kUnset;
    int32_t width = 0;
    int32_t height = 0;
    bool shown = false; // the window was shown in this run

    // The place read or kept; nothing while a value is unset or the size below 1.
    std::optional<QRect> place() const {
        if (left == kUnset || top == kUnset || width < 1 || height < 1)
            return std::nullopt;
        return QRect(left, top, width, height);
    }
    // The window's place when the program ends.
    void keep(const QRect& place) {
        left = place.left();
        top = place.top();
        width = place.width();
        height = place.height();
        shown = true;
    }
};

// The process-wide values shared by the windows. Built at start-up, read by every window,
// written back to the settings file at exit.
struct AppState {
    // Library folder, with a trailing '/'; every file of the library lives below it.
    QString libraryFolder;
    // The folder of the running executable, with a trailing '/'.
    QString executableFolder;

    QString settingsPath() const { return libraryFolder + QStringLiteral("Tavimo.ini"); }
    QString userExtensionsPath() const { return libraryFolder + QStringLiteral("userex.inf"); }
    QString mediaBooksPath() const { return libraryFolder + kMediaBooksFile; }
    // The sibling tool "Pelkora", an executable beside ours.
    QString siblingToolPath() const;
    // The library folder without its trailing '/': first folder of dialogs and captures.
    QString libraryFolderPlain() const;

    VideoExtensions extensions;
    QStringList mediaBooks; // titles of media-mode books, no duplicates
    // media.inf is there but could not be read: it is never written over (every media book
    // would become a normal one).
    bool mediaBooksUnreadable = false;
    // [text] book: the book shown last, as the settings file holds it: read at start-up,
    // written at exit. The open book itself, and its mode, are the library session's.
    QString bookTitle;

    // True: thumbnails and frame capture use the player's own picture; false ("旧レンダラー"
    // checked): they use the decoder path.
    bool rendererCapable = true;
    // The renderer capability the system lacks (never on Linux); it hides the renderer items.
    bool rendererFallback = false;

    // Roots of the removable volumes found at start-up (drive panel); index 0 is empty.
    QStringList drives{QString()};
    int selectedDrive = 0;

    // Settings file values, with their defaults.
    BookWindowSettings bookWindow;
    AlbumWindowSettings albumWindow;
    PlayerSettings player;
    SearchWindowSettings searchWindow;
    QString videoFolder;               // [text] videodir
    QString lastMediaBook;             // [text] hismedia
    QString lastNormalBook;            // [text] hisnormal
    QString favouriteBook;             // [text] favor
    QString otherPlayer;               // [text] plname
    bool legacyThumbnailsJpeg = false; // [ex] version
    bool thumbnailsPacked = false;     // [ex] packed
    bool fixVideoDisplay = false;      // [ex] mixer, "動画表示を修正"
    bool oldRenderer = false;          // [ex] old, "旧レンダラー"
    bool skipUnreadable = false; // [ex] noreg, "読み込めないファイルは登録しない"
    bool captureSilent = true;   // [capture] silent, "保存時ダイアログを表示しない"
    bool captureOriginalSize = true; // [capture] size, "オリジナルサイズ"
    QString captureFolder;           // [capture] dir
    bool syncFolderAlbums = false;   // [syncro] auto
    // [preview] mouse, "マウスで動画をプレビュー": a cell's picture shows its video as the
    // pointer moves across it.
    bool previewOnHover = true;

    // Sets the library folder and everything derived from it; loads userex.inf and media.inf.
    // A new library (a folder with neither Tavimo.ini nor userex.inf) starts with a user list of
    // today's containers (VideoExtensions::newLibraryExtensions), which the exit writes to its
    // userex.inf; an existing library's list is only read.
    void initialise(const QString& folder);
    bool isNewLibrary() const;

    // Reads media.inf, appending each line not yet listed (exact comparison).
    void loadMediaBooks();
};

} // namespace tavimo
