#pragma once

#include "RunDriver.h"

namespace vantrel::runs {

// Runs a case through the built vantrel-gen, as a user's shell would.
class VantrelGenDriver : public RunDriver {
public:
    RunOutcome run(const fs::path& caseFolder, const fs::path& workFolder) const override;
};

} // namespace vantrel::runs
