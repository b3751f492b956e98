#pragma once

#include "model/ActionDefinition.h"
#include "model/NameChecks.h"
#include "wizard/DefinitionPage.h"
#include "wizard/MessagesPage.h"
#include "wizard/PanelPage.h"

#include <string>
#include <vector>

namespace vantrel {

// The properties dialog without its widgets: it edits the record itself (the name at every
// change, the check boxes at every click) and stores the three pages on OK.
class ActionPropertiesModel {
public:
    // check gives the warnings about the name; without one there are none.
    ActionPropertiesModel(ActionDefinition& action, AskOkCancel ask, ActionNameCheck check = {});

    // Shows the record: the name edit and the three pages, in that order.
    void open();
    // The name edit's text changed (typed or set); the record follows at once, and so do the
    // page fields that still hold their default names for the old name.
    void nameEdited(const std::string& text);
    // OK pressed: the dialog result, CTL_OK when the pages were stored; RESULT_EMPTY_NAME when
    // the name is empty, RESULT_UNKNOWN_TYPE when the type names nothing: then nothing is
    // stored.
    int ok();

    // The warnings about the name as the dialog stands: the name typed, with the procedure and
    // callback names the pages show.
    std::vector<std::string> nameWarnings() const;

    // The action as OK would store it now, asking nothing (every question taken as OK): what a
    // preview shows while the dialog is open.
    ActionDefinition shownAction() const;

    const std::string& nameText() const { return m_nameText; }
    ActionDefinition& action() { return m_action; }

    DefinitionPage definition;
    PanelPage panel;
    MessagesPage messages;

private:
    ActionDefinition& m_action;
    AskOkCancel m_ask;
    ActionNameCheck m_check;
    std::string m_nameText;   // what the name edit shows
    std::string m_nameBuffer; // filled from the edit by pull
};

} // namespace vantrel
