#include "ui/book/DrivePanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <algorithm>

namespace tavimo {

DrivePanel::DrivePanel(const QStringList& drives, int selected, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("drivePanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    driveBox = new QComboBox(this);
    driveBox->setObjectName(QStringLiteral("driveBox"));
    driveBox->setPlaceholderText(QStringLiteral("ドライブの選択"));
    driveBox->setMinimumWidth(160);
    for (const QString& root : drives)
        driveBox->addItem(root);
    driveBox->setCurrentIndex(drives.isEmpty() ? -1
                                               : std::clamp(selected, 0, int(drives.size()) - 1));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(driveBox);
    layout->addWidget(okButton);
    layout->addWidget(cancelButton);
    connect(okButton, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT accepted(chosenRoot());
    });
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void DrivePanel::popUp() {
    adjustSize();
    // Over the top left of the grid, below the menu bar.
    QPoint place(8, 8);
    if (const auto* window = qobject_cast<QMainWindow*>(parentWidget());
        window != nullptr && window->centralWidget() != nullptr)
        place += window->centralWidget()->geometry().topLeft();
    move(place);
    show();
    raise();
    driveBox->setFocus();
}

QString DrivePanel::chosenRoot() const {
    return driveBox->currentIndex() < 0 ? QString() : driveBox->currentText();
}

} // namespace tavimo
