#pragma once

#include "core/DialogService.h"

class QWidget;

namespace tavimo {

// The dialog service of the running program: Qt's message, input, file and colour dialogs.
class QtDialogService final : public DialogService {
public:
    // fallback: the window that owns a dialog when no window of the program is active or shown.
    explicit QtDialogService(QWidget* fallback = nullptr) : parent_(fallback) {}
    void setParent(QWidget* fallback) { parent_ = fallback; }

    // The window a dialog belongs to: the one that asks, which is the active (or else the shown)
    // window of the program, not always the book window, which hides while an album is open.
    QWidget* owner() const;

    Answer message(const QString& text, Buttons buttons, Icon icon,
                   const QString& caption) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> openFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    QStringList openFiles(const QString& caption, const QString& folder,
                          const QString& filter) override;
    std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                    const QString& fileName, const QString& filter,
                                    QString* chosenFilter) override;
    std::optional<QString> selectFolder(const QString& caption, const QString& folder) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;

private:
    QWidget* parent_;
};

} // namespace tavimo
