#pragma once

#include <QFrame>

class QComboBox;
class QPushButton;

namespace tavimo {

// The book window's small panel for choosing a medium: a drop-down list whose first entry is
// empty, followed by the roots of the removable volumes found at start, with "OK" and
// "Cancel". Hidden until a command asks for a medium.
class DrivePanel : public QFrame {
    Q_OBJECT
public:
    DrivePanel(const QStringList& drives, int selected, QWidget* parent);

    // Shows the panel over the top left of its window and gives the list the focus.
    void popUp();
    // The chosen root; empty when the empty entry (or nothing) is chosen.
    QString chosenRoot() const;

    QComboBox* driveBox = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

Q_SIGNALS:
    // OK: the panel is hidden; root is empty when no drive was chosen.
    void accepted(const QString& root);
};

} // namespace tavimo
