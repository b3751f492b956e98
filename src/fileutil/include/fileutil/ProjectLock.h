#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Keeps two runs from writing one project at once (flock, advisory, never waited for). A run
// holds the deepest folder of its project's path that exists exclusively and every folder
// above it shared: two runs into one project always meet at one folder, however far the first
// of them got in making the path, while runs into other projects below a common folder pass.
// The locks go with the process, so a killed run leaves none behind.
class ProjectLock {
public:
    ProjectLock(ProjectLock&& other) noexcept;
    ProjectLock& operator=(ProjectLock&& other) noexcept;
    ~ProjectLock();

    // The locks of a run into the project folder (a native path); none when another run holds
    // them.
    static std::optional<ProjectLock> take(const std::string& projectFolder);

private:
    ProjectLock() = default;
    std::vector<int> m_folders;
};

} // namespace vantrel
