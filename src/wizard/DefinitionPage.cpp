#include "wizard/DefinitionPage.h"

#include "model/FlagNames.h"
#include "wizard/ControlIds.h"
#include "wizard/FlagNameField.h"

#include <algorithm>
#include <array>

namespace vantrel {
namespace {

const std::array<CheckRow, 4> clickRows = {{
    {IDC_EXECUTE_CHECK, IDC_EXECUTE_EDIT, ACF_PROC_EXECUTE, "%s_Execute",
     &ActionDefinition::defEdited, &ActionDefinition::procExecute},
    {IDC_CLOSE_CHECK, IDC_CLOSE_EDIT, ACF_PROC_CLOSE, "%s_Close", &ActionDefinition::defEdited,
     &ActionDefinition::procClose},
    {IDC_FIRSTTIME_CHECK, IDC_FIRSTTIME_EDIT, ACF_PROC_FIRSTTIME, "%s_FirstTime",
     &ActionDefinition::defEdited, &ActionDefinition::procFirstTime},
    {IDC_MENU_CHECK, IDC_MENU_EDIT, ACF_MENU, "tools\\%s", nullptr, &ActionDefinition::menu},
}};

// The toolbar rows cannot be clicked; only load and store use them.
const std::array<CheckRow, 3> toolbarRows = {{
    {IDC_TBNAME_CHECK, IDC_TBNAME_EDIT, ACF_TOOLBAR, "", nullptr, &ActionDefinition::tbName},
    {IDC_TOOLTIPS_CHECK, IDC_TOOLTIPS_EDIT, ACF_TOOLTIPS, "", nullptr, &ActionDefinition::tooltips},
    {IDC_TBBUTTON_CHECK, IDC_TBBUTTON_EDIT, ACF_TOOLBAR, "", nullptr, &ActionDefinition::tbButton},
}};

} // namespace

DefinitionPage::DefinitionPage() {
    addCheckRows(clickRows);
    addCheckRows(toolbarRows, false);
    addControl(IDC_TYPE_COMBO);
    addControl(IDC_VIRTUAL_ID_COMBO, false);
    addControl(IDC_INDIV_INTERFACE);
    addControl(IDC_STATIC_MEMBUF);
}

void DefinitionPage::loadFromAction(ActionDefinition& action) {
    m_action = &action;

    // A sorted combo: each name goes in at its alphabetical place.
    m_typeEntries.clear();
    for (const FlagNameRow& row : procTypeTable) {
        if (row.value == 0)
            break;
        const std::string name = row.name;
        m_typeEntries.insert(std::upper_bound(m_typeEntries.begin(), m_typeEntries.end(), name),
                             name);
    }
    assignComboPositions(procTypeTable);
    control(IDC_TYPE_COMBO).text = joinFlagNames(action.type, procTypeTable);
    control(IDC_TYPE_COMBO).problem = typeProblem();

    control(IDC_INDIV_INTERFACE).checked = action.indivInterface != 0;
    control(IDC_STATIC_MEMBUF).checked = action.staticMemBuf != 0;
    // Only the edits change their enabled state, so the toolbar boxes stay disabled.
    loadCheckRows(clickRows);
    loadCheckRows(toolbarRows);
    push();
}

void DefinitionPage::storeToAction() {
    if (!m_action)
        return;
    pull();
    parseFlagNames(control(IDC_TYPE_COMBO).text, m_action->type, procTypeTable);
    m_action->indivInterface = control(IDC_INDIV_INTERFACE).checked ? 1 : 0;
    m_action->staticMemBuf = control(IDC_STATIC_MEMBUF).checked ? 1 : 0;
    // The toolbar rows come last, so "Toolbar button:" decides ACF_TOOLBAR over "Toolbar name:".
    storeCheckRows(clickRows);
    storeCheckRows(toolbarRows);
}

void DefinitionPage::namesInto(ActionDefinition& action) const {
    checkRowsInto(clickRows, action);
}

void DefinitionPage::textEdited(int id) {
    if (id == IDC_TYPE_COMBO)
        control(id).problem = typeProblem();
}

std::string DefinitionPage::typeProblem() const {
    return flagNameProblem("type", control(IDC_TYPE_COMBO).text, procTypeTable);
}

void DefinitionPage::nameChanged(std::string_view oldName, std::string_view newName) {
    for (const CheckRow& row : clickRows) {
        // New actions get the menu as "Tools\Name"; a tick on an empty menu makes "tools\name".
        if (row.edit == IDC_MENU_EDIT &&
            followRename(row.edit, "Tools\\%s", false, oldName, newName))
            continue;
        followRename(row.edit, row.format, true, oldName, newName);
    }
}

void DefinitionPage::click(int id, bool checked) {
    if (clickCheckRows(clickRows, id, checked))
        return;
    // The interface and memory boxes have no rule: their state is read on OK.
    if (id == IDC_INDIV_INTERFACE || id == IDC_STATIC_MEMBUF)
        control(id).checked = checked;
}

} // namespace vantrel
