#pragma once

#include "core/Album.h"
#include "core/Settings.h"
#include "ui/AlbumStatusBar.h"
#include "ui/AlbumToolBar.h"
#include "ui/ThumbnailRun.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QComboBox;
class QMenu;
class QToolButton;

namespace tavimo {

struct AppState;
class DialogService;
class GridBinding;
class LibrarySession;
class ScrollBox;
class TForm5;
class TVFPanel;

// The album window: the grid of video cells of the session's open album, its toolbar, status
// bar and menus. The session opens the album and the window shows it (showAlbum()); closing the
// window closes the album and hands back to the book window. Thumbnails are made by a
// ThumbnailRun on worker threads, so the window stays responsive while they are made. Its parts
// live apart so that each can be read alone: AlbumMenuBuilder (actions and popup menus),
// AlbumToolBar, AlbumStatusBar, PictureCommands and, outside the window, AlbumCommands.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    TForm2(LibrarySession& session, AppState& state, DialogService& dialogs,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The open album, owned by the session.
    Album& album();
    const Album& album() const;
    LibrarySession& session() { return session_; }
    ScrollBox* grid() const { return grid_; }
    ThumbnailRun& thumbnails() { return *thumbnails_; }

    void setLoadingWindow(TForm5* loading);
    void setPlayerWindow(QWidget* player) { player_ = player; }

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // Left = screen width - width - 4, top 0.
    void placeAtRightEdge();
    // Copies the window's size, toolbar place, colours and cell size into the state.
    void storeGeometry();

    // Shows the session's open album: folder synchronisation (folderSync, normal books),
    // missing files dropped, the window shown; pictures missing from the store are then made
    // in the background while the user works.
    void showAlbum(bool folderSync);

    // Adds videos given by full path, in the order given, making their thumbnails on the
    // worker pool; files whose thumbnail cannot be made are handled by the exclusion question.
    // Returns at once; filesAdded() follows when all are in. Nothing while busy, nor in an
    // album open read-only.
    void addFiles(const QStringList& fullPaths);

    // Files are being added: the album refuses other changes until they are in.
    bool isBusy() const;
    bool isRefreshing() const { return thumbnails_->kind() == ThumbnailRun::Kind::Refresh; }

    // The editing commands, switched together (by the player and while sorting). In an album
    // open read-only they stay off whatever is asked: nothing of it would be saved.
    void setEditingEnabled(bool enabled);
    void disableEditing() { setEditingEnabled(false); }
    void enableEditing() { setEditingEnabled(true); }

    // Cell i, or null for an index outside the album.
    TVFPanel* cellAt(int index) const;
    // The selected video, -1 for none.
    int currentVideo() const;
    void setCurrentVideo(int index);

    // Appearance; setting the current value again does nothing.
    void setBackgroundColor(int32_t stored);
    void setFontColor(int32_t stored);
    void setCellSize(int small);
    // Lays the grid out and, with the book window's automatic height, fits the window to it.
    void layOutGrid();
    void updateCaption();

    // The open dialog's filter: the built-in video patterns and the user's extensions.
    QString openDialogFilter() const;

    // "画像を更新" (U): the current video's picture made again from its file.
    void refreshPicture();

    // The album's progress bar and the two status panels (AlbumStatusBar).
    void startProgress(int maximum) { status_->startProgress(maximum); }
    void stepProgress(int position) { status_->stepProgress(position); }
    void endProgress() { status_->endProgress(); }
    void setStatusTexts(const QString& first, const QString& second) {
        status_->setTexts(first, second);
    }
    QLabel* statusPanel(int i) const { return status_->panel(i); }

    // Actions and menus (AlbumMenuBuilder), named as the rest of the program refers to them.
    QAction* a_del = nullptr;      // "削除" Delete
    QAction* a_back = nullptr;     // "前へ移動" B
    QAction* a_next = nullptr;     // "次へ移動" N
    QAction* chngpic = nullptr;    // "画像の変更　ファイルから"
    QAction* FileOpen1 = nullptr;  // "開く" O
    QAction* clippic = nullptr;    // "画像を変更　クリップボードから"
    QAction* setsortfab = nullptr; // "再生頻度順に並び替え"
    QAction* setsort = nullptr;    // "頭文字順に並び替え" S
    QAction* a_filedel = nullptr;  // "ファイルごと削除 （ゴミ箱へ）" Ctrl+Delete
    QAction* a_play = nullptr;     // "プレイ" P
    QAction* a_autoplay = nullptr; // "連続再生" A
    QAction* setnext2 = nullptr;   // Right
    QAction* setback2 = nullptr;   // Left
    QAction* setup2 = nullptr;     // Up
    QAction* setdown2 = nullptr;   // Down
    QAction* folderOpen = nullptr; // "フォルダーを開く" Ctrl+F
    QAction* closeItem = nullptr;  // "閉じる" Esc
    QAction* N10 = nullptr;        // "この画像をアルバム画像に設定" I
    QAction* N11 = nullptr;        // "画像を更新" U
    QAction* N14 = nullptr;        // "フォルダーを開く" (grid menu)
    QAction* N18 = nullptr;        // "一番前へ移動"
    QAction* N19 = nullptr;        // "一番後へ移動"
    QAction* N27 = nullptr;        // "他のプレイヤーで再生"
    QAction* delfitem = nullptr;   // "ファイルごと削除 （ゴミ箱へ）" (cell menu)
    QMenu* fadd = nullptr;         // "お気に入りに追加"
    QMenu* PopMenu = nullptr;      // the cell menu
    QMenu* PopupMenu1 = nullptr;   // the grid menu
    // The toolbar and its controls (AlbumToolBar), and the status bar's progress bar.
    AlbumToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton11 = nullptr; // open folder
    QComboBox* sizeBox = nullptr;
    QMenu* sortMenu = nullptr;
    QAction* bgColorButton = nullptr;
    QAction* fontColorButton = nullptr;
    QAction* toolbarMove = nullptr;
    QProgressBar* progre1 = nullptr;

Q_SIGNALS:
    // The album is shown and its pictures are complete (after the show-time thumbnails).
    void albumReady();
    // addFiles finished: the videos are in and saved.
    void filesAdded();
    // A refresh ("画像を更新") finished, successfully or not.
    void pictureRefreshed();
    // Paths dropped on the window (the drop rules decide what is added).
    void pathsDropped(const QStringList& paths);
    // The window was closed and the album with it: the book window comes back.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void connectActions();
    void buildToolBar();
    void chooseColor(bool background);

    // An album open read-only refuses edits and drops, and its status bar says why.
    void applyReadOnly();

    void runStarted(ThumbnailRun::Kind kind, int files);
    void runFinished(ThumbnailRun::Kind kind);

    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    QPointer<TForm5> loading_;
    QPointer<QWidget> player_;
    ScrollBox* grid_ = nullptr;
    GridBinding* binding_ = nullptr;
    ThumbnailRun* thumbnails_ = nullptr;
    AlbumStatusBar* status_ = nullptr;
    QList<QAction*> editing_;

    int32_t backgroundStored_;
    int32_t fontStored_ = 0;
};

} // namespace tavimo
