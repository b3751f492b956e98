#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace vantrel {

// vantrel-gen --impact --config FILE FOLDER...: regenerates every project recorded below the
// folders in memory with the configuration FILE and prints, per project and in total, what the
// regeneration would do to each file (or one JSON object). Writes nothing and takes no lock.
// Returns the exit status: 0, 3 when a project would have a conflict, 1 when a run would fail or
// a folder cannot be read.
int runImpact(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
