#include "ui/ActionPropertiesDialog.h"

#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "ui/ModalHooks.h"
#include "ui/NameWarnings.h"
#include "ui/PropertyPages.h"
#include "ui/TabPageHost.h"
#include "wizard/ControlIds.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include <utility>

namespace vantrel {
namespace {

bool askWithBox(QWidget* parent, const std::string& question) {
    return ModalHooks::askOkCancel(parent, QString::fromStdString(question));
}

} // namespace

ActionPropertiesDialog::ActionPropertiesDialog(ActionDefinition& action, QWidget* parent,
                                               ActionNameCheck check, bool newAction)
    : QDialog(parent)
    , m_model(
          action, [this](const std::string& q) { return askWithBox(this, q); }, std::move(check)) {
    setWindowTitle(tr("Properties"));
    setObjectName(QStringLiteral("dialog129"));
    DialogBuilder b(this);
    // Wider than the pages by a column for the warnings about the name.
    b.resizeDialog(407, 226);

    QPushButton* ok = b.button(CTL_OK, tr("OK"), 102, 205, 50, 14);
    ok->setDefault(true);
    QPushButton* cancel = b.button(CTL_CANCEL, tr("Cancel"), 156, 205, 50, 14);
    m_name = b.edit(IDC_ACTION_NAME, 7, 18, 166, 12);
    b.label(tr("&Action name:"), 7, 7, 42, 8, m_name);
    m_nameWarnings = makeNameWarnings(this, b.units().rect(307, 7, 93, 212));
    m_host = new TabPageHost(this);
    m_host->setObjectName(controlName(IDC_PAGE_TABS));
    m_host->setGeometry(b.units().rect(7, 38, 293, 162));
    m_host->tabBar()->setFocusPolicy(Qt::NoFocus);

    m_pages = {PropertyPage::definition(m_model.definition, m_host),
               PropertyPage::panel(m_model.panel, m_host),
               PropertyPage::messages(m_model.messages, m_host)};
    m_host->addPage(tr("&Definition"), m_pages[0], PropertyPage::DEFINITION_ID, true);
    m_host->addPage(tr("&Panel"), m_pages[1], PropertyPage::PANEL_ID, true);
    m_host->addPage(tr("&Messages"), m_pages[2], PropertyPage::MESSAGES_ID, true);

    m_model.open();
    m_name->setText(QString::fromStdString(m_model.nameText()));
    // Connected after the first fill: making the controls does not write the name.
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model.nameEdited(text.toStdString());
        refresh();
        emit edited();
    });
    for (PropertyPage* page : m_pages)
        connect(page, &PropertyPage::edited, this, &ActionPropertiesDialog::edited);
    refresh();

    // Tab goes from the name through the shown page in reading order to OK and Cancel.
    QWidget* previous = m_name;
    for (const PropertyPage* page : m_pages) {
        for (QWidget* control : page->readingOrder()) {
            setTabOrder(previous, control);
            previous = control;
        }
    }
    setTabOrder(previous, ok);
    setTabOrder(ok, cancel);
    // Switching pages by keyboard, as in other tabbed dialogs.
    const auto pageKeys = [this](std::initializer_list<QKeySequence> keys, int step) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, this,
                    [this, step] { m_host->stepSelection(step); });
        }
    };
    pageKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
    pageKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
              QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
             -1);

    connect(ok, &QPushButton::clicked, this, &ActionPropertiesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ActionPropertiesDialog::reject);
    if (newAction) {
        m_name->setFocus(Qt::TabFocusReason);
        m_name->selectAll();
    } else {
        ok->setFocus();
    }
}

void ActionPropertiesDialog::accept() {
    const int result = m_model.ok();
    if (result == RESULT_EMPTY_NAME) {
        // Closing would lose everything entered on the pages: only Cancel discards them.
        MessageBoxSink sink(this);
        reportError(sink, ErrorKind::ERR_ACTION_UNNAMED);
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (result == RESULT_UNKNOWN_TYPE) {
        // The type would be dropped without a word: say which names it takes, and go there.
        ModalHooks::showMessage(this, QString::fromStdString(m_model.definition.typeProblem()));
        m_host->tabBar()->setCurrentIndex(0);
        if (QWidget* type = m_pages[0]->findChild<QWidget*>(controlName(IDC_TYPE_COMBO)))
            type->setFocus(Qt::OtherFocusReason);
        return;
    }
    done(result);
}

void ActionPropertiesDialog::refresh() {
    for (PropertyPage* page : m_pages)
        page->refresh();
    QStringList warnings;
    for (const std::string& warning : m_model.nameWarnings())
        warnings.append(QString::fromStdString(warning));
    showNameWarnings(m_name, m_nameWarnings, warnings);
}

void ActionPropertiesDialog::reject() {
    done(CTL_CANCEL);
}

} // namespace vantrel
