#include "cli/HeadlessRun.h"

#include "cli/ProjectFile.h"
#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"

namespace vantrel {

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err) {
    ProjectState project;
    StreamSink sink(err);
    if (command.configPath.empty())
        readConfiguration(project, sink);
    else
        readConfiguration(project, sink, command.configPath);
    project.setDefaultDllFlags();

    if (const std::optional<ProjectFileError> error =
            ProjectFile(command.projectPath).load(project)) {
        err << error->message << '\n';
        return EXIT_BAD_INPUT;
    }
    if (!validateProject(project, sink))
        return EXIT_BAD_INPUT;

    Generator generator(project, sink);
    // Listed without a flush per line; tied to out, err flushes the list before each message,
    // so the two streams still read in the order things happened.
    generator.setOutputListener(
        [&out](const std::string& nativePath) { out << nativePath << '\n'; });
    std::ostream* const previousTie = err.tie(&out);
    // The project file already set dllFlags; -1 keeps them.
    commitAndGenerate(project, -1, generator);
    err.tie(previousTie);
    out.flush();
    return sink.errorReported() ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

} // namespace vantrel
