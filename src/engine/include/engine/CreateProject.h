#pragma once

#include "engine/Engine.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <cstdint>

namespace vantrel {

// The checks of "Create", in order; the first failure is reported (kinds 2, 3, 4) and ends it.
bool validateProject(const ProjectState& project, MessageSink& sink);

// What "Create" does after validation: projectName and projectLocation are committed from
// nameText and locationBase, dllFlags from the DLL combo position (-1 keeps dllFlags as it is),
// the first action is selected and the script runs. Returns runScript's result.
bool commitAndRunScript(ProjectState& project, std::int32_t dllComboIndex, Engine& generator);

} // namespace vantrel
