#pragma once

#include "wizard/PageModel.h"

#include <string_view>

namespace vantrel {

// The "Messages" page: the seven message callbacks of the action's panel.
class MessagesPage : public PageModel {
public:
    MessagesPage();

    void loadFromAction(ActionDefinition& action);
    void storeToAction(const AskOkCancel& ask);
    // The callback names and their ticks as the page shows them, into another record as OK
    // would store them (before the panel kind is reconciled).
    void namesInto(ActionDefinition& action) const;
    // The action name changed from oldName to newName: each name made from it that the user
    // has left as it was follows at once.
    void nameChanged(std::string_view oldName, std::string_view newName);
    void click(int id, bool checked) override;
};

} // namespace vantrel
