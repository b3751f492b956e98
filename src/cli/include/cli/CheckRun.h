#pragma once

#include "check/Diagnostic.h"
#include "cli/CommandLine.h"

#include <ostream>
#include <string>

namespace vantrel {

// vantrel-gen --check: the configuration, the project file when one is given, and the checks of
// the scripts and sections. Every problem goes to out, one a line; a project file that cannot
// be read goes to err. Returns the exit status.
int runCheck(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
