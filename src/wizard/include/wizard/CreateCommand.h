#pragma once

#include "model/ProjectState.h"
#include "run/ProjectRun.h"
#include "wizard/ReviewModel.h"
#include "wizard/SummaryModel.h"

#include <cstdint>
#include <vector>

namespace vantrel {

// The two runs behind Create. Both commit the project first, as commitAndRunScript does.

// Runs the script into memory over the disk and reports nothing (the run to the disk reports
// what goes wrong): every target with what the run would do to it, and what the last run's
// record tells about the files the user edited or deleted since, and of the template set.
ReviewModel previewRun(ProjectState& project, std::int32_t dllComboIndex);

// Runs the script to the disk, leaving the files at the kept native paths as they are and
// writing the chosen bytes for the files the last run's record lists; the messages are
// gathered for the summary instead of being shown one by one. A run that wrote anything and
// reported no error leaves its record in the project folder, with the configuration given.
RunOutcome diskRun(ProjectState& project, std::int32_t dllComboIndex, const CreateChoices& choices,
                   const ConfigurationBytes& configuration);

} // namespace vantrel
