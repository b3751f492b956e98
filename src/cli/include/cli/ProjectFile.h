#pragma once

#include "model/ProjectState.h"

#include <string>
#include <string_view>

namespace vantrel {

// The headless generator's project description: a JSON object with the host, the project
// name and location, the DLL flags and the actions. It fills what the main dialog's controls
// would: host flags, nameText, locationBase/locationText, dllFlags and the action list.
class ProjectFile {
public:
    // The path is used to open the file and to name it in messages.
    explicit ProjectFile(std::string path)
        : m_path(std::move(path)) {}

    // Reads the file and applies it; false (project unchanged) with error() set.
    bool load(ProjectState& project);
    // Applies a JSON text as if read from the file.
    bool apply(std::string_view jsonText, ProjectState& project);

    // "<file>: <what went wrong>", naming the key where one is at fault.
    const std::string& error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
};

} // namespace vantrel
