#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace vantrel {

// vantrel-gen --explain FILE:LINE PROJECT_FILE: runs the project into memory and says which
// template line, section and action made that line of the generated file (or which file a
// copied one comes from), with the two lines' texts. Writes nothing. Returns the exit status.
int runExplain(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
