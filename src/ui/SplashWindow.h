#pragma once

#include "ui/WindowNames.h"

#include <QImage>
#include <QWidget>

class QLabel;

namespace tavimo {

// The splash window: a 306 x 88 picture, borderless and above other windows, centred on the
// book window. It shows itself when created; start-up hides it just before the book window
// appears, and it is never shown again.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 306;
    static constexpr int kHeight = 88;

    explicit TForm6(QWidget* mainWindow = nullptr);

    // The splash artwork, drawn by the program itself.
    static QImage artwork();

    QLabel* image() const { return image_; }

private:
    QLabel* image_;
};

} // namespace tavimo
