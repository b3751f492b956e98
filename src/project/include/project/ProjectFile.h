#pragma once

#include "model/ProjectState.h"

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Why the headless generator cannot go on with what it was given, as shown to the user.
struct ProjectFileError {
    // "<file>: \"<key>\": <problem>" for a key at fault, "<file>:<line>:<column>: <reason>" for
    // a file that is no JSON, "<file>: cannot be read".
    std::string message;
};

// The headless generator's project description: a JSON object with the host, the project
// name and location, the DLL flags and the actions (see model/ProjectSchema.h). It fills what
// the main dialog's controls would: host flags, nameText, locationBase/locationText, dllFlags
// and the action list.
class ProjectFile {
public:
    // The path is used to open the file and to name it in messages.
    explicit ProjectFile(std::string path)
        : m_path(std::move(path)) {}

    // Reads the file and applies it; on an error the project is left as it was.
    [[nodiscard]] std::optional<ProjectFileError> load(ProjectState& project) const;
    // Applies a JSON text as if read from the file.
    [[nodiscard]] std::optional<ProjectFileError> apply(std::string_view jsonText,
                                                        ProjectState& project) const;

private:
    std::optional<ProjectFileError> read(std::string text, ProjectState& project) const;

    std::string m_path;
};

} // namespace vantrel
