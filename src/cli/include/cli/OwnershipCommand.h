#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace vantrel {

// vantrel-gen --detach PATH / --attach PATH: marks a generated file as the user's, never
// regenerated, or as the program's again, in its project's record. Returns 0 when the record
// says so, 2 when PATH is no file the record lists, 1 when the record cannot be changed.
int runOwnership(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
