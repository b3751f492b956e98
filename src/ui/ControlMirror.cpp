#include "ui/ControlMirror.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace vantrel {

QString controlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

QList<QWidget*> findControls(const QWidget* owner, std::initializer_list<int> ids) {
    QList<QWidget*> controls;
    for (int id : ids) {
        if (auto* control = owner->findChild<QWidget*>(controlName(id)))
            controls.append(control);
    }
    return controls;
}

ControlMirror::ControlMirror(PageModel& model, QObject* parent)
    : QObject(parent)
    , m_model(model) {}

void ControlMirror::bind(int id, QWidget* widget) {
    m_widgets[id] = widget;
    widget->setObjectName(controlName(id));
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textChanged, this, [this, id](const QString& text) {
            if (!m_refreshing)
                m_model.control(id).text = text.toStdString();
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::editTextChanged, this, [this, id](const QString& text) {
            if (!m_refreshing)
                m_model.control(id).text = text.toStdString();
        });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id](bool checked) {
            if (m_onClick)
                m_onClick(id, checked);
            refresh();
        });
    }
}

void ControlMirror::refresh() {
    m_refreshing = true;
    for (const auto& [id, widget] : m_widgets) {
        const ControlState& state = m_model.control(id);
        widget->setEnabled(state.enabled);
        const QString text = QString::fromStdString(state.text);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (edit->text() != text) {
                edit->setText(text);
                edit->setCursorPosition(0); // names longer than the edit show their start
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            if (combo->currentText() != text)
                combo->setEditText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setChecked(state.checked);
        }
    }
    m_refreshing = false;
}

} // namespace vantrel
