#include "cli/RecordedProject.h"

#include "project/ProjectFile.h"
#include "run/ProjectRun.h" // RECORD_FOLDER, RECORD_ANSWERS

#include <filesystem>

namespace vantrel {

std::string recordedAnswersPath(const std::string& folder) {
    return (std::filesystem::path(folder) / RECORD_FOLDER / RECORD_ANSWERS).string();
}

std::optional<std::string> loadRecordedAnswers(const std::string& folder, ProjectState& project) {
    namespace fs = std::filesystem;
    if (const std::optional<ProjectFileError> fault =
            ProjectFile(recordedAnswersPath(folder)).load(project))
        return fault->message;
    // "out/Demo/" names the folder itself; "." and ".." name theirs only once made absolute.
    fs::path path = fs::path(folder).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path();
    if (path.filename() == "." || path.filename() == ".." || !path.has_parent_path()) {
        path = fs::absolute(path).lexically_normal();
        if (!path.has_filename())
            path = path.parent_path();
    }
    project.locationBase = path.parent_path().string();
    project.locationText = project.locationBase;
    return std::nullopt;
}

} // namespace vantrel
