#pragma once

#include "project/ProjectFile.h"
#include "run/StartConfiguration.h"
#include "support/GeneratorProcess.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel {

// A copy of an installation (configuration, scripts, templates, kit), the working folder while
// it lives: the configuration's paths count from there.
class InstallationCopy {
public:
    explicit InstallationCopy(const std::filesystem::path& from) {
        std::filesystem::copy(from, m_folder.path(), std::filesystem::copy_options::recursive);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder.path());
    }
    ~InstallationCopy() { std::filesystem::current_path(m_previous); }
    InstallationCopy(const InstallationCopy&) = delete;
    InstallationCopy& operator=(const InstallationCopy&) = delete;

    const std::filesystem::path& path() const { return m_folder.path(); }
    const TempFolder& folder() const { return m_folder; }

private:
    TempFolder m_folder;
    std::filesystem::path m_previous;
};

// The bench's workload of count actions, written into folder by its own script.
inline bool writeBenchWorkload(int count, const std::filesystem::path& folder) {
    return std::system(("python3 " + shellQuoted(VANTREL_SOURCE_DIR "/bench/workload.py") + " " +
                        std::to_string(count) + " " + shellQuoted(folder.string()))
                           .c_str()) == 0;
}

// The answers of a project file with the configuration of the working folder, as vantrel-gen
// reads them; false when the file is refused.
inline bool readProject(const std::string& projectFile, ProjectState& project,
                        ConfigurationBytes& configuration) {
    SilentSink sink;
    readStartConfiguration({}, project, sink, configuration);
    project.setDefaultDllFlags();
    return !ProjectFile(projectFile).load(project);
}

} // namespace vantrel
