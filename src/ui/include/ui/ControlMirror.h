#pragma once

#include "wizard/PageModel.h"

#include <QObject>

#include <QList>

#include <map>
#include <vector>

class QLineEdit;
class QWidget;

namespace vantrel {

// Keeps the widgets of a page in step with its model: the model's control states are copied
// into the widgets after every handler, and what the user types or clicks goes to the model.
class ControlMirror : public QObject {
    Q_OBJECT
public:
    ControlMirror(PageModel& model, QObject* parent = nullptr);

    // Binds a widget (edit, check box, radio button or combo box) to a control id.
    void bind(int id, QWidget* widget);

    // Copies every control state into its widget.
    void refresh();

signals:
    // The user typed into a bound widget or clicked one; the model holds the change.
    void edited();

private:
    void textEdited(int id, QWidget* widget, const QString& text);

    PageModel& m_model;
    std::map<int, QWidget*> m_widgets;
    bool m_refreshing = false; // the widgets' own change signals must not echo back
};

// Marks a field whose text is not accepted: a warning sign in the field and the problem as its
// tooltip; an empty problem takes the mark away. The text is kept in the property "problem".
void showProblem(QWidget* field, const QString& problem);

// Gives an edit whose text is wider than the edit that text as its tooltip, and none otherwise.
void showWholeTextAsTip(QLineEdit* edit);

// The object name under which a control id is found: "id1000".
QString controlName(int id);
// The owner's controls of the given ids, in that order; ids it does not have are left out.
QList<QWidget*> findControls(const QWidget* owner, const std::vector<int>& ids);

} // namespace vantrel
