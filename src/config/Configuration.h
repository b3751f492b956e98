#pragma once

#include "engine/ErrorReporter.h"
#include "model/ProjectState.h"

#include <string_view>

namespace vantrel {

inline constexpr std::string_view CONFIG_FILE_NAME = "vantrel.cfg";

// Reads the configuration file (by default vantrel.cfg in the current working folder) into the
// settings, nameText, locationBase, locationText and extraSettings of the project. A missing
// file is reported as ERR_CONFIG_OPEN, which shows nothing.
void readConfiguration(ProjectState& project, MessageSink& sink,
                       std::string_view path = CONFIG_FILE_NAME);

} // namespace vantrel
