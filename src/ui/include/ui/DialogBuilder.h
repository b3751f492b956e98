#pragma once

#include "ui/DialogUnits.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vantrel {

// Makes the controls of a dialog at positions in dialog units, in tab order, each findable by
// its id as object name.
class DialogBuilder {
public:
    explicit DialogBuilder(QWidget* dialog);

    const DialogUnits& units() const { return m_units; }

    QLineEdit* edit(int id, int x, int y, int width, int height);
    QCheckBox* check(int id, const QString& caption, int x, int y, int width, int height);
    // The radio buttons of one owner form one group: a click or an arrow key checks one and
    // clears the others, and the group is a single tab stop (see keepOneTabStop).
    QRadioButton* radio(int id, const QString& caption, int x, int y, int width, int height);
    QPushButton* button(int id, const QString& caption, int x, int y, int width, int height);
    // A drop-down combo with an editable field and a sorted list.
    QComboBox* combo(int id, int x, int y, int width, int listHeight);
    // A caption's "&" marks its mnemonic; Alt+letter then focuses the buddy.
    QLabel* label(const QString& caption, int x, int y, int width, int height,
                  QWidget* buddy = nullptr);

    // A caption on the left of its field, on the same line: when the caption needs more room
    // than its box, it grows to the left, so that the field does not cover its end.
    QLabel* labelBefore(const QString& caption, int x, int y, int width, int height,
                        QWidget* field);

    // The dialog's client size.
    void resizeDialog(int width, int height);

    // Makes the checked radio button of the owner's group, or the first one when none is
    // checked, the group's only tab stop; arrow keys reach the others.
    static void keepOneTabStop(QWidget* owner);

private:
    QWidget* m_dialog;
    DialogUnits m_units;
};

} // namespace vantrel
