#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace vantrel {

// One headless "Create": configuration, project file, validation and the generation run.
// Listings go to out, messages to err; returns the exit status.
int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
