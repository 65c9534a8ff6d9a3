#include "ui/SplashWindow.h"

#include "ui/WindowFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace tavimo {

QImage SplashWindow::artwork() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // Night-blue ground.
    QLinearGradient ground(0, 0, 0, kHeight);
    ground.setColorAt(0.0, QColor(0x1d, 0x2b, 0x4f));
    ground.setColorAt(1.0, QColor(0x0b, 0x10, 0x22));
    p.fillRect(picture.rect(), ground);

    // A strip of film along the top and bottom edges.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x05, 0x07, 0x10));
    p.drawRect(0, 0, kWidth, 10);
    p.drawRect(0, kHeight - 10, kWidth, 10);
    p.setBrush(QColor(0xe8, 0xe4, 0xd8));
    for (int x = 6; x < kWidth; x += 16) {
        p.drawRoundedRect(QRectF(x, 2.5, 8, 5), 1.2, 1.2);
        p.drawRoundedRect(QRectF(x, kHeight - 7.5, 8, 5), 1.2, 1.2);
    }

    // Three frames of thumbnails on the left, the newest one lit.
    const QColor frameColors[] = {QColor(0x3a, 0x5a, 0x8c), QColor(0x4f, 0x7d, 0xb8),
                                  QColor(0xf2, 0xa6, 0x3b)};
    for (int i = 0; i < 3; ++i) {
        const QRectF frame(14 + i * 14, 24 + i * 5, 40, 30);
        p.setBrush(frameColors[i]);
        p.setPen(QPen(QColor(0xe8, 0xe4, 0xd8), 1.2));
        p.drawRoundedRect(frame, 2, 2);
    }
    // A play triangle on the front frame.
    QPainterPath play;
    play.moveTo(56, 44);
    play.lineTo(56, 60);
    play.lineTo(69, 52);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x14, 0x28));
    p.drawPath(play);

    // The name and a line beneath it.
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xf4, 0xf1, 0xe8));
    p.drawText(QRect(104, 14, 196, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavimo"));
    p.setFont(windowFont(12));
    p.setPen(QColor(0xf2, 0xa6, 0x3b));
    p.drawText(QRect(106, 54, 196, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ビデオライブラリ"));
    return picture;
}

TForm6::TForm6(QWidget* mainWindow)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      image_(new QLabel(this)) {
    setObjectName(QStringLiteral("SplashWindow"));
    setFixedSize(kWidth, kHeight);
    image_->setObjectName(QStringLiteral("Image1"));
    image_->setGeometry(0, 0, kWidth, kHeight);
    image_->setPixmap(QPixmap::fromImage(artwork()));

    QRect around;
    if (mainWindow != nullptr)
        around = mainWindow->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    move(around.left() + (around.width() - kWidth) / 2,
         around.top() + (around.height() - kHeight) / 2);
    show();
}

} // namespace tavimo
