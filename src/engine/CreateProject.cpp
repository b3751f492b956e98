#include "engine/CreateProject.h"

#include <string_view>
#include <unordered_set>

namespace vantrel {

bool validateProject(const ProjectState& project, MessageSink& sink) {
    if (project.actions.empty()) {
        reportError(sink, ErrorKind::ERR_NO_ACTIONS);
        return false;
    }
    for (const ActionDefinition& action : project.actions) {
        if (action.name.empty()) {
            reportError(sink, ErrorKind::ERR_ACTION_UNNAMED);
            return false;
        }
    }
    // Names compare byte for byte: names that differ only in case are distinct. The names are
    // looked at where they are, without copies: a large project has many.
    std::unordered_set<std::string_view> seen;
    seen.reserve(project.actions.size());
    for (const ActionDefinition& action : project.actions) {
        if (!seen.insert(action.name).second) {
            reportError(sink, ErrorKind::ERR_ACTION_NAME_TWICE, action.name);
            return false;
        }
    }
    return true;
}

bool commitAndRunScript(ProjectState& project, std::int32_t dllComboIndex, Engine& generator) {
    project.projectName = project.nameText;
    project.projectLocation = project.locationBase;
    setDllFlagsFromIndex(dllComboIndex, project.dllFlags);
    project.selectAction(0);
    return generator.runScript();
}

} // namespace vantrel
