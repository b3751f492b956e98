#include "wizard/DialogServices.h"

#include "engine/CreateProject.h"
#include "wizard/CreateCommand.h"

#include <utility>

namespace vantrel {

MainDialogServices engineServices(std::function<void(ProjectState&, MessageSink&)> read,
                                  const ConfigurationBytes& configuration) {
    MainDialogServices services;
    services.readConfiguration = std::move(read);
    services.validateProject = [](const ProjectState& project, MessageSink& sink) {
        return validateProject(project, sink);
    };
    services.preview = previewRun;
    services.run = [&configuration](ProjectState& project, std::int32_t index,
                                    const CreateChoices& choices) {
        return diskRun(project, index, choices, configuration);
    };
    return services;
}

} // namespace vantrel
