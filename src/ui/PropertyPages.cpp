#include "ui/PropertyPages.h"

#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "wizard/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace vantrel {

PropertyPage::PropertyPage(PageModel& model, int templateId, std::vector<int> readingOrder,
                           QWidget* parent)
    : QWidget(parent)
    , m_mirror(new ControlMirror(model, this))
    , m_readingOrder(std::move(readingOrder)) {
    setObjectName(QStringLiteral("page%1").arg(templateId));
    DialogBuilder(this).resizeDialog(291, 144);
    connect(m_mirror, &ControlMirror::edited, this, &PropertyPage::edited);
}

void PropertyPage::refresh() {
    if (m_beforeRefresh)
        m_beforeRefresh();
    m_mirror->refresh();
    DialogBuilder::keepOneTabStop(this);
}

QList<QWidget*> PropertyPage::readingOrder() const {
    return findControls(this, m_readingOrder);
}

PropertyPage* PropertyPage::definition(DefinitionPage& model, QWidget* parent) {
    auto* page = new PropertyPage(
        model, DEFINITION_ID,
        {IDC_TYPE_COMBO, IDC_INDIV_INTERFACE, IDC_STATIC_MEMBUF, IDC_EXECUTE_CHECK,
         IDC_EXECUTE_EDIT, IDC_CLOSE_CHECK, IDC_CLOSE_EDIT, IDC_FIRSTTIME_CHECK, IDC_FIRSTTIME_EDIT,
         IDC_VIRTUAL_ID_COMBO, IDC_MENU_CHECK, IDC_MENU_EDIT, IDC_TBNAME_CHECK, IDC_TBNAME_EDIT,
         IDC_TBBUTTON_CHECK, IDC_TBBUTTON_EDIT, IDC_TOOLTIPS_CHECK, IDC_TOOLTIPS_EDIT},
        parent);
    DialogBuilder b(page);
    const auto bind = [page](int id, QWidget* widget) {
        page->m_mirror->bind(id, widget);
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
    QComboBox* type = b.combo(IDC_TYPE_COMBO, 22, 9, 98, 55);
    bind(IDC_TYPE_COMBO, type);
    b.labelBefore(tr("&Typ:"), 5, 13, 15, 8, type);
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

    page->m_beforeRefresh = [&model, type] {
        QStringList entries;
        for (const std::string& entry : model.typeEntries())
            entries.append(QString::fromStdString(entry));
        QStringList shown;
        for (int i = 0; i < type->count(); ++i)
            shown.append(type->itemText(i));
        if (shown != entries) {
            const QSignalBlocker block(type);
            type->clear();
            type->addItems(entries);
        }
    };
    page->refresh();
    return page;
}

PropertyPage* PropertyPage::panel(PanelPage& model, QWidget* parent) {
    auto* page =
        new PropertyPage(model, PANEL_ID,
                         {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_MODDIALOG, IDC_PANEL_WINDOW,
                          IDC_PANEL_CLASS, IDC_CREATE_THREAD, IDC_FOREGROUND},
                         parent);
    DialogBuilder b(page);
    const auto bind = [page](int id, QWidget* widget) {
        page->m_mirror->bind(id, widget);
    };

    bind(IDC_PANEL_DIALOG, b.radio(IDC_PANEL_DIALOG, tr("D&ialog"), 10, 15, 36, 10));
    bind(IDC_PANEL_NONE, b.radio(IDC_PANEL_NONE, tr("&None"), 10, 5, 33, 10));
    bind(IDC_PANEL_MODDIALOG, b.radio(IDC_PANEL_MODDIALOG, tr("M&odales dialog"), 10, 25, 63, 10));
    bind(IDC_PANEL_WINDOW, b.radio(IDC_PANEL_WINDOW, tr("&Window"), 10, 35, 42, 10));
    QLineEdit* className = b.edit(IDC_PANEL_CLASS, 10, 60, 130, 12);
    bind(IDC_PANEL_CLASS, className);
    b.label(tr("&Class name:"), 10, 50, 39, 8, className);
    bind(IDC_CREATE_THREAD, b.check(IDC_CREATE_THREAD, tr("Create &thread"), 10, 74, 59, 10));
    bind(IDC_FOREGROUND, b.check(IDC_FOREGROUND, tr("&Fordeground"), 10, 85, 56, 10));
    page->refresh();
    return page;
}

PropertyPage* PropertyPage::messages(MessagesPage& model, QWidget* parent) {
    auto* page = new PropertyPage(
        model, MESSAGES_ID,
        {IDC_CB_STATUS_CHECK, IDC_CB_STATUS_EDIT, IDC_CB_KEYBRD_CHECK, IDC_CB_KEYBRD_EDIT,
         IDC_CB_MS_LBDOWN_CHECK, IDC_CB_MS_LBDOWN_EDIT, IDC_CB_MS_LBUP_CHECK, IDC_CB_MS_LBUP_EDIT,
         IDC_CB_MS_RBDOWN_CHECK, IDC_CB_MS_RBDOWN_EDIT, IDC_CB_MS_RBUP_CHECK, IDC_CB_MS_RBUP_EDIT,
         IDC_CB_MS_MOVE_CHECK, IDC_CB_MS_MOVE_EDIT},
        parent);
    DialogBuilder b(page);
    const auto row = [page, &b](int box, const QString& caption, int x, int y, int width, int edit,
                                int editY) {
        page->m_mirror->bind(box, b.check(box, caption, x, y, width, 10));
        // As wide as the room to the next column allows (the columns start 90 and 94 units
        // apart): the default names are long.
        page->m_mirror->bind(edit, b.edit(edit, x, editY, 88, 12));
    };
    row(IDC_CB_STATUS_CHECK, tr("&Status procedure:"), 12, 9, 72, IDC_CB_STATUS_EDIT, 22);
    row(IDC_CB_MS_LBDOWN_CHECK, tr("Mouse &LB Down:"), 102, 9, 71, IDC_CB_MS_LBDOWN_EDIT, 22);
    row(IDC_CB_KEYBRD_CHECK, tr("&Keyboard procedure:"), 12, 40, 80, IDC_CB_KEYBRD_EDIT, 54);
    row(IDC_CB_MS_LBUP_CHECK, tr("Mouse LB &Up:"), 102, 40, 61, IDC_CB_MS_LBUP_EDIT, 54);
    row(IDC_CB_MS_RBDOWN_CHECK, tr("Mouse &RB Down:"), 102, 72, 72, IDC_CB_MS_RBDOWN_EDIT, 85);
    row(IDC_CB_MS_RBUP_CHECK, tr("Mouse R&B Up:"), 102, 103, 63, IDC_CB_MS_RBUP_EDIT, 116);
    row(IDC_CB_MS_MOVE_CHECK, tr("Mouse Mo&ve:"), 196, 9, 59, IDC_CB_MS_MOVE_EDIT, 22);
    page->refresh();
    return page;
}

} // namespace vantrel
