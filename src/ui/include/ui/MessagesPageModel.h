#pragma once

#include "ui/PageModel.h"

namespace vantrel {

// The "Messages" page: the seven message callbacks of the action's panel.
class MessagesPageModel : public PageModel {
public:
    MessagesPageModel();

    void loadFromAction(ActionDefinition& action);
    void storeToAction(const AskOkCancel& ask);
    // A click on one of the seven check boxes; checked is the box's state after the click.
    void click(int id, bool checked);
};

} // namespace vantrel
