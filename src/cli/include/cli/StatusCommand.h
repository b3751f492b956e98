#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace vantrel {

// vantrel-gen --status: the generated project against its record and against what its inputs
// make now, one line per file (or one JSON object) on out; writes nothing and takes no lock.
// Returns the exit status: 0 current, 4 outdated, 5 edited, 6 both, 3 a conflict still open,
// 1 without a record or when the run would fail, 2 when the project is refused.
int runStatus(const CommandLine& command, std::ostream& out, std::ostream& err);

} // namespace vantrel
