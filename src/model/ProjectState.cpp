#include "model/ProjectState.h"

#include "model/AsciiCase.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

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

void clearSharedIds(ActionDefinitions& actions) {
    // A sorted list of the ids rather than a map: a large project holds one per action.
    std::vector<std::uint32_t> ids;
    for (const ActionDefinition& action : actions)
        if (action.id != 0)
            ids.push_back(action.id);
    std::sort(ids.begin(), ids.end());
    for (ActionDefinition& action : actions) {
        if (action.id == 0)
            continue;
        const auto [first, last] = std::equal_range(ids.begin(), ids.end(), action.id);
        if (last - first > 1)
            action.id = 0;
    }
}

std::size_t giveActionIds(ProjectState& project, const ProjectState* recorded) {
    // Every id held before, shared ones too: none of them is given again.
    std::set<std::uint32_t> held;
    for (const ActionDefinition& action : project.actions)
        if (action.id != 0)
            held.insert(action.id);
    std::uint32_t highest = held.empty() ? 0 : *held.rbegin();
    if (recorded)
        for (const ActionDefinition& action : recorded->actions)
            highest = std::max(highest, action.id);
    std::size_t given = 0;
    clearSharedIds(project.actions);
    // An action written without its id that the record names takes the id it had there.
    if (recorded) {
        std::map<std::string_view, std::uint32_t> recordedIds;
        for (const ActionDefinition& action : recorded->actions)
            if (action.id != 0)
                recordedIds.emplace(action.name, action.id);
        for (ActionDefinition& action : project.actions) {
            const auto found = recordedIds.find(action.name);
            if (action.id == 0 && found != recordedIds.end() && !held.contains(found->second)) {
                action.id = found->second;
                held.insert(action.id);
                ++given;
            }
        }
    }
    for (ActionDefinition& action : project.actions) {
        if (action.id != 0)
            continue;
        // Past the last number an id would wrap to 0, which means none: such a project is
        // left as it is.
        if (highest == UINT32_MAX)
            break;
        action.id = ++highest;
        ++given;
    }
    return given;
}

bool ProjectState::keepsRecord() const {
    return !equalsIgnoringCase(generationrecord, "off");
}

bool ProjectState::strictRuns() const {
    const std::string value = lowerAscii(strict);
    return !value.empty() && value != "0" && value != "no" && value != "false";
}

const std::vector<ProjectState::SettingField>& ProjectState::settingFields() {
    static const std::vector<SettingField> fields = {
        {"workdirectory", &ProjectState::workdirectory},
        {"defaultprojectname", &ProjectState::defaultprojectname},
        {"strict", &ProjectState::strict},
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
        {"templateset", &ProjectState::templateset},
        {"templateversion", &ProjectState::templateversion},
        {"templatenotes", &ProjectState::templatenotes},
    };
    return fields;
}

} // namespace vantrel
