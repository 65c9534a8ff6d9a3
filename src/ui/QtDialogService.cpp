#include "ui/QtDialogService.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>

namespace tavimo {

QWidget* QtDialogService::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (parent_ != nullptr && parent_->isVisible())
        return parent_;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isWindow() && qobject_cast<QMainWindow*>(window))
            return window;
    return parent_;
}

DialogService::Answer QtDialogService::message(const QString& text, Buttons buttons, Icon icon,
                                               const QString& caption) {
    QMessageBox box(owner());
    box.setWindowTitle(caption.isEmpty() ? QApplication::applicationName() : caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> QtDialogService::input(const QString& caption, const QString& prompt,
                                              const QString& initial) {
    bool ok = false;
    QString text = QInputDialog::getText(owner(), caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogService::openFile(const QString& caption, const QString& folder,
                                                 const QString& filter) {
    QString path = QFileDialog::getOpenFileName(owner(), caption, folder, filter, nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QStringList QtDialogService::openFiles(const QString& caption, const QString& folder,
                                       const QString& filter) {
    return QFileDialog::getOpenFileNames(owner(), caption, folder, filter, nullptr,
                                         QFileDialog::DontUseNativeDialog);
}

std::optional<QString> QtDialogService::saveFile(const QString& caption, const QString& folder,
                                                 const QString& fileName, const QString& filter,
                                                 QString* chosenFilter) {
    const QString start = fileName.isEmpty() ? folder : folder + u'/' + fileName;
    QString path = QFileDialog::getSaveFileName(owner(), caption, start, filter, chosenFilter,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogService::selectFolder(const QString& caption,
                                                     const QString& folder) {
    QString path = QFileDialog::getExistingDirectory(
        owner(), caption, folder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QColor> QtDialogService::chooseColor(const QColor& initial) {
    QColor color = QColorDialog::getColor(initial, owner());
    if (!color.isValid())
        return std::nullopt;
    return color;
}

} // namespace tavimo
