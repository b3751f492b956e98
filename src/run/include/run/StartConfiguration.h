#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"
#include "run/ProjectRun.h"

#include <string>
#include <vector>

namespace vantrel {

// Where the configuration a run starts from was looked for, and what came of it.
struct FoundConfiguration {
    bool found = false;              // a file was chosen: the option, or one the search found
    std::string path;                // that file, as the search named it
    std::vector<std::string> looked; // the files the search tried, when none was found
    bool read = false;               // its bytes were read into the project
};

// Finds the configuration from --config FILE (empty: searched for) and reads it into the
// project. A file that cannot be read is reported to the sink and leaves the built-in settings;
// the bytes of one that was read go to kept, for the record.
FoundConfiguration readStartConfiguration(const std::string& option, ProjectState& project,
                                          MessageSink& sink, ConfigurationBytes& kept);

} // namespace vantrel
