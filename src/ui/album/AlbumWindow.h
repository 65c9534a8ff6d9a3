#pragma once

#include "core/Album.h"
#include "core/Settings.h"
#include "ui/WindowNames.h"
#include "ui/album/AlbumMenuBuilder.h"
#include "ui/album/AlbumStatusBar.h"
#include "ui/album/AlbumToolBar.h"
#include "ui/album/ThumbnailRun.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;

namespace tavimo {

struct AppState;
class AlbumCommands;
class DialogService;
class GridBinding;
class LibrarySession;
class PictureCommands;
class PlayerLink;
class ScrollBox;
class TVFPanel;

// The album window: the grid of video cells of the session's open album, its toolbar, status
// bar and menus. The session opens the album and the window shows it (showAlbum()); closing the
// window closes the album and hands back to the book window. Thumbnails are made by a
// ThumbnailRun on worker threads, so the window stays responsive while they are made. Its parts
// live apart so that each can be read alone: AlbumMenuBuilder (actions and popup menus),
// AlbumToolBar, AlbumStatusBar, PictureCommands and, outside the window, AlbumCommands and
// PlayerLink. What each action does is wired in one table (wire()).
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    TForm2(LibrarySession& session, AppState& state, DialogService& dialogs,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The objects outside the window that carry out its commands. An action whose object is
    // missing does nothing, so a test wires only what it drives.
    struct Commands {
        AlbumCommands* videos = nullptr;
        PlayerLink* player = nullptr;
    };
    // Connects every action to what it does: the window's own commands, its picture commands
    // and those of the given objects. Called once, when they are made.
    void wire(const Commands& commands);
    const AlbumActions& actions() const { return actions_; }
    AlbumToolBar* toolBar() const { return toolBar_; }
    QProgressBar* progressBar() const { return status_->progressBar(); }
    PictureCommands& pictureCommands() { return *pictures_; }

    // The open album, owned by the session.
    Album& album();
    const Album& album() const;
    LibrarySession& session() { return session_; }
    ScrollBox* grid() const { return grid_; }
    ThumbnailRun& thumbnails() { return *thumbnails_; }

    void setLoadingWindow(LoadingWindow* loading);
    void setPlayerWindow(QWidget* player) { player_ = player; }

    // Applies one settings value from the state as start-up reads it.
    void applySetting(SettingKey key);
    // Left = screen width - width - 4, top 0.
    void placeAtRightEdge();
    // Copies the window's size, toolbar place and cell size into the state (the colours are
    // kept there as they are chosen).
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
    // While a sort runs, the editing commands and both plays are off.
    void setSorting(bool sorting);
    // "連続再生" from the current video, as its key does; nothing while it is disabled.
    void startContinuousPlay();

    // Cell i, or null for an index outside the album.
    TVFPanel* cellAt(int index) const;
    // The selected video, -1 for none.
    int currentVideo() const;
    void setCurrentVideo(int index);

    // Appearance; setting the current value again does nothing.
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
    void buildToolBar();
    void chooseColor(bool background);

    // An album open read-only refuses edits and drops, and its status bar says why.
    void applyReadOnly();

    void runStarted(ThumbnailRun::Kind kind, int files);
    void runFinished(ThumbnailRun::Kind kind);

    LibrarySession& session_;
    AppState& state_;
    DialogService& dialogs_;
    AlbumActions actions_;
    QPointer<LoadingWindow> loading_;
    QPointer<QWidget> player_;
    ScrollBox* grid_ = nullptr;
    GridBinding* binding_ = nullptr;
    ThumbnailRun* thumbnails_ = nullptr;
    AlbumStatusBar* status_ = nullptr;
    AlbumToolBar* toolBar_ = nullptr;
    PictureCommands* pictures_ = nullptr;
    QList<QAction*> editing_;
};

} // namespace tavimo
