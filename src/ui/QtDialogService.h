#pragma once

#include "core/DialogService.h"

class QWidget;

namespace tavimo {

// The dialog service of the running program: Qt's message, input, file and colour dialogs.
class QtDialogService final : public DialogService {
public:
    explicit QtDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer message(const QString& text, Buttons buttons, Icon icon,
                   const QString& caption) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> openFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    QStringList openFiles(const QString& caption, const QString& folder,
                          const QString& filter) override;
    std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                    const QString& fileName, const QString& filter) override;
    std::optional<QString> selectFolder(const QString& caption, const QString& folder) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;

private:
    QWidget* parent_;
};

} // namespace tavimo
