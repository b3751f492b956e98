#include "model/ProjectState.h"

#include "model/AsciiCase.h"

#include <cstdio>

namespace vantrel {

std::int32_t actionCounter = 0;

std::string nextDefaultActionName() {
    ++actionCounter;
    char name[32];
    std::snprintf(name, sizeof name, "Action%02d", static_cast<int>(actionCounter));
    return name;
}

const ActionDefinition* ProjectState::currentAction() const {
    return hasCurrentAction ? actionAt(currentActionIndex) : nullptr;
}

ActionDefinition* ProjectState::currentAction() {
    return hasCurrentAction ? actionAt(currentActionIndex) : nullptr;
}

bool ProjectState::selectAction(std::int32_t index) {
    if (index < 0 || index >= actionCount())
        return false;
    currentActionIndex = index;
    hasCurrentAction = true;
    return true;
}

std::int32_t ProjectState::actionCount() const {
    return static_cast<std::int32_t>(actions.size());
}

const ActionDefinition* ProjectState::actionAt(std::int32_t index) const {
    if (index < 0 || index >= actionCount())
        return nullptr;
    return &actions[static_cast<std::size_t>(index)];
}

ActionDefinition* ProjectState::actionAt(std::int32_t index) {
    if (index < 0 || index >= actionCount())
        return nullptr;
    return &actions[static_cast<std::size_t>(index)];
}

std::int32_t ProjectState::appendAction(const ActionDefinition& action) {
    ActionDefinition stored;
    stored.copyActionValue(action);
    actions.push_back(std::move(stored));
    return actionCount() - 1;
}

std::int32_t ProjectState::removeActionAt(std::int32_t index) {
    if (index >= 0 && index < actionCount())
        actions.erase(actions.begin() + index);
    return actionCount();
}

bool ProjectState::keepsRecord() const {
    return !equalsIgnoringCase(generationrecord, "off");
}

const std::vector<ProjectState::SettingField>& ProjectState::settingFields() {
    static const std::vector<SettingField> fields = {
        {"workdirectory", &ProjectState::workdirectory},
        {"defaultprojectname", &ProjectState::defaultprojectname},
        {"templatedirectory", &ProjectState::templatedirectory},
        {"vectorinc", &ProjectState::vectorinc},
        {"viewinc", &ProjectState::viewinc},
        {"piinc", &ProjectState::piinc},
        {"threadinc", &ProjectState::threadinc},
        {"dovpilib_r", &ProjectState::dovpilib_r},
        {"dovpilib_d", &ProjectState::dovpilib_d},
        {"dovpiinc", &ProjectState::dovpiinc},
        {"dovinerfaceinc", &ProjectState::dovinerfaceinc},
        {"dovtemplate", &ProjectState::dovtemplate},
        {"kelpilib_r", &ProjectState::kelpilib_r},
        {"kelpilib_d", &ProjectState::kelpilib_d},
        {"kelpiinc", &ProjectState::kelpiinc},
        {"kelinerfaceinc", &ProjectState::kelinerfaceinc},
        {"keltemplate", &ProjectState::keltemplate},
        {"matrixinc", &ProjectState::matrixinc},
        {"dovexportinc", &ProjectState::dovexportinc},
        {"kelexportinc", &ProjectState::kelexportinc},
        {"dovlib_r", &ProjectState::dovlib_r},
        {"dovlib_d", &ProjectState::dovlib_d},
        {"kellib_r", &ProjectState::kellib_r},
        {"kellib_d", &ProjectState::kellib_d},
        {"generationrecord", &ProjectState::generationrecord},
    };
    return fields;
}

} // namespace vantrel
