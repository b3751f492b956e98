#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"
#include "run/ProjectRun.h"
#include "run/StartConfiguration.h"
#include "wizard/MainDialogLogic.h"

#include <functional>

namespace vantrel {

// The main dialog's services over the real engine: the configuration read by read, the project
// validated, previewed into memory and run to the disk, the configuration's bytes kept in the
// record. Those bytes are taken when a run starts: read may fill them in after this call.
MainDialogServices engineServices(std::function<void(ProjectState&, MessageSink&)> read,
                                  const ConfigurationBytes& configuration);

} // namespace vantrel
