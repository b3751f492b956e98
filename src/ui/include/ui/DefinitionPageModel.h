#pragma once

#include "ui/PageModel.h"

#include <string>
#include <vector>

namespace vantrel {

// The "Definition" page: procedure type, the three procedures, menu and toolbar entries.
class DefinitionPageModel : public PageModel {
public:
    DefinitionPageModel();

    void loadFromAction(ActionDefinition& action);
    void storeToAction();
    // A click on an auto check box; checked is the box's state after the click.
    void click(int id, bool checked);

    // The "Typ:" combo's list, in the sorted order the combo shows.
    const std::vector<std::string>& typeEntries() const { return m_typeEntries; }

private:
    std::vector<std::string> m_typeEntries;
};

} // namespace vantrel
