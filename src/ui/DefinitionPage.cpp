#include "ui/DefinitionPage.h"

#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "wizard/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vantrel {

DefinitionPage::DefinitionPage(DefinitionPageModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_mirror(new ControlMirror(model, this)) {
    setObjectName(QStringLiteral("page%1").arg(TEMPLATE_ID));
    DialogBuilder b(this);
    b.resizeDialog(291, 144);
    const auto bind = [this](int id, QWidget* widget) {
        m_mirror->bind(id, widget);
    };

    bind(IDC_EXECUTE_EDIT, b.edit(IDC_EXECUTE_EDIT, 7, 69, 115, 12));
    bind(IDC_EXECUTE_CHECK, b.check(IDC_EXECUTE_CHECK, tr("&Execute procedure:"), 7, 58, 78, 10));
    bind(IDC_CLOSE_EDIT, b.edit(IDC_CLOSE_EDIT, 7, 95, 115, 12));
    bind(IDC_CLOSE_CHECK, b.check(IDC_CLOSE_CHECK, tr("&Close procedure:"), 7, 85, 69, 10));
    bind(IDC_FIRSTTIME_EDIT, b.edit(IDC_FIRSTTIME_EDIT, 7, 122, 115, 12));
    bind(IDC_FIRSTTIME_CHECK,
         b.check(IDC_FIRSTTIME_CHECK, tr("&First time init procedure:"), 7, 112, 90, 10));
    bind(IDC_TBNAME_EDIT, b.edit(IDC_TBNAME_EDIT, 141, 72, 115, 12));
    bind(IDC_TBNAME_CHECK, b.check(IDC_TBNAME_CHECK, tr("Tool&bar name:"), 141, 62, 61, 10));
    bind(IDC_TOOLTIPS_EDIT, b.edit(IDC_TOOLTIPS_EDIT, 141, 122, 115, 12));
    bind(IDC_TOOLTIPS_CHECK, b.check(IDC_TOOLTIPS_CHECK, tr("T&ooltips:"), 141, 112, 43, 10));
    bind(IDC_TBBUTTON_EDIT, b.edit(IDC_TBBUTTON_EDIT, 141, 97, 115, 12));
    bind(IDC_TBBUTTON_CHECK, b.check(IDC_TBBUTTON_CHECK, tr("Toolbar b&utton:"), 141, 87, 64, 10));
    m_type = b.combo(IDC_TYPE_COMBO, 22, 9, 98, 55);
    bind(IDC_TYPE_COMBO, m_type);
    b.labelBefore(tr("&Typ:"), 5, 13, 15, 8, m_type);
    QComboBox* virtualId = b.combo(IDC_VIRTUAL_ID_COMBO, 171, 9, 85, 55);
    virtualId->setFocusPolicy(Qt::NoFocus);
    bind(IDC_VIRTUAL_ID_COMBO, virtualId);
    b.labelBefore(tr("&Virtual ID:"), 140, 13, 30, 8, virtualId)->setEnabled(false);
    bind(IDC_MENU_EDIT, b.edit(IDC_MENU_EDIT, 141, 48, 115, 12));
    bind(IDC_MENU_CHECK, b.check(IDC_MENU_CHECK, tr("Me&nu:"), 141, 38, 36, 10));
    bind(IDC_INDIV_INTERFACE,
         b.check(IDC_INDIV_INTERFACE, tr("using &individual interface object"), 7, 25, 118, 10));
    bind(IDC_STATIC_MEMBUF,
         b.check(IDC_STATIC_MEMBUF, tr("using &static memory buffer"), 7, 35, 93, 10));

    m_mirror->setClickHandler([this](int id, bool checked) { m_model.click(id, checked); });
    refresh();
}

QList<QWidget*> DefinitionPage::readingOrder() const {
    return findControls(this,
                        {IDC_TYPE_COMBO, IDC_INDIV_INTERFACE, IDC_STATIC_MEMBUF, IDC_EXECUTE_CHECK,
                         IDC_EXECUTE_EDIT, IDC_CLOSE_CHECK, IDC_CLOSE_EDIT, IDC_FIRSTTIME_CHECK,
                         IDC_FIRSTTIME_EDIT, IDC_VIRTUAL_ID_COMBO, IDC_MENU_CHECK, IDC_MENU_EDIT,
                         IDC_TBNAME_CHECK, IDC_TBNAME_EDIT, IDC_TBBUTTON_CHECK, IDC_TBBUTTON_EDIT,
                         IDC_TOOLTIPS_CHECK, IDC_TOOLTIPS_EDIT});
}

void DefinitionPage::refresh() {
    QStringList entries;
    for (const std::string& entry : m_model.typeEntries())
        entries.append(QString::fromStdString(entry));
    QStringList shown;
    for (int i = 0; i < m_type->count(); ++i)
        shown.append(m_type->itemText(i));
    if (shown != entries) {
        const QSignalBlocker block(m_type);
        m_type->clear();
        m_type->addItems(entries);
    }
    m_mirror->refresh();
}

} // namespace vantrel
