#include "ui/album/AlbumStatusBar.h"

#include <QLabel>
#include <QProgressBar>

namespace tavimo {

AlbumStatusBar::AlbumStatusBar(QWidget* parent) : QStatusBar(parent) {
    // As QMainWindow's own status bar: the fixed panels must not set the window's least width,
    // or a narrow window could not be made.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setFixedWidth(i == 0 ? 370 : 270);
        addWidget(panels_[i]);
    }
    // Not one of the bar's widgets: it lies over the second panel instead of taking room.
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progre1"));
    progress_->resize(150, 13);
    progress_->setRange(0, 127);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->hide();
}

void AlbumStatusBar::setTexts(const QString& first, const QString& second) {
    panels_[0]->setText(first.isEmpty() ? notice_ : first);
    panels_[1]->setText(second);
}

void AlbumStatusBar::setNotice(const QString& notice) {
    const bool showing = panels_[0]->text() == notice_;
    notice_ = notice;
    if (showing)
        panels_[0]->setText(notice_);
}

void AlbumStatusBar::startProgress(int maximum) {
    placeProgress();
    progress_->setRange(0, std::max(maximum, 1));
    if (!progress_->isVisible())
        progress_->setValue(0);
    progress_->show();
    progress_->raise();
}

void AlbumStatusBar::stepProgress(int position) {
    // The bar stops at 127 whatever the maximum, as it always has.
    if (position < 1 || position > 127)
        return;
    progress_->setValue(std::min(position, progress_->maximum()));
}

void AlbumStatusBar::endProgress() {
    progress_->hide();
    progress_->setValue(0);
}

void AlbumStatusBar::placeProgress() {
    const int left = panels_[0]->width() + 130;
    progress_->setGeometry(left, 4, std::max(10, width() - left - 40), 13);
}

void AlbumStatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    if (progress_->isVisible())
        placeProgress(); // keeps its place at the bar's right
}

} // namespace tavimo
