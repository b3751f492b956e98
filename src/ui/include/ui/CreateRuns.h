#pragma once

#include "model/ProjectState.h"
#include "ui/ReviewModel.h"
#include "ui/SummaryModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// The two runs behind Create. Both commit the project first, as commitAndGenerate does.

// Runs the script into memory over the disk and reports nothing (the run to the disk reports
// what goes wrong): every target with what the run would do to it.
std::vector<ReviewModel::Entry> previewRun(ProjectState& project, std::int32_t dllComboIndex);

// Runs the script to the disk, leaving the files at the kept native paths as they are; the
// messages are gathered for the summary instead of being shown one by one.
RunOutcome diskRun(ProjectState& project, std::int32_t dllComboIndex,
                   const std::vector<std::string>& kept);

} // namespace vantrel
