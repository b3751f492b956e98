#include "ui/ControlMirror.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <QWidget>

namespace vantrel {

QString controlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

void showProblem(QWidget* field, const QString& problem) {
    if (field->property("problem").toString() == problem)
        return;
    field->setProperty("problem", problem);
    field->setToolTip(problem);
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (auto* combo = qobject_cast<QComboBox*>(field))
        edit = combo->lineEdit();
    if (!edit)
        return;
    auto* mark = edit->findChild<QAction*>(QStringLiteral("problemMark"));
    if (!mark) {
        mark = edit->addAction(field->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                               QLineEdit::TrailingPosition);
        mark->setObjectName(QStringLiteral("problemMark"));
    }
    mark->setToolTip(problem);
    mark->setVisible(!problem.isEmpty());
}

void showWholeTextAsTip(QLineEdit* edit) {
    const int frame = edit->hasFrame()
                          ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit)
                          : 0;
    const QMargins margins = edit->textMargins();
    // The edit keeps 2 pixels on either side of its text inside the frame.
    const int room =
        edit->contentsRect().width() - 2 * frame - 4 - margins.left() - margins.right();
    const bool cut = edit->fontMetrics().horizontalAdvance(edit->text()) > room;
    edit->setToolTip(cut ? edit->text() : QString());
}

QList<QWidget*> findControls(const QWidget* owner, const std::vector<int>& ids) {
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
        connect(edit, &QLineEdit::textChanged, this, [this, id, edit](const QString& text) {
            if (!m_refreshing)
                textEdited(id, edit, text);
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::editTextChanged, this, [this, id, combo](const QString& text) {
            if (!m_refreshing)
                textEdited(id, combo, text);
        });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id](bool checked) {
            m_model.click(id, checked);
            refresh();
            emit edited();
        });
    }
}

void ControlMirror::textEdited(int id, QWidget* widget, const QString& text) {
    m_model.control(id).text = text.toStdString();
    m_model.textEdited(id);
    showProblem(widget, QString::fromStdString(m_model.control(id).problem));
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        showWholeTextAsTip(edit);
    emit edited();
}

void ControlMirror::refresh() {
    m_refreshing = true;
    for (const auto& [id, widget] : m_widgets) {
        const ControlState& state = m_model.control(id);
        widget->setEnabled(state.enabled);
        showProblem(widget, QString::fromStdString(state.problem));
        const QString text = QString::fromStdString(state.text);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (edit->text() != text) {
                edit->setText(text);
                edit->setCursorPosition(0); // names longer than the edit show their start
            }
            showWholeTextAsTip(edit);
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
