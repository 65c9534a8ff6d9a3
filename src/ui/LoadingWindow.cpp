#include "ui/LoadingWindow.h"

#include "ui/WindowFont.h"

#include <QLabel>
#include <QPalette>
#include <QProgressBar>

namespace tavimo {

namespace {
const QString kLoadingText = QStringLiteral("　loading・・・");
}

TForm5::TForm5(QWidget* bookWindow, QWidget* albumWindow)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      label_(new QLabel(this)), bar_(new QProgressBar(this)), bookWindow_(bookWindow),
      albumWindow_(albumWindow) {
    setObjectName(QStringLiteral("LoadingWindow"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(52, 0, 85, 15);
    label_->setFont(windowFont(15, true));
    label_->setText(kLoadingText);

    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setGeometry(0, 16, 201, 17);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
}

void LoadingWindow::placeOverBookWindow() {
    if (bookWindow_ == nullptr)
        return;
    const QRect book = bookWindow_->frameGeometry();
    move(book.left() + book.width() / 2 - 100, book.top() + book.height() / 4);
}

void LoadingWindow::showEvent(QShowEvent* event) {
    placeOverBookWindow();
    label_->setText(kLoadingText);
    QWidget::showEvent(event);
}

void LoadingWindow::BeginProgress(int maximum) {
    maximum_ = maximum;
    position_ = 0;
    // A QProgressBar whose maximum equals its minimum shows a busy animation, not an empty
    // bar, so a job with nothing to do still gets a range of one.
    bar_->setRange(0, qMax(maximum, 1));
    bar_->setValue(0);
    if (isVisible())
        placeOverBookWindow();
    else
        show();
    raise();
}

void LoadingWindow::StepProgress(int position) {
    if (position < 0)
        return;
    position_ = position;
    bar_->setValue(qMin(position, bar_->maximum()));
    repaint();
}

void LoadingWindow::EndProgress() {
    hide();
    if (albumWindow_ != nullptr && albumWindow_->isVisible() && !albumWindow_->isActiveWindow()) {
        albumWindow_->raise();
        albumWindow_->activateWindow();
    }
}

} // namespace tavimo
