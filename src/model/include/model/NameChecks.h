#pragma once

#include "model/ProjectState.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Names that generated code or the file system may not take as they are. These are warnings,
// never refusals: the template set decides how names are used. Each is a short reason, in the
// order a user should see them.

// The project name: no C identifier or a C or C++ keyword, then no safe folder name on Linux
// and Windows alike.
std::vector<std::string> projectNameWarnings(std::string_view name);

// The action at an index: no C identifier or a keyword, then names that collide with another
// action's (the same name ignoring case, or a procedure or callback name that is another's).
std::vector<std::string> actionNameWarnings(const ProjectState& project, std::size_t index);
// The same for an action being edited, as it would stand at an index among the project's
// actions; index may be the number of actions, for one not yet added.
std::vector<std::string> actionNameWarnings(const ProjectState& project,
                                            const ActionDefinition& action, std::size_t index);

// The warnings of an action being edited, given the action as its fields now stand: what the
// properties dialog shows next to the name.
using ActionNameCheck = std::function<std::vector<std::string>(const ActionDefinition& action)>;

// Every warning of the project, each naming what it is about ("project name \"x\": ...",
// "action 2 \"y\": ..."), the project first and the actions in list order.
std::vector<std::string> projectWarnings(const ProjectState& project, std::string_view name);

} // namespace vantrel
