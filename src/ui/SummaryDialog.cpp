#include "ui/SummaryDialog.h"

#include "ui/DialogUnits.h"
#include "ui/ModalHooks.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel {
namespace {

// A read-only list of lines, as tall as a few of them.
QPlainTextEdit* lines(QWidget* parent, const QString& name, const std::vector<std::string>& text,
                      int visibleLines) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(name);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QStringList all;
    for (const std::string& line : text)
        all.append(QString::fromStdString(line));
    view->setPlainText(all.join(QLatin1Char('\n')));
    const int frame = 2 * view->frameWidth() + int(view->document()->documentMargin() * 2);
    view->setFixedHeight(view->fontMetrics().lineSpacing() * visibleLines + frame);
    return view;
}

} // namespace

SummaryDialog::SummaryDialog(const SummaryModel& model, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(model.succeeded() ? tr("Project written") : tr("Run stopped"));
    setObjectName(QStringLiteral("summaryDialog"));
    setFont(DialogUnits::dialogFont());
    const DialogUnits units(font());

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QString::fromStdString(model.heading()), this);
    heading->setObjectName(QStringLiteral("summaryHeading"));
    heading->setWordWrap(true);
    layout->addWidget(heading);

    auto* counts = new QFormLayout;
    counts->setLabelAlignment(Qt::AlignLeft);
    int row = 0;
    for (const SummaryModel::Row& line : model.rows()) {
        auto* count = new QLabel(QString::number(line.count), this);
        count->setObjectName(QStringLiteral("summaryCount%1").arg(row++));
        counts->addRow(QString::fromStdString(line.caption), count);
    }
    layout->addLayout(counts);

    if (!model.kept().empty()) {
        layout->addWidget(new QLabel(tr("Kept as they are:"), this));
        layout->addWidget(lines(this, QStringLiteral("summaryKept"), model.kept(), 4));
    }
    if (!model.messages().empty()) {
        layout->addWidget(new QLabel(tr("Messages of the run:"), this));
        layout->addWidget(lines(this, QStringLiteral("summaryMessages"), model.messages(), 4));
    }

    layout->addWidget(new QLabel(tr("Project folder:"), this));
    auto* folder = new QLabel(QString::fromStdString(model.folder()), this);
    folder->setObjectName(QStringLiteral("summaryFolder"));
    folder->setTextFormat(Qt::PlainText);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(folder);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(tr("&Open folder"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("openFolder"));
    open->setEnabled(model.folderExists());
    open->setAutoDefault(false);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    // Wide enough for its title and for a message line of a path and a few words.
    setMinimumWidth(units.x(320));

    const QString path = QString::fromStdString(model.folder());
    connect(open, &QPushButton::clicked, this, [this, path] {
        if (!ModalHooks::openFolder(path))
            ModalHooks::showMessage(this, tr("The folder could not be opened:\n%1").arg(path));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    close->setFocus();
}

} // namespace vantrel
