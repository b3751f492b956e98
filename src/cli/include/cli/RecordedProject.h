#pragma once

#include "model/ProjectState.h"

#include <optional>
#include <string>

namespace vantrel {

// Where a generated project's folder keeps the answers it was made from: FOLDER/.vantrel/
// project.json, without the location, so that the folder can move.
std::string recordedAnswersPath(const std::string& folder);

// Reads the answers a generated project's folder keeps in its record into project, with the
// folder's parent as the location; the project file's message when they cannot be read.
std::optional<std::string> loadRecordedAnswers(const std::string& folder, ProjectState& project);

} // namespace vantrel
