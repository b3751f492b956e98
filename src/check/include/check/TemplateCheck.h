#pragma once

#include "check/Diagnostic.h"
#include "config/Configuration.h"
#include "model/ProjectState.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// Looks at what a generation run would read, without running it or writing anything: the
// configuration, the generation scripts and every template section they name. Each problem
// found is kept as a diagnostic with its file, line and column.
class TemplateCheck {
public:
    // Reads the configuration at a path into the project, as a run does, and checks its lines.
    // A file that cannot be read is an error when it was named (named), otherwise a warning:
    // the settings keep their defaults.
    void checkConfiguration(ProjectState& project, const std::string& path, bool named);

    // Checks the script of the project's host, or of both hosts when it has none, and the
    // sections they name. Paths are expanded with the project's values; valuesSource says in
    // messages where they come from ("the configuration's defaults", say). The project is used
    // as the run would use it: its name and location committed, its first action selected.
    void checkGeneration(const ProjectState& project, const std::string& valuesSource);

    const DiagnosticList& found() const { return m_found; }

private:
    // The template set's notes: lines that cannot be used, and versions against the setting.
    void checkNotes(const ProjectState& project);
    // Where the configuration set a setting last (line and column), or its first line.
    std::pair<std::size_t, std::size_t> settingPlace(std::string_view key) const;

    DiagnosticList m_found;
    std::string m_configPath;
    std::vector<ConfigurationLine> m_configLines;
};

} // namespace vantrel
