#include "VantrelGenDriver.h"

#include "support/GeneratorProcess.h"

namespace vantrel::runs {

RunOutcome VantrelGenDriver::run(const fs::path& caseFolder, const fs::path& workFolder) const {
    const Tree inputs = caseInputs(caseFolder);
    layOut(inputs, workFolder);
    const ProcessResult result = runGeneratorIn(workFolder, caseArguments(caseFolder));
    return {changes(inputs, readTree(workFolder)), result.out, result.err, result.status};
}

} // namespace vantrel::runs
