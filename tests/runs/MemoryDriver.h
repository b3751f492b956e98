#pragma once

#include "RunDriver.h"

namespace vantrel::runs {

// Runs a case in this process, into the in-memory tree: the inputs are read from the working
// folder, nothing is written to it, and the tree the run would leave is the disk's with the
// memory's entries laid over it.
class MemoryDriver : public RunDriver {
public:
    RunOutcome run(const fs::path& caseFolder, const fs::path& workFolder) const override;
};

} // namespace vantrel::runs
