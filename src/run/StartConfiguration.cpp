#include "run/StartConfiguration.h"

#include "config/Configuration.h"
#include "config/ConfigurationSearch.h"
#include "fileutil/TextFile.h"

#include <optional>
#include <utility>

namespace vantrel {

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
