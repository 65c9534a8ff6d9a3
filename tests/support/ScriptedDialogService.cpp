#include "support/ScriptedDialogService.h"

#include <gtest/gtest.h>

namespace tavimo::test {

QStringList ScriptedDialogService::messages() const {
    QStringList texts;
    for (const Asked& a : asked_)
        if (a.kind == Asked::Message)
            texts.append(a.text);
    return texts;
}

std::optional<ScriptedDialogService::Reply> ScriptedDialogService::next(Asked::Kind kind,
                                                                        const QString& text) {
    asked_.append({kind, text});
    if (replies_.empty()) {
        ADD_FAILURE() << "unscripted dialog: " << text.toStdString();
        return std::nullopt;
    }
    Reply reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
}

std::optional<QString> ScriptedDialogService::nextText(Asked::Kind kind, const QString& text) {
    auto reply = next(kind, text);
    if (!reply)
        return std::nullopt;
    if (const QString* s = std::get_if<QString>(&*reply))
        return *s;
    if (!std::holds_alternative<std::monostate>(*reply))
        ADD_FAILURE() << "scripted reply of the wrong kind for: " << text.toStdString();
    return std::nullopt;
}

DialogService::Answer ScriptedDialogService::message(const QString& text, Buttons buttons, Icon,
                                                     const QString&) {
    auto reply = next(Asked::Message, text);
    const Answer cancel = buttons == Buttons::Ok      ? Answer::Ok
                          : buttons == Buttons::YesNo ? Answer::No
                                                      : Answer::Cancel;
    if (!reply)
        return cancel;
    if (const Answer* a = std::get_if<Answer>(&*reply))
        return *a;
    ADD_FAILURE() << "scripted reply of the wrong kind for: " << text.toStdString();
    return cancel;
}

std::optional<QString> ScriptedDialogService::input(const QString& caption, const QString&,
                                                    const QString& initial) {
    auto answer = nextText(Asked::Input, caption);
    asked_.last().initial = initial;
    return answer;
}

std::optional<QString> ScriptedDialogService::openFile(const QString& caption, const QString&,
                                                       const QString&) {
    return nextText(Asked::OpenFile, caption);
}

QStringList ScriptedDialogService::openFiles(const QString& caption, const QString&,
                                             const QString&) {
    auto reply = next(Asked::OpenFiles, caption);
    if (reply)
        if (const QStringList* list = std::get_if<QStringList>(&*reply))
            return *list;
    return {};
}

std::optional<QString> ScriptedDialogService::saveFile(const QString& caption, const QString&,
                                                       const QString&, const QString& filter,
                                                       QString* chosenFilter) {
    if (chosenFilter)
        *chosenFilter = filter.section(QStringLiteral(";;"), 0, 0);
    if (!replies_.empty())
        if (const SaveAs* saveAs = std::get_if<SaveAs>(&replies_.front())) {
            const SaveAs answer = *saveAs;
            next(Asked::SaveFile, caption);
            if (chosenFilter)
                *chosenFilter = answer.filter;
            return answer.path;
        }
    return nextText(Asked::SaveFile, caption);
}

std::optional<QString> ScriptedDialogService::selectFolder(const QString& caption, const QString&) {
    return nextText(Asked::SelectFolder, caption);
}

std::optional<QColor> ScriptedDialogService::chooseColor(const QColor&) {
    auto reply = next(Asked::ChooseColor, QStringLiteral("color"));
    if (reply)
        if (const QColor* c = std::get_if<QColor>(&*reply))
            return *c;
    return std::nullopt;
}

} // namespace tavimo::test
