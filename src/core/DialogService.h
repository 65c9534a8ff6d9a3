#pragma once

#include "core/Problem.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavimo {

// Everything that asks the user something or tells the user something goes through this
// interface: the program shows Qt dialogs, tests script the answers.
class DialogService {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~DialogService() = default;

    // A message box. caption empty means the application title.
    virtual Answer message(const QString& text, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None, const QString& caption = {}) = 0;

    // An input box; std::nullopt when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& initial = {}) = 0;

    // File dialogs. filter uses Qt's form "name (*.a *.b);;other (*.c)".
    virtual std::optional<QString> openFile(const QString& caption, const QString& folder,
                                            const QString& filter) = 0;
    virtual QStringList openFiles(const QString& caption, const QString& folder,
                                  const QString& filter) = 0;
    // saveFile also tells the filter that was chosen when chosenFilter is given.
    virtual std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                            const QString& fileName, const QString& filter,
                                            QString* chosenFilter = nullptr) = 0;
    virtual std::optional<QString> selectFolder(const QString& caption, const QString& folder) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;

    // Tells what core returned as having gone wrong: a message box each, in order.
    void tell(const Problem& problem) {
        message(problem.message, problem.withCancel ? Buttons::OkCancel : Buttons::Ok,
                iconOf(problem.icon));
    }
    void tell(const QList<Problem>& problems) {
        for (const Problem& problem : problems)
            tell(problem);
    }

private:
    static Icon iconOf(Problem::Icon icon) {
        switch (icon) {
        case Problem::Icon::Information:
            return Icon::Information;
        case Problem::Icon::Warning:
            return Icon::Warning;
        case Problem::Icon::Error:
            return Icon::Error;
        case Problem::Icon::None:
            break;
        }
        return Icon::None;
    }
};

} // namespace tavimo
