#pragma once

#include "wizard/PageModel.h"

#include <string_view>

namespace vantrel {

// The "Panel" page: the panel kind as four exclusive radio buttons, its class name, and the
// thread and foreground options. Clicks change only the controls; OK writes the flags.
class PanelPage : public PageModel {
public:
    PanelPage();

    void loadFromAction(ActionDefinition& action);
    void storeToAction(const AskOkCancel& ask);
    // The action name changed from oldName to newName: each name made from it that the user
    // has left as it was follows at once.
    void nameChanged(std::string_view oldName, std::string_view newName);
    void click(int id, bool checked) override;
};

} // namespace vantrel
