#pragma once

#include "core/DialogService.h"

#include <QList>
#include <deque>
#include <variant>

namespace tavimo::test {

// A dialog service that records what was asked and answers from a script, in order.
// A question with no scripted answer fails the running test and gets the cancel answer.
class ScriptedDialogService final : public DialogService {
public:
    struct Asked {
        enum Kind { Message, Input, OpenFile, OpenFiles, SaveFile, SelectFolder, ChooseColor };
        Kind kind;
        QString text;    // the message text, or the caption of other dialogs
        QString initial; // the text an input box starts with
    };
    // A save dialog's answer with the filter chosen (a plain QString answer chooses the first).
    struct SaveAs {
        QString path;
        QString filter;
    };
    using Reply = std::variant<Answer, QString, QStringList, QColor, SaveAs, std::monostate>;

    // Queue answers: Answer for message boxes; QString for input/file/folder dialogs;
    // QStringList for multi-file dialogs; QColor for colours; SaveAs for a save dialog's
    // filter; std::monostate cancels.
    void answer(Reply reply) { replies_.push_back(std::move(reply)); }

    const QList<Asked>& asked() const { return asked_; }
    QStringList messages() const;
    bool allAnswersUsed() const { return replies_.empty(); }
    void clear() {
        asked_.clear();
        replies_.clear();
    }

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
    std::optional<Reply> next(Asked::Kind kind, const QString& text);
    std::optional<QString> nextText(Asked::Kind kind, const QString& text);

    QList<Asked> asked_;
    std::deque<Reply> replies_;
};

} // namespace tavimo::test
