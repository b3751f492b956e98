#include "wizard/MessagesPage.h"

#include "wizard/ControlIds.h"

#include <array>

namespace vantrel {
namespace {

const std::array<CheckRow, 7> rows = {{
    {IDC_CB_STATUS_CHECK, IDC_CB_STATUS_EDIT, ACF_CB_STATUS, "cb_%sStatusMsgProc",
     &ActionDefinition::msgEdited, &ActionDefinition::cbStatus},
    {IDC_CB_KEYBRD_CHECK, IDC_CB_KEYBRD_EDIT, ACF_CB_KEYBRD, "cb_%sKeybrdMsgProc",
     &ActionDefinition::msgEdited, &ActionDefinition::cbKeybrd},
    {IDC_CB_MS_LBDOWN_CHECK, IDC_CB_MS_LBDOWN_EDIT, ACF_CB_MS_LBDOWN, "cb_%s_MsLbDown",
     &ActionDefinition::msgEdited, &ActionDefinition::cbMsLbDown},
    {IDC_CB_MS_LBUP_CHECK, IDC_CB_MS_LBUP_EDIT, ACF_CB_MS_LBUP, "cb_%s_MsLbUp",
     &ActionDefinition::msgEdited, &ActionDefinition::cbMsLbUp},
    {IDC_CB_MS_RBDOWN_CHECK, IDC_CB_MS_RBDOWN_EDIT, ACF_CB_MS_RBDOWN, "cb_%s_MsRbDown",
     &ActionDefinition::msgEdited, &ActionDefinition::cbMsRbDown},
    {IDC_CB_MS_RBUP_CHECK, IDC_CB_MS_RBUP_EDIT, ACF_CB_MS_RBUP, "cb_%s_MsRbUp",
     &ActionDefinition::msgEdited, &ActionDefinition::cbMsRbUp},
    {IDC_CB_MS_MOVE_CHECK, IDC_CB_MS_MOVE_EDIT, ACF_CB_MS_MOVE, "cb_%s_MsMove",
     &ActionDefinition::msgEdited, &ActionDefinition::cbMsMove},
}};

} // namespace

MessagesPage::MessagesPage() {
    addCheckRows(rows);
}

void MessagesPage::loadFromAction(ActionDefinition& action) {
    m_action = &action;
    loadCheckRows(rows);
    push();
}

void MessagesPage::nameChanged(std::string_view oldName, std::string_view newName) {
    for (const CheckRow& row : rows)
        followRename(row.edit, row.format, true, oldName, newName);
}

void MessagesPage::click(int id, bool checked) {
    clickCheckRows(rows, id, checked);
}

void MessagesPage::namesInto(ActionDefinition& action) const {
    checkRowsInto(rows, action);
}

void MessagesPage::storeToAction(const AskOkCancel& ask) {
    if (!m_action)
        return;
    pull();
    storeCheckRows(rows);
    m_action->checkCloseProc(false, true, ask);
}

} // namespace vantrel
