#include "wizard/MessagesPageModel.h"

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

MessagesPageModel::MessagesPageModel() {
    for (const CheckRow& row : rows) {
        addControl(row.box);
        addEdit(row.edit);
    }
}

void MessagesPageModel::loadFromAction(ActionDefinition& action) {
    m_action = &action;
    for (const CheckRow& row : rows)
        bufferRef(row.edit) = action.*row.field;
    for (const CheckRow& row : rows)
        showCheckRow(row);
    push();
}

void MessagesPageModel::nameChanged(std::string_view oldName, std::string_view newName) {
    for (const CheckRow& row : rows)
        followRename(row.edit, row.format, true, oldName, newName);
}

void MessagesPageModel::click(int id, bool checked) {
    for (const CheckRow& row : rows) {
        if (row.box == id) {
            clickCheckRow(row, checked);
            return;
        }
    }
}

void MessagesPageModel::namesInto(ActionDefinition& action) const {
    for (const CheckRow& row : rows) {
        action.*row.field = control(row.edit).text;
        setClearBits(action.flags, control(row.box).checked ? row.bit : 0,
                     control(row.box).checked ? 0 : row.bit);
    }
}

void MessagesPageModel::storeToAction(const AskOkCancel& ask) {
    if (!m_action)
        return;
    pull();
    for (const CheckRow& row : rows)
        m_action->*row.field = buffer(row.edit);
    for (const CheckRow& row : rows) {
        if (control(row.box).checked)
            setClearBits(m_action->flags, row.bit, 0);
        else
            setClearBits(m_action->flags, 0, row.bit);
    }
    m_action->checkCloseProc(false, true, ask);
}

} // namespace vantrel
