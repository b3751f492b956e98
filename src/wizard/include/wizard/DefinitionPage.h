#pragma once

#include "wizard/PageModel.h"

#include <string_view>

#include <string>
#include <vector>

namespace vantrel {

// The "Definition" page: procedure type, the three procedures, menu and toolbar entries.
class DefinitionPage : public PageModel {
public:
    DefinitionPage();

    void loadFromAction(ActionDefinition& action);
    void storeToAction();
    // The procedure names and their ticks as the page shows them, into another record as OK
    // would store them: the name checks look at what the user sees.
    void namesInto(ActionDefinition& action) const;
    // The action name changed from oldName to newName: each name made from it that the user
    // has left as it was follows at once.
    void nameChanged(std::string_view oldName, std::string_view newName);
    void click(int id, bool checked) override;

    void textEdited(int id) override;
    // Empty when the "Typ:" text names a type; otherwise what is wrong and the accepted names.
    std::string typeProblem() const;

    // The "Typ:" combo's list, in the sorted order the combo shows.
    const std::vector<std::string>& typeEntries() const { return m_typeEntries; }

private:
    std::vector<std::string> m_typeEntries;
};

} // namespace vantrel
