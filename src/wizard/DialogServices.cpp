#include "wizard/DialogServices.h"

#include "config/Configuration.h"
#include "config/ConfigurationSearch.h"
#include "engine/CreateProject.h"
#include "fileutil/TextFile.h"
#include "wizard/CreateRuns.h"

#include <optional>
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
    services.commitAndGenerate = [&configuration](ProjectState& project, std::int32_t index,
                                                  const CreateChoices& choices) {
        return diskRun(project, index, choices, configuration);
    };
    return services;
}

FoundConfiguration readStartConfiguration(const std::string& option, ProjectState& project,
                                          MessageSink& sink, ConfigurationBytes& kept) {
    FoundConfiguration result;
    const ConfigurationPlaces places = configurationPlaces(option);
    const ConfigurationChoice choice = findConfiguration(places);
    if (choice.origin == ConfigurationOrigin::None) {
        for (const ConfigurationChoice& candidate : configurationCandidates(places))
            result.looked.push_back(candidate.path);
        return result;
    }
    result.found = true;
    result.path = choice.path;
    // The bytes the answers come from are the ones the record keeps, whatever the file holds
    // by the time Create runs.
    std::optional<std::string> bytes = readFileBytes(choice.path);
    if (!bytes) {
        reportError(sink, ErrorKind::ERR_CONFIG_OPEN, choice.path);
        return result;
    }
    readConfigurationBytes(project, *bytes);
    result.read = true;
    kept = {choice.path, std::move(*bytes)};
    return result;
}

} // namespace vantrel
