#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"
#include "run/ProjectRun.h"
#include "wizard/MainDialogLogic.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// The main dialog's services over the real engine: the configuration read by read, the project
// validated, previewed into memory and run to the disk, the configuration's bytes kept in the
// record. Those bytes are taken when a run starts: read may fill them in after this call.
MainDialogServices engineServices(std::function<void(ProjectState&, MessageSink&)> read,
                                  const ConfigurationBytes& configuration);

// Where the configuration the wizard starts from was looked for, and what came of it.
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
