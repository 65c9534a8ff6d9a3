#pragma once

#include "core/DialogService.h"

namespace tavimo {

// A dialog service for code that only shows messages and asks yes/no questions: every other
// dialog is answered as if the user had cancelled it.
class MessageOnlyDialogs : public DialogService {
public:
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QStringList openFiles(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&,
                                    QString*) override {
        return std::nullopt;
    }
    std::optional<QString> selectFolder(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
};

} // namespace tavimo
