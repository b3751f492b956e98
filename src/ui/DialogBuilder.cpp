#include "ui/DialogBuilder.h"

#include "ui/ControlMirror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vantrel {

namespace {

// The dialog takes the dialog font before its units are measured from it.
const QFont& applyDialogFont(QWidget* dialog) {
    dialog->setFont(DialogUnits::dialogFont());
    return dialog->font();
}

} // namespace

DialogBuilder::DialogBuilder(QWidget* dialog)
    : m_dialog(dialog)
    , m_units(applyDialogFont(dialog)) {}

QLineEdit* DialogBuilder::edit(int id, int x, int y, int width, int height) {
    auto* widget = new QLineEdit(m_dialog);
    widget->setObjectName(controlName(id));
    m_units.place(widget, x, y, width, height);
    return widget;
}

QCheckBox* DialogBuilder::check(int id, const QString& caption, int x, int y, int width,
                                int height) {
    auto* widget = new QCheckBox(caption, m_dialog);
    widget->setObjectName(controlName(id));
    m_units.place(widget, x, y, width, height);
    return widget;
}

QRadioButton* DialogBuilder::radio(int id, const QString& caption, int x, int y, int width,
                                   int height) {
    auto* widget = new QRadioButton(caption, m_dialog);
    widget->setObjectName(controlName(id));
    widget->setAutoExclusive(true);
    m_units.place(widget, x, y, width, height);
    keepOneTabStop(m_dialog);
    return widget;
}

QPushButton* DialogBuilder::button(int id, const QString& caption, int x, int y, int width,
                                   int height) {
    auto* widget = new QPushButton(caption, m_dialog);
    widget->setObjectName(controlName(id));
    widget->setAutoDefault(false);
    m_units.place(widget, x, y, width, height);
    return widget;
}

QComboBox* DialogBuilder::combo(int id, int x, int y, int width, int listHeight) {
    auto* widget = new QComboBox(m_dialog);
    widget->setObjectName(controlName(id));
    widget->setEditable(true);
    widget->setInsertPolicy(QComboBox::NoInsert);
    // The closed combo is as tall as an edit; the list height only limits the drop-down.
    QRect r = m_units.rect(x, y, width, 12);
    r.setHeight(std::max(r.height(), widget->sizeHint().height()));
    widget->setGeometry(r);
    widget->setMaxVisibleItems(std::max(1, m_units.y(listHeight - 12) / m_units.y(8)));
    return widget;
}

QLabel* DialogBuilder::label(const QString& caption, int x, int y, int width, int height,
                             QWidget* buddy) {
    auto* widget = new QLabel(caption, m_dialog);
    widget->setBuddy(buddy);
    m_units.place(widget, x, y, width, height);
    return widget;
}

QLabel* DialogBuilder::labelBefore(const QString& caption, int x, int y, int width, int height,
                                   QWidget* field) {
    QLabel* widget = label(caption, x, y, width, height, field);
    const int end = field->x() - m_units.x(1);
    if (widget->geometry().right() >= end)
        widget->move(std::max(0, end - widget->width()), widget->y());
    return widget;
}

void DialogBuilder::keepOneTabStop(QWidget* owner) {
    const QList<QRadioButton*> group =
        owner->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    QRadioButton* stop = group.isEmpty() ? nullptr : group.front();
    for (QRadioButton* radio : group) {
        if (radio->isChecked())
            stop = radio;
    }
    // The toolkit does the same once a button of the group has had the focus.
    for (QRadioButton* radio : group)
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void DialogBuilder::resizeDialog(int width, int height) {
    m_dialog->setFixedSize(m_units.x(width), m_units.y(height));
}

} // namespace vantrel
