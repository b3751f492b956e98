#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view CONFIG_FILE_NAME = "vantrel.cfg";

// Reads the configuration file (by default vantrel.cfg in the current working folder) into the
// settings, nameText, locationBase, locationText and extraSettings of the project. A missing
// file is reported as ERR_CONFIG_OPEN, which shows nothing; false then, so that a caller can
// say that the built-in settings hold.
bool readConfiguration(ProjectState& project, MessageSink& sink,
                       std::string_view path = CONFIG_FILE_NAME);

class TokenScanner;

// Reads the rest of a known-key line from a scanner positioned after the key: "=" and a quoted
// value give the value without its quotes; anything else gives the fallback.
std::string readSettingValue(TokenScanner& scanner, std::string_view fallback = {});

} // namespace vantrel
