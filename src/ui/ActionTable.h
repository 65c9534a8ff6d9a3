#pragma once

#include <QAction>
#include <functional>
#include <initializer_list>

namespace tavimo {

// One row of a window's table of what its actions do: choosing action runs run. owner carries
// the command out and ends the connection when it goes; without it (a test that did not make
// that object) the action does nothing.
struct ActionCommand {
    QAction* action;
    const QObject* owner;
    std::function<void()> run;
};

inline void connectCommands(std::initializer_list<ActionCommand> table) {
    for (const ActionCommand& row : table)
        if (row.owner != nullptr)
            QObject::connect(row.action, &QAction::triggered, row.owner, row.run);
}

// A checkable action and what follows its check mark, also when the program sets it. What
// follows belongs to the window that owns the action.
struct ActionOption {
    QAction* action;
    std::function<void(bool)> follow;
};

inline void connectOptions(std::initializer_list<ActionOption> table) {
    for (const ActionOption& row : table)
        QObject::connect(row.action, &QAction::toggled, row.action, row.follow);
}

// An action or menu and the component name the earlier version knew it by, its objectName.
struct ComponentName {
    QObject* object;
    const char* name;
};

inline void setComponentNames(std::initializer_list<ComponentName> table) {
    for (const ComponentName& row : table)
        row.object->setObjectName(QLatin1String(row.name));
}

} // namespace tavimo
