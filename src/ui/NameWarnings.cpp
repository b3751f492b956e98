#include "ui/NameWarnings.h"

#include "ui/ControlMirror.h"
#include "wizard/ControlIds.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace vantrel {
namespace {

QString listed(const QStringList& warnings, qsizetype shown) {
    QStringList lines{QObject::tr("The name may not work as it is:")};
    for (qsizetype i = 0; i < shown; ++i)
        lines.append(QStringLiteral("\u2022 ") + warnings[i]);
    if (shown < warnings.size())
        lines.append(QObject::tr("\u2026 and %n more (point at the field to see all)", nullptr,
                                 int(warnings.size() - shown)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QLabel* makeNameWarnings(QWidget* dialog, const QRect& box) {
    auto* label = new QLabel(dialog);
    label->setObjectName(controlName(IDC_NAME_WARNINGS));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(box);
    label->hide();
    return label;
}

void showNameWarnings(QWidget* field, QLabel* label, const QStringList& warnings) {
    const QString all = warnings.join(QLatin1Char('\n'));
    field->setProperty("nameWarnings", all);
    field->setToolTip(all);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        auto* mark = edit->findChild<QAction*>(QStringLiteral("warningMark"));
        if (!mark) {
            mark = edit->addAction(field->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                   QLineEdit::TrailingPosition);
            mark->setObjectName(QStringLiteral("warningMark"));
        }
        mark->setToolTip(all);
        mark->setVisible(!warnings.isEmpty());
    }

    // As many warnings as the box holds whole; the rest are counted.
    qsizetype shown = warnings.size();
    label->setText(listed(warnings, shown));
    while (shown > 0 && label->heightForWidth(label->width()) > label->height())
        label->setText(listed(warnings, --shown));
    label->setToolTip(shown < warnings.size() ? all : QString());
    label->setVisible(!warnings.isEmpty());
}

} // namespace vantrel
