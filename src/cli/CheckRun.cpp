#include "cli/CheckRun.h"

#include "check/TemplateCheck.h"
#include "config/Configuration.h"
#include "project/ProjectFile.h"

namespace vantrel {

int runCheck(const CommandLine& command, std::ostream& out, std::ostream& err) {
    ProjectState project;
    TemplateCheck check;
    const bool named = !command.configPath.empty();
    check.checkConfiguration(project, named ? command.configPath : std::string(CONFIG_FILE_NAME),
                             named);
    project.setDefaultDllFlags();
    std::string valuesSource = "the configuration's defaults";
    if (!command.projectPath.empty()) {
        if (const std::optional<ProjectFileError> error =
                ProjectFile(command.projectPath).load(project)) {
            err << error->message << '\n';
            return EXIT_BAD_INPUT;
        }
        valuesSource = "the values of " + command.projectPath;
    }
    check.checkGeneration(project, valuesSource);

    for (const Diagnostic& diagnostic : check.found().sorted())
        out << formatDiagnostic(diagnostic) << '\n';
    out.flush();
    std::size_t errors = check.found().count(Severity::Error);
    if (command.werror)
        errors += check.found().count(Severity::Warning);
    return errors == 0 ? EXIT_GENERATED : EXIT_RUN_ERROR;
}

} // namespace vantrel
